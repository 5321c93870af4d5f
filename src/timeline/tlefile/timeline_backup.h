#pragma once
// The timelines' backups, which auto-save writes after edits and renders
// and the editor writes when it is asked to end, and the recovery file
// "recover.tle" that start-up opens from one of them. All are ordinary
// timeline files (timeline_file.h).
//
// Each editor process keeps its own backups in the temporary folder, one
// per document: "sprocket-backup-UID-PID-N.tle" (the user, the process and
// the document's backup number). A clean exit deletes the process's
// backups, so that a backup whose process no longer runs was left by a run
// that did not end cleanly. Start-up claims such a backup for itself (it is
// renamed to the new process, so that no other editor offers it too) before
// it offers it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timeline/document/document.h"

namespace sprocket {

inline constexpr std::string_view kRecoveryFileName = "recover.tle";

// The backup of `doc` in its temporary folder, for the calling process and user.
std::filesystem::path TimelineBackupPath(const CTestDoc& doc);

// Writes the document's timeline to its backup. The document's path and
// modified flag stay as they are.
bool WriteTimelineBackup(const CTestDoc& doc, std::string* error = nullptr);

// Deletes every backup of the calling process in a temporary folder (at a
// clean exit). True when none is left.
bool DeleteProcessBackups(std::string_view tempDir);

// The backups of the calling user in a temporary folder whose processes no
// longer run, oldest first. Files of other users (by name or by owner) and
// anything but regular files are left out.
std::vector<std::filesystem::path> FindOrphanBackups(std::string_view tempDir);

// Takes an orphan backup over for the calling process: renamed to one of
// its backups (and touched, so that its age tells it belongs to a running
// process). The new path; nothing when another process took it first.
std::optional<std::filesystem::path> ClaimBackup(const std::filesystem::path& backup);

// Makes the recovery file from a backup: the backup is read (a bad one is
// refused with the reader's message) and written again as "recover.tle" in
// a new folder of the caller's own in `tempDir` (the temporary folder may
// be shared), which the editor then opens like any timeline.
bool MakeRecoveryFile(const std::filesystem::path& backup, std::string_view tempDir,
                      std::filesystem::path* recoveryPath, std::string* error = nullptr);
// Removes a recovery file and its folder once it has been read.
void RemoveRecoveryFile(const std::filesystem::path& recoveryPath);

}  // namespace sprocket

#pragma once
// The timeline's backup ("Timeline.bak" in the document's temporary
// folder), which auto-save writes after edits and renders, and the recovery
// file "recover.tle" that start-up offers after a run that did not end
// cleanly. Both are ordinary timeline files (timeline_file.h).

#include <filesystem>
#include <string>
#include <string_view>

#include "timeline/document/document.h"

namespace sprocket {

inline constexpr std::string_view kTimelineBackupName = "Timeline.bak";
inline constexpr std::string_view kRecoveryFileName = "recover.tle";

// "%sTimeline.bak" and "%srecover.tle" for a temporary folder.
std::filesystem::path TimelineBackupPath(std::string_view tempDir);
std::filesystem::path RecoveryFilePath(std::string_view tempDir);

// Writes the document's timeline to the backup in its temporary folder. The
// document's path and modified flag stay as they are.
bool WriteTimelineBackup(const CTestDoc& doc, std::string* error = nullptr);

// Deletes the backup of a temporary folder (at a clean shutdown). True when
// no backup is left.
bool DeleteTimelineBackup(std::string_view tempDir);

// Makes the recovery file from the backup of `tempDir`: the backup is read
// (a bad one is refused with a message) and written again as "recover.tle"
// beside it, which the editor then opens like any timeline.
bool MakeRecoveryFile(std::string_view tempDir, std::filesystem::path* recoveryPath, std::string* error = nullptr);

}  // namespace sprocket

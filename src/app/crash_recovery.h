#pragma once
// Crash recovery. Each editor process keeps the backups of its modified
// timelines (timeline_backup.h) and deletes them at a clean exit; a start
// offers every backup that a process which no longer runs left behind. The
// forced-exit flag of the settings is set while the editor runs and cleared
// at a clean exit.

#include <string_view>

namespace sprocket {

class CMainFrame;
class Profile;

inline constexpr std::string_view kForcedExitQuestion =
    "Forced exit detected during last editing session.\n"
    "Would you like to load backup timeline (recover.tle)?";

// Sets the flag for the session that starts.
void MarkSessionRunning(Profile& profile);
// A clean exit: deletes the process's backups in `tempFolder` and clears the flag.
void EndSessionCleanly(Profile& profile, std::string_view tempFolder);

// Offers each backup of `tempFolder` whose process no longer runs, oldest
// first. Each is first claimed by this process, so that it is offered once
// even with several editors starting. On Yes the backup is copied to
// "recover.tle" (in a folder of its own) and opens in a new window as an
// unsaved, modified timeline (saving it asks where), whose own backup then replaces the old
// one; a backup that does not read shows the reader's message and opens
// nothing. On No, or while the process is asked to end, the backup is kept
// until this process ends cleanly. The number of windows opened.
int OfferBackupTimelines(CMainFrame& mainFrame, std::string_view tempFolder);

// Writes the backup of every modified timeline of the main window (when the
// process is asked to end). Nothing asks: a backup that cannot be written
// is told on stderr. The number of backups written.
int BackUpModifiedTimelines(const CMainFrame& mainFrame);

}  // namespace sprocket

#pragma once
// Crash recovery: the forced-exit flag is set while the editor runs and
// cleared at a clean exit, when the backup timeline is deleted too. A start-up
// that finds the flag still set offers the backup that auto-save left.

#include <string_view>

namespace sprocket {

class CMainFrame;
class CTestFrame;
class Profile;

inline constexpr std::string_view kForcedExitQuestion =
    "Forced exit detected during last editing session.\n"
    "Would you like to load backup timeline (recover.tle)?";

// True when the last session did not end cleanly.
bool LastSessionEndedForced(const Profile& profile);
// Sets the flag for the session that starts.
void MarkSessionRunning(Profile& profile);
// A clean exit: deletes the backup in `tempFolder` and clears the flag.
void EndSessionCleanly(Profile& profile, std::string_view tempFolder);

// Asks whether to load the backup of `tempFolder`, when there is one. On Yes
// the backup is copied to "recover.tle" beside it and opens in a new window
// as an unsaved, modified timeline (saving it asks where); a backup that does
// not read shows the reader's message and opens nothing. The window opened,
// else null.
CTestFrame* OfferBackupTimeline(CMainFrame& mainFrame, std::string_view tempFolder);

}  // namespace sprocket

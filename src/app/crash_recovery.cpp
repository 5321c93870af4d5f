#include "app/crash_recovery.h"

#include <filesystem>
#include <string>

#include "app/main_frame.h"
#include "app/timeline_mdi_window.h"
#include "platform/prompts.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"
#include "timeline/tlefile/timeline_backup.h"

namespace sprocket {

bool LastSessionEndedForced(const Profile& profile) {
  return profile.GetProfileInt(settings::kForcedExit, settings::kForcedExitFlag, 0) != 0;
}

void MarkSessionRunning(Profile& profile) {
  profile.WriteProfileInt(settings::kForcedExit, settings::kForcedExitFlag, 1);
}

void EndSessionCleanly(Profile& profile, std::string_view tempFolder) {
  DeleteTimelineBackup(tempFolder);
  profile.WriteProfileInt(settings::kForcedExit, settings::kForcedExitFlag, 0);
}

CTestFrame* OfferBackupTimeline(CMainFrame& mainFrame, std::string_view tempFolder) {
  // Without a backup (the run ended before the first auto-save) there is
  // nothing to offer.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(TimelineBackupPath(tempFolder), ec)) return nullptr;
  if (ShowMessage(std::string(kForcedExitQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES) return nullptr;

  // The copy keeps the recovered timeline while later auto-saves rewrite the backup.
  std::filesystem::path recoveryPath;
  std::string error;
  if (!MakeRecoveryFile(tempFolder, &recoveryPath, &error)) {
    ShowMessage(error, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  CTestFrame* frame = mainFrame.OpenTimeline(recoveryPath.string());
  if (frame == nullptr) return nullptr;
  CTestDoc& doc = frame->Document()->doc;
  doc.pathName.clear();
  doc.SetModifiedFlag();
  frame->UpdateTitles();
  return frame;
}

}  // namespace sprocket

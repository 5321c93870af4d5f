#include "app/crash_recovery.h"

#include <QMdiArea>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>

#include "app/main_frame.h"
#include "app/timeline_mdi_window.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"
#include "timeline/tlefile/timeline_backup.h"

namespace sprocket {

namespace {

// Opens a claimed backup as an unsaved timeline and backs it up as one of
// this process's documents. Null when it does not read (after the message).
CTestFrame* RecoverBackup(CMainFrame& mainFrame, const std::filesystem::path& backup, std::string_view tempFolder) {
  // Opened from a copy named "recover.tle", which names its window.
  std::filesystem::path recoveryPath;
  std::string error;
  if (!MakeRecoveryFile(backup, tempFolder, &recoveryPath, &error)) {
    ShowMessage(error, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  CTestFrame* frame = mainFrame.OpenTimeline(recoveryPath.string());
  RemoveRecoveryFile(recoveryPath);
  if (frame == nullptr) return nullptr;
  CTestDoc& doc = frame->Document()->doc;
  doc.pathName.clear();
  doc.SetModifiedFlag();
  frame->UpdateTitles();
  if (WriteTimelineBackup(doc, &error)) {
    std::error_code ec;
    std::filesystem::remove(backup, ec);
  } else {
    std::cerr << "sprocket: " << error << '\n';
  }
  return frame;
}

}  // namespace

void MarkSessionRunning(Profile& profile) {
  profile.WriteProfileInt(settings::kForcedExit, settings::kForcedExitFlag, 1);
}

void EndSessionCleanly(Profile& profile, std::string_view tempFolder) {
  DeleteProcessBackups(tempFolder);
  profile.WriteProfileInt(settings::kForcedExit, settings::kForcedExitFlag, 0);
}

int OfferBackupTimelines(CMainFrame& mainFrame, std::string_view tempFolder) {
  int opened = 0;
  for (const std::filesystem::path& orphan : FindOrphanBackups(tempFolder)) {
    if (ProcessTerminationSignal() != 0) break;
    const std::optional<std::filesystem::path> backup = ClaimBackup(orphan);
    if (!backup) continue;  // another editor offers it
    if (ShowMessage(std::string(kForcedExitQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES) continue;
    // The answer of a question closed by a termination request is no answer.
    if (ProcessTerminationSignal() != 0) break;
    if (RecoverBackup(mainFrame, *backup, tempFolder) != nullptr) ++opened;
  }
  return opened;
}

int BackUpModifiedTimelines(const CMainFrame& mainFrame) {
  std::set<const CTestDoc*> done;
  int written = 0;
  for (QMdiSubWindow* window : mainFrame.mdiArea()->subWindowList()) {
    const auto* frame = qobject_cast<const CTestFrame*>(window);
    if (frame == nullptr || frame->View() == nullptr) continue;
    const CTestDoc& doc = frame->Document()->doc;
    if (!doc.IsModified() || !done.insert(&doc).second) continue;
    std::string error;
    if (WriteTimelineBackup(doc, &error)) {
      ++written;
    } else {
      std::cerr << "sprocket: " << error << '\n';
    }
  }
  return written;
}

}  // namespace sprocket

// Crash recovery: the forced-exit flag around a run, the backup timeline
// offered after a run that did not end cleanly, its removal at a clean exit,
// and termination signals ending the editor as a forced exit.

#include <gtest/gtest.h>
#include <QApplication>
#include <QMdiArea>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/crash_recovery.h"
#include "app/editor_app.h"
#include "app/main_frame.h"
#include "app/timeline_mdi_window.h"
#include "platform/settings_store.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/tlefile/timeline_backup.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;

fs::path DemoTimeline() { return fs::path(SPROCKET_SOURCE_DIR) / "examples" / "demo.tle"; }

class CrashRecovery : public ::testing::Test {
protected:
  CrashRecovery() { WriteProfileString("Temp File Dir", "Dir", temp.path().string()); }

  fs::path Backup() const { return TimelineBackupPath(temp.path().string()); }
  // The backup as auto-save leaves it: the demo timeline, written in the
  // temporary folder.
  void LeaveBackup() const {
    CTestDoc doc;
    ASSERT_TRUE(ReadTimelineFile(DemoTimeline(), doc));
    doc.tempDir = temp.path().string();
    ASSERT_TRUE(WriteTimelineBackup(doc));
  }
  static int ForcedExitFlag() { return GetProfileInt("FORCED EXIT", "Flag", -1); }
  static int WindowCount(const CTestApp& app) {
    return static_cast<int>(app.mainFrame()->mdiArea()->subWindowList().size());
  }

  testing::ScopedConfigDir config;
  testing::TempDir temp;  // the configured temporary folder
  testing::ScriptedPrompts prompts;
};

TEST_F(CrashRecovery, ACleanRunSetsTheFlagAndClearsItWithTheBackup) {
  LeaveBackup();
  CTestApp app(&prompts);
  ASSERT_TRUE(app.InitInstance());  // no question: the flag was never set
  EXPECT_EQ(ForcedExitFlag(), 1);
  EXPECT_TRUE(fs::exists(Backup()));
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(ForcedExitFlag(), 0);
  EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(CrashRecovery, StartUpOffersTheBackupOnlyAfterAForcedExit) {
  struct Case {
    const char* name;
    int flag;
    bool backup;
    int answer;  // 0: no question
    bool opened;
  };
  for (const Case& c : {Case{"clean last run", 0, true, 0, false}, Case{"no backup", 1, false, 0, false},
                        Case{"answered No", 1, true, IDNO, false}, Case{"answered Yes", 1, true, IDYES, true}}) {
    SCOPED_TRACE(c.name);
    WriteProfileInt("FORCED EXIT", "Flag", c.flag);
    fs::remove(Backup());
    if (c.backup) LeaveBackup();
    if (c.answer != 0) prompts.Expect(std::string(kForcedExitQuestion), c.answer);

    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_EQ(fs::exists(Backup()), c.backup);  // nothing deleted at start-up
    ASSERT_EQ(WindowCount(app), c.opened ? 1 : 0);
    if (c.opened) {
      EXPECT_EQ(prompts.shown().back().type & MB_BUTTONMASK, MB_YESNO);
      const CTestFrame* frame = app.mainFrame()->ActiveFrame();
      const CTestDoc& doc = frame->Document()->doc;
      EXPECT_EQ(frame->windowTitle(), "recover.tle");
      EXPECT_TRUE(doc.pathName.empty());  // saving asks where
      EXPECT_TRUE(doc.IsModified());
      EXPECT_NE(FindClipAtTime(doc.Head(), 1000, 1), nullptr);
      EXPECT_TRUE(fs::exists(RecoveryFilePath(temp.path().string())));
    }
    app.ExitInstance();
  }
}

TEST_F(CrashRecovery, ADamagedBackupGivesTheReadersMessageAndOpensNothing) {
  LeaveBackup();
  std::ifstream in(Backup(), std::ios::binary);
  const std::string good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(good.empty());
  for (const std::string& damaged :
       {good.substr(0, good.size() / 2), std::string("{ \"format\": \"other\" }"), std::string()}) {
    temp.Write(Backup().filename().string(), damaged);
    CTestDoc probe;
    std::string readerMessage;
    ASSERT_FALSE(ReadTimelineFile(Backup(), probe, &readerMessage));
    WriteProfileInt("FORCED EXIT", "Flag", 1);
    prompts.Expect(std::string(kForcedExitQuestion), IDYES).Expect(readerMessage);

    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_EQ(WindowCount(app), 0);
    app.ExitInstance();
  }
}

TEST_F(CrashRecovery, ATerminationSignalEndsTheRunAsAForcedExit) {
  for (int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    fs::remove(Backup());
    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    CTestFrame* frame = app.mainFrame()->OpenTimeline(DemoTimeline().string());
    ASSERT_NE(frame, nullptr);
    frame->Document()->doc.SetModifiedFlag();
    QTimer::singleShot(0, [signalNumber] { std::raise(signalNumber); });
    EXPECT_EQ(QApplication::exec(), 128 + signalNumber);
    EXPECT_TRUE(app.forcedExit());
    app.ExitInstance();

    EXPECT_EQ(ForcedExitFlag(), 1);
    CTestDoc backup;  // the unsaved changes are in the backup
    ASSERT_TRUE(ReadTimelineFile(Backup(), backup));
    EXPECT_NE(FindClipAtTime(backup.Head(), 1000, 1), nullptr);
  }
}

}  // namespace
}  // namespace sprocket

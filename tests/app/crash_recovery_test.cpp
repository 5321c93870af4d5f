// Crash recovery: the forced-exit flag and the process's backups around a
// run, the backups of ended runs offered at start-up (whatever the shared
// flag says), and termination signals ending the editor as a forced exit
// from the main loop and from the start-up question.

#include <gtest/gtest.h>
#include <unistd.h>
#include <QApplication>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/crash_recovery.h"
#include "app/editor_app.h"
#include "app/main_frame.h"
#include "app/timeline_mdi_window.h"
#include "ended_process.h"
#include "platform/message_pump.h"
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

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

class CrashRecovery : public ::testing::Test {
protected:
  CrashRecovery() { WriteProfileString("Temp File Dir", "Dir", temp.path().string()); }
  ~CrashRecovery() override {
    // A termination asked of the editor here ends no other test's work, and
    // a loop ended by it does not end theirs.
    ClearProcessTermination();
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QApplication::exec();
  }

  // A backup as the auto-save of the editor process `pid` leaves it: the
  // demo timeline.
  fs::path LeaveBackup(int pid, const std::string& tag = "1") const {
    CTestDoc doc;
    EXPECT_TRUE(ReadTimelineFile(DemoTimeline(), doc));
    doc.tempDir = temp.path().string();
    EXPECT_TRUE(WriteTimelineBackup(doc));
    const fs::path named =
        temp / ("sprocket-backup-" + std::to_string(::getuid()) + "-" + std::to_string(pid) + "-" + tag + ".tle");
    fs::rename(TimelineBackupPath(doc), named);
    return named;
  }
  static std::string OwnBackupPrefix() {
    return "sprocket-backup-" + std::to_string(::getuid()) + "-" + std::to_string(::getpid()) + "-";
  }
  static std::string OwnBackupName(const std::string& tag) { return OwnBackupPrefix() + tag + ".tle"; }
  // Backups of this process.
  int OwnBackupCount() const {
    int count = 0;
    for (const fs::path& file : FilesIn(temp.path())) count += file.string().starts_with(OwnBackupPrefix()) ? 1 : 0;
    return count;
  }
  static int ForcedExitFlag() { return GetProfileInt("FORCED EXIT", "Flag", -1); }
  static int WindowCount(const CTestApp& app) {
    return static_cast<int>(app.mainFrame()->mdiArea()->subWindowList().size());
  }

  testing::ScopedConfigDir config;
  testing::TempDir temp;  // the configured temporary folder
  testing::ScriptedPrompts prompts;
};

TEST_F(CrashRecovery, ACleanRunSetsTheFlagAndDeletesItsOwnBackupsOnly) {
  // A running editor's backup (the parent of this test started before it).
  const fs::path running = LeaveBackup(::getppid());
  CTestApp app(&prompts);
  ASSERT_TRUE(app.InitInstance());  // no question: its process runs
  EXPECT_EQ(ForcedExitFlag(), 1);
  CTestFrame* frame = app.mainFrame()->OpenTimeline(DemoTimeline().string());
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(WriteTimelineBackup(frame->Document()->doc));
  EXPECT_EQ(OwnBackupCount(), 1);
  EXPECT_EQ(app.ExitInstance(), 0);
  EXPECT_EQ(ForcedExitFlag(), 0);
  EXPECT_EQ(OwnBackupCount(), 0);
  EXPECT_TRUE(fs::exists(running));
}

TEST_F(CrashRecovery, StartUpOffersEachBackupOfAnEndedRunWhateverTheSharedFlagSays) {
  struct Case {
    const char* name;
    int flag;  // another editor's clean exit clears it
    int backups;
    std::vector<int> answers;
    int opened;
  };
  for (const Case& c :
       {Case{"no backup", 1, 0, {}, 0}, Case{"answered No", 1, 1, {IDNO}, 0}, Case{"answered Yes", 1, 1, {IDYES}, 1},
        Case{"flag cleared by another editor", 0, 1, {IDYES}, 1}, Case{"two backups", 1, 2, {IDYES, IDNO}, 1}}) {
    SCOPED_TRACE(c.name);
    WriteProfileInt("FORCED EXIT", "Flag", c.flag);
    const int ended = testing::EndedProcessId();
    std::vector<fs::path> backups;
    for (int i = 0; i < c.backups; ++i) backups.push_back(LeaveBackup(ended, std::to_string(i + 1)));
    for (int answer : c.answers) prompts.Expect(std::string(kForcedExitQuestion), answer);

    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(prompts.AllShown());
    ASSERT_EQ(WindowCount(app), c.opened);
    // Each backup is now this process's: a recovered timeline's own, or the
    // one declined, kept until this run ends cleanly.
    for (const fs::path& backup : backups) EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(OwnBackupCount(), c.backups);
    if (c.opened > 0) {
      EXPECT_EQ(prompts.shown().back().type & MB_BUTTONMASK, MB_YESNO);
      const CTestFrame* frame = app.mainFrame()->ActiveFrame();
      const CTestDoc& doc = frame->Document()->doc;
      EXPECT_EQ(frame->windowTitle(), "recover.tle");
      EXPECT_TRUE(doc.pathName.empty());  // saving asks where
      EXPECT_TRUE(doc.IsModified());
      EXPECT_NE(FindClipAtTime(doc.Head(), 1000, 1), nullptr);
      EXPECT_TRUE(fs::exists(TimelineBackupPath(doc)));
    }
    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(OwnBackupCount(), 0);
    EXPECT_TRUE(FilesIn(temp.path()).empty());  // nor recovery files
  }
}

TEST_F(CrashRecovery, ADamagedBackupGivesTheReadersMessageAndOpensNothing) {
  const fs::path good = LeaveBackup(testing::EndedProcessId());
  std::ifstream in(good, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(text.empty());
  fs::remove(good);
  for (const std::string& damaged :
       {text.substr(0, text.size() / 2), std::string("{ \"format\": \"other\" }"), std::string()}) {
    // The message names the backup as start-up claimed it.
    const fs::path claimed = temp.Write(OwnBackupName("c1"), damaged);
    CTestDoc probe;
    std::string readerMessage;
    ASSERT_FALSE(ReadTimelineFile(claimed, probe, &readerMessage));
    fs::rename(claimed, good);
    prompts.Expect(std::string(kForcedExitQuestion), IDYES).Expect(readerMessage);

    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_EQ(WindowCount(app), 0);
    app.ExitInstance();
  }
}

TEST_F(CrashRecovery, ATerminationSignalEndsTheRunWithTheBackupOfEveryModifiedTimeline) {
  for (int signalNumber : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    CTestApp app(&prompts);
    ASSERT_TRUE(app.InitInstance());
    std::vector<CTestFrame*> frames;
    for (int i = 0; i < 3; ++i) frames.push_back(app.mainFrame()->OpenTimeline(DemoTimeline().string()));
    ASSERT_EQ(std::count(frames.begin(), frames.end(), nullptr), 0);
    frames[0]->Document()->doc.SetModifiedFlag();
    frames[2]->Document()->doc.SetModifiedFlag();
    app.mainFrame()->mdiArea()->setActiveSubWindow(frames[1]);  // not the active one only
    // A second signal before the loops have ended changes nothing.
    QTimer::singleShot(0, [signalNumber] { std::raise(signalNumber); });
    QTimer::singleShot(0, [signalNumber] { std::raise(signalNumber); });
    EXPECT_EQ(QApplication::exec(), 128 + signalNumber);
    EXPECT_TRUE(app.forcedExit());
    const fs::path first = TimelineBackupPath(frames[0]->Document()->doc);
    const fs::path unmodified = TimelineBackupPath(frames[1]->Document()->doc);
    const fs::path third = TimelineBackupPath(frames[2]->Document()->doc);
    EXPECT_EQ(app.ExitInstance(), 128 + signalNumber);

    EXPECT_EQ(ForcedExitFlag(), 1);
    for (const fs::path& path : {first, third}) {
      CTestDoc backup;  // the unsaved changes are in the backup
      std::string error;
      ASSERT_TRUE(ReadTimelineFile(path, backup, &error)) << error;
      EXPECT_NE(FindClipAtTime(backup.Head(), 1000, 1), nullptr);
      fs::remove(path);
    }
    EXPECT_FALSE(fs::exists(unmodified));
  }
}

TEST_F(CrashRecovery, ATerminationSignalClosesTheStartUpQuestionAndKeepsTheBackup) {
  const fs::path backup = LeaveBackup(testing::EndedProcessId());
  CTestApp app;  // the editor's own message boxes
  QTimer::singleShot(200, [] { std::raise(SIGTERM); });
  // A question still open after this is a failure, closed so the test ends.
  bool stillOpen = false;
  QObject watch;
  QTimer::singleShot(5000, &watch, [&] {
    if (QWidget* box = QApplication::activeModalWidget()) {
      stillOpen = true;
      box->close();
    }
  });
  ASSERT_TRUE(app.InitInstance());
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(ProcessTerminationSignal(), SIGTERM);
  EXPECT_EQ(WindowCount(app), 0);  // not answered Yes
  EXPECT_EQ(app.ExitInstance(), 128 + SIGTERM);
  // Kept, as this process's, for the next start.
  EXPECT_FALSE(fs::exists(backup));
  EXPECT_EQ(OwnBackupCount(), 1);
  EXPECT_EQ(ForcedExitFlag(), 1);
}

}  // namespace
}  // namespace sprocket

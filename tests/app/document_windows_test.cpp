// The document windows: opening, saving and closing timelines in MDI
// windows, second views of a document, and the dialogs they ask through.

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/dir_picker_dialog.h"
#include "app/main_frame.h"
#include "app/movie_output_dialogs.h"
#include "app/preview_file_dialog.h"
#include "app/timeline_mdi_window.h"
#include "commands/command_ids.h"
#include "platform/string_table.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;

fs::path ExamplesFolder() { return fs::path(SPROCKET_SOURCE_DIR) / "examples"; }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Answers the open and save dialogs from a script; a question nobody
// expected fails the test.
class ScriptedDialogs : public DocumentDialogs {
public:
  std::deque<std::optional<std::string>> answers;
  std::optional<std::string> OpenTimelinePath(QWidget*) override { return Next("open"); }
  std::optional<std::string> SaveTimelinePath(QWidget*, const std::string& suggested) override {
    suggestions.push_back(suggested);
    return Next("save");
  }
  std::vector<std::string> suggestions;

private:
  std::optional<std::string> Next(const char* what) {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected " << what << " dialog";
      return std::nullopt;
    }
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class DocumentWindows : public ::testing::Test {
protected:
  DocumentWindows() : profile(config.path() / "RODUVER.INI"), frame(&dialogs, &app, &profile) {
    // The demo with its media, where saving next to it keeps relative paths.
    fs::copy(ExamplesFolder() / "demo.tle", work.path() / "demo.tle");
    fs::copy(ExamplesFolder() / "media", work.path() / "media", fs::copy_options::recursive);
  }
  CTestFrame* OpenThroughMenu(const fs::path& path) {
    dialogs.answers.push_back(path.string());
    frame.OnFileOpen();
    return frame.ActiveFrame();
  }
  int WindowCount() { return static_cast<int>(frame.mdiArea()->subWindowList().size()); }

  testing::ScopedConfigDir config;
  testing::TempDir work;
  testing::ScriptedPrompts prompts;
  ScriptedDialogs dialogs;
  ApplicationState app;
  Profile profile;
  CMainFrame frame;
};

TEST_F(DocumentWindows, OpenShowsTheTimelineInAWindowNamedAfterIt) {
  CTestFrame* window = OpenThroughMenu(work / "demo.tle");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "demo.tle");
  EXPECT_EQ(frame.ActiveView(), window->View());
  EXPECT_NE(FindClipAtTime(window->View()->GetDocument().Head(), 1000, 1), nullptr);
  EXPECT_FALSE(window->View()->GetDocument().IsModified());
}

TEST_F(DocumentWindows, ATimelineThatDoesNotReadOpensNothing) {
  const fs::path bad = work.Write("bad.tle", "{ \"format\": \"something else\" }");
  CTestDoc probe;
  std::string readerMessage;
  ASSERT_FALSE(ReadTimelineFile(bad, probe, &readerMessage));
  prompts.Expect(readerMessage);  // the reader's own message
  dialogs.answers.push_back(bad.string());
  frame.OnFileOpen();
  EXPECT_EQ(WindowCount(), 0);
}

TEST_F(DocumentWindows, SaveAsOfAnUneditedTimelineKeepsWhatWasOpened) {
  CTestFrame* opened = OpenThroughMenu(work / "demo.tle");
  ASSERT_NE(opened, nullptr);
  dialogs.answers.push_back((work / "copy").string());  // the extension is added
  EXPECT_TRUE(frame.OnFileSaveAs());
  EXPECT_EQ(dialogs.suggestions.back(), (work / "demo.tle").string());
  EXPECT_EQ(opened->windowTitle(), "copy.tle");
  CTestFrame* reopened = OpenThroughMenu(work / "copy.tle");
  ASSERT_NE(reopened, nullptr);
  std::string before, after;
  ASSERT_TRUE(FormatTimelineFile(opened->View()->GetDocument(), work.path(), &before));
  ASSERT_TRUE(FormatTimelineFile(reopened->View()->GetDocument(), work.path(), &after));
  EXPECT_EQ(after, before);
  dialogs.answers.push_back((work / "again.tle").string());
  EXPECT_TRUE(frame.OnFileSaveAs());
  EXPECT_EQ(ReadAll(work / "again.tle"), ReadAll(work / "copy.tle"));
}

TEST_F(DocumentWindows, AFailedSaveSaysSoAndKeepsTheWindow) {
  CTestFrame* window = OpenThroughMenu(work / "demo.tle");
  window->View()->GetDocument().SetModifiedFlag();
  const std::string target = (work / "no such folder" / "x.tle").string();
  std::string writerMessage;
  ASSERT_FALSE(WriteTimelineFile(window->View()->GetDocument(), target, &writerMessage));
  dialogs.answers.push_back(target);
  prompts.Expect("The timeline could not be saved to " + target + ".\n" + writerMessage);
  EXPECT_FALSE(frame.OnFileSaveAs());
  EXPECT_EQ(WindowCount(), 1);
  EXPECT_TRUE(window->View()->GetDocument().IsModified());
  EXPECT_EQ(window->View()->GetDocument().pathName, (work / "demo.tle").string());
}

TEST_F(DocumentWindows, ClosingAModifiedTimelineAsksFirst) {
  struct Case {
    int answer;
    bool closed;
    bool saved;
  };
  for (const Case& c : {Case{IDCANCEL, false, false}, Case{IDNO, true, false}, Case{IDYES, true, true}}) {
    fs::copy_file(work / "demo.tle", work / "edited.tle", fs::copy_options::overwrite_existing);
    CTestFrame* window = OpenThroughMenu(work / "edited.tle");
    window->View()->GetDocument().duration = 4000;  // an edit
    window->View()->GetDocument().SetModifiedFlag();
    prompts.Expect("Save changes to edited.tle?", c.answer);
    frame.OnFileClose();
    QApplication::processEvents();
    EXPECT_EQ(WindowCount(), c.closed ? 0 : 1) << c.answer;
    EXPECT_EQ(ReadAll(work / "edited.tle") != ReadAll(work / "demo.tle"), c.saved) << c.answer;
    if (!c.closed) {
      window->View()->GetDocument().SetModifiedFlag(false);
      frame.OnFileClose();
      QApplication::processEvents();
    }
  }
  EXPECT_TRUE(prompts.AllShown());
}

TEST_F(DocumentWindows, NewWindowShowsTheSameDocumentAndRepaintsWithIt) {
  CTestFrame* first = OpenThroughMenu(work / "demo.tle");
  CTestFrame* second = frame.OnWindowNewWindow();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->Document(), second->Document());
  EXPECT_EQ(first->windowTitle(), "demo.tle:1");
  EXPECT_EQ(second->windowTitle(), "demo.tle:2");
  first->View()->BackBuffer().Validate();
  second->View()->SetCurrentPosition(2000);
  EXPECT_TRUE(first->View()->BackBuffer().NeedsPaint());
  EXPECT_EQ(first->View()->GetDocument().currentPosition, 2000);
  second->close();  // not the last view: no question
  QApplication::processEvents();
  EXPECT_EQ(WindowCount(), 1);
  EXPECT_EQ(first->windowTitle(), "demo.tle");
  EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(DocumentWindows, AClipCutInOneTimelineIsPastedInAnother) {
  CTestFrame* first = OpenThroughMenu(work / "demo.tle");
  CTestDoc& source = first->View()->GetDocument();
  TLEvent* clip = FindClipAtTime(source.Head(), 1000, 1);
  ASSERT_NE(clip, nullptr);
  const std::string path = clip->MediaPath();
  const std::int32_t length = clip->OutTime() - clip->time;
  source.AddSelection(clip);
  prompts.Expect(std::string(StringText(61285)));  // its transition goes with it
  ASSERT_TRUE(ViewCommands::Of(*first->View()).Execute(kCmdEditCut));
  EXPECT_EQ(FindClipAtTime(source.Head(), 1000, 1), nullptr);

  CTestFrame* second = frame.OnFileNew();
  CTestDoc& target = second->View()->GetDocument();
  target.currentPosition = 0;
  ASSERT_TRUE(ViewCommands::Of(*second->View()).Execute(kCmdEditPaste));
  const TLEvent* pasted = FindClipAtTime(target.Head(), 0, 1);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->MediaPath(), path);
  EXPECT_EQ(pasted->OutTime() - pasted->time, length);
  EXPECT_TRUE(prompts.AllShown());
}

TEST_F(DocumentWindows, NewTimelinesAreNumberedAndSavedThroughSaveAs) {
  CTestFrame* window = frame.OnFileNew();
  EXPECT_EQ(window->windowTitle(), "Timeline1");
  EXPECT_EQ(frame.OnFileNew()->windowTitle(), "Timeline2");
  frame.mdiArea()->setActiveSubWindow(window);
  dialogs.answers.push_back(std::nullopt);  // Save asks for a name; Cancel saves nothing
  EXPECT_FALSE(frame.OnFileSave());
  EXPECT_EQ(dialogs.suggestions.back(), "Timeline1.tle");
}

TEST(FolderPicker, GivesTheFolderAndAPrefixOfAtMostFourCharacters) {
  CDirPickerDlg dialog(0);
  dialog.FolderEdit()->setText("/tmp/frames");
  dialog.PrefixEdit()->setText("takeone");
  QTimer::singleShot(0, &dialog, &QDialog::accept);
  dialog.DoModal();
  EXPECT_EQ(dialog.accepted, 1);
  EXPECT_EQ(dialog.prefix, "take");
  EXPECT_EQ(dialog.folder, "/tmp/frames/");
  CDirPickerDlg cancelled(0);
  QTimer::singleShot(0, &cancelled, &QDialog::reject);
  cancelled.DoModal();
  EXPECT_EQ(cancelled.accepted, 0);
}

TEST(PreviewFileDialog, DescribesTheTimelineUnderTheCursor) {
  const QString text = DescribeFileForPreview(QString::fromStdString((ExamplesFolder() / "demo.tle").string()));
  EXPECT_TRUE(text.startsWith("demo.tle\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("4 tracks, 00:00:05:00")) << text.toStdString();
  EXPECT_TRUE(DescribeFileForPreview("/no/such/file").isEmpty());
}

}  // namespace
}  // namespace sprocket

namespace sprocket {
namespace {

TEST(PreviewFileDialog, MovieTitleModeSeedsAndReadsBackTitleAndRecordInTime) {
  CPreviewFileDialog dialog(false, nullptr, "AVI Files (*.avi)", QString(), CPreviewFileDialog::kMovieTitleMode);
  dialog.SetTitleField(std::string(100, 't'));
  EXPECT_EQ(dialog.TitleField().size(), 80u);
  dialog.SetRecordIn(3723500, 25);  // 1 h 2 min 3 s and 12.5 frames
  EXPECT_EQ(dialog.RecordInEdit()->text(), "01:02:03:13");
  dialog.RecordInEdit()->setText("00:00:10:05");
  EXPECT_EQ(dialog.RecordInMs(), 10200);
  dialog.RecordInEdit()->setText("not a time");
  EXPECT_EQ(dialog.RecordInMs(), 3723500);  // the seed stays
  CPreviewFileDialog plain(true, nullptr, "", QString());
  EXPECT_TRUE(plain.TitleEdit()->isHidden());
}

TEST(PreviewFileDialog, TimeCodesAndFiltersAreRead) {
  struct Case {
    const char* text;
    int fps;
    std::optional<std::int32_t> ms;
  };
  const Case cases[] = {{"00:00:01:15", 30, 1500},         {"10:00:00:00", 25, 36000000},
                        {"00:00:00:30", 30, std::nullopt}, {"00:61:00:00", 30, std::nullopt},
                        {"1:2:3", 30, std::nullopt},       {"00:00:01:00x", 30, std::nullopt},
                        {"00:00:01:00", 0, std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ParseTimeCode(c.text, c.fps), c.ms) << c.text;
  EXPECT_EQ(FileDialogFilter("AVI Files (.avi) | *.avi ||"), "AVI Files (.avi) (*.avi)");
  EXPECT_EQ(FileDialogFilter("FLC | *.flc | WAV | *.wav ||"), "FLC (*.flc);;WAV (*.wav)");
}

}  // namespace
}  // namespace sprocket

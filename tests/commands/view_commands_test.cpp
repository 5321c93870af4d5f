// The commands on a real timeline view, offscreen: a right click selects
// the clip under it, the keys send their commands through the rules, and the
// main menu's items take their state from the active view.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include "commands/command_ids.h"
#include "platform/settings/profile.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline_fixtures.h"
#include "timeline/records/timeline_builder.h"
#include "tleview/tle_view.h"
#include "tleview/view_commands.h"

namespace sprocket::testing {
namespace {

class ViewCommandsTest : public ::testing::Test {
protected:
  ViewCommandsTest() : profile(dir / "RODUVER.INI") {
    document->doc.rate = 2500;
    document->doc.SetDuration(60000);
    clip = InsertClip(document->doc.Head(), 1, 1000, 5000, AviClip("shot", 0, 4000));
    view = std::make_unique<CTLEView>(document, app, profile);
    view->resize(640, 420);
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(view.get(), &press);
  }
  QPoint OverClip() const {
    const CTestDoc& doc = document->doc;
    return {doc.TimeToX(3000), view->TrackTop(1) + 5};
  }

  TempDir dir;
  Profile profile;
  ApplicationState app;
  ScriptedPrompts prompts;
  std::shared_ptr<ViewedDocument> document = std::make_shared<ViewedDocument>();
  TLEvent* clip = nullptr;
  std::unique_ptr<CTLEView> view;
};

TEST_F(ViewCommandsTest, ClickSelectsAndKeysSplitAndUndo) {
  ViewCommands& commands = ViewCommands::Of(*view);
  EXPECT_EQ(&ViewCommands::Of(*view), &commands);
  Key(Qt::Key_S);  // nothing selected: nothing happens
  EXPECT_TRUE(document->doc.undoSteps.empty());
  ASSERT_EQ(commands.SelectClipAt(OverClip()), clip);
  EXPECT_EQ(commands.SelectClipAt({OverClip().x(), view->TrackTop(3) + 5}), nullptr);
  commands.SelectClipAt(OverClip());
  Key(Qt::Key_S);
  EXPECT_EQ(document->doc.UndoKind(), 166);
  EXPECT_TRUE(FindTrack(document->doc.Head(), 6)->next->IsClipIn());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(FindTrack(document->doc.Head(), 6)->next->IsClipIn());
  EXPECT_TRUE(FindTrack(document->doc.Head(), 1)->next->header->HasAudio());
}

TEST_F(ViewCommandsTest, MainMenuItemsFollowTheActiveViewsRules) {
  QMenu menu;
  CTLEView* active = nullptr;
  AddClipCommandItems(&menu, [&] { return active; });
  auto enabled = [&](int id) {
    emit menu.aboutToShow();
    for (QAction* action : menu.actions())
      if (action->property("sprocketCommandId").toInt() == id) return action->isEnabled();
    ADD_FAILURE() << "no item " << id;
    return false;
  };
  EXPECT_FALSE(enabled(kCmdTimelineDuration));  // no view
  active = view.get();
  EXPECT_TRUE(enabled(kCmdTimelineDuration));
  EXPECT_FALSE(enabled(kCmdSplitRejoinAudioVideo));
  ViewCommands::Of(*view).SelectClipAt(OverClip());
  EXPECT_TRUE(enabled(kCmdSplitRejoinAudioVideo));
  EXPECT_TRUE(enabled(kCmdFadeInFromBlack));
}

}  // namespace
}  // namespace sprocket::testing

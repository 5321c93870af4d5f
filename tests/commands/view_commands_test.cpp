// The commands on a real timeline view, offscreen: a right click selects
// the clip under it, the keys send their commands through the rules, and the
// main menu's items take their state from the active view.

#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

#include "commands/command_ids.h"
#include "platform/settings/profile.h"
#include "platform/string_table.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"
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
  // The event list once the view has painted it (painting splits the
  // render segments at the clips and loads pictures).
  std::string PaintedTimeline() {
    view->InvalidateAll();
    view->UpdateNow();
    return DumpEventList(document->doc.Head());
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

TEST_F(ViewCommandsTest, DeleteKeyDeletesTheSelectedClipAsEditDeleteDoes) {
  CTestDoc& doc = document->doc;
  TLEvent* other = InsertClip(doc.Head(), 3, 3000, 8000, AviClip("other", 0, 5000));
  ASSERT_EQ(RebuildTransitions(doc), 1);  // a transition where V1 and V2 overlap
  ASSERT_EQ(CountTransitions(doc.Head()), 1);
  const std::string before = PaintedTimeline();
  doc.AddSelection(clip);
  doc.AddSelection(other);
  prompts.Expect(std::string(StringText(61285)));  // the transition goes with the clip
  Key(Qt::Key_Delete);
  EXPECT_EQ(FindClipAtTime(doc.Head(), 2000, 1), nullptr);
  EXPECT_EQ(FindClipAtTime(doc.Head(), 6000, 3), other) << "only the selected clip goes";
  EXPECT_TRUE(doc.selection.empty());
  EXPECT_EQ(CountTransitions(doc.Head()), 0);
  EXPECT_EQ(doc.UndoKind(), 180);
  ASSERT_EQ(doc.undoSteps.size(), 1u);
  const std::string after = DumpEventList(doc.Head());
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DumpEventList(doc.Head()), before);
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(DumpEventList(doc.Head()), after);
  Key(Qt::Key_Delete);  // nothing selected: nothing happens
  EXPECT_EQ(doc.undoSteps.size(), 1u);
}

// The pop-up a right click shows, with an extender standing for the effect
// commands the main window adds.
TEST_F(ViewCommandsTest, RightClicksShowTheTransitionTracksOrTheClipsPopup) {
  CTestDoc& doc = document->doc;
  InsertClip(doc.Head(), 3, 3000, 8000, AviClip("other", 0, 5000));
  ASSERT_EQ(RebuildTransitions(doc), 1);
  TLEvent* transition = FindClipAtTime(doc.Head(), 4000, 2);
  ASSERT_NE(transition, nullptr);
  TLEventFields stillFields;
  stillFields.directory = "/media/";
  stillFields.name = "still";
  stillFields.extension = ".bmp";
  stillFields.mediaType = kMediaBmp;
  const TLEvent* still = InsertClip(doc.Head(), 5, 1000, 3000, stillFields);
  ViewCommands& commands = ViewCommands::Of(*view);
  struct Extended {
    bool onTransitionTrack = false;
    const TLEvent* clip = nullptr;
  };
  std::optional<Extended> extended;
  commands.SetPopupExtender([&](QMenu& menu, bool onTransitionTrack, const TLEvent* selected) {
    extended = Extended{onTransitionTrack, selected};
    menu.addAction("effect items");
  });
  struct Case {
    const char* name;
    std::int32_t time;
    std::int32_t track;
    bool shown;
    bool onTransitionTrack;
    const TLEvent* selected;
    std::vector<std::pair<QString, bool>> items;  // caption and enabled
  };
  const std::vector<Case> cases = {
      {"a transition", 4000, 2, true, true, transition, {{"effect items", true}, {"Delete", true}}},
      {"the empty transition track", 20000, 2, true, true, nullptr, {{"effect items", true}, {"Delete", false}}},
      {"a video clip",
       2000,
       1,
       true,
       false,
       clip,
       {{"Copy Attributes", true},
        {"Paste Attributes", false},
        {"Clip Speed...", true},
        {"Reset Volume", true},
        {"effect items", true},
        {"Cut", true},
        {"Delete", true}}},
      {"a still without sound",
       2000,
       5,
       true,
       false,
       still,
       {{"Reset Volume", false}, {"Set Volume...", false}, {"Mute", false}, {"Cut", true}}},
      {"an empty video track", 20000, 4, false, false, nullptr, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    extended.reset();
    std::unique_ptr<QMenu> menu = commands.PopupAt({doc.TimeToX(c.time), view->TrackTop(c.track) + 5});
    EXPECT_EQ(SelectedClip(doc), c.selected);
    ASSERT_EQ(menu != nullptr, c.shown);
    if (!c.shown) continue;
    ASSERT_TRUE(extended.has_value());
    EXPECT_EQ(extended->onTransitionTrack, c.onTransitionTrack);
    EXPECT_EQ(extended->clip, c.selected);
    std::vector<std::pair<QString, bool>> items;
    for (const QAction* action : menu->actions()) {
      const QString caption = action->text();
      const bool listed =
          std::any_of(c.items.begin(), c.items.end(), [&](const auto& i) { return i.first == caption; });
      if (listed) items.emplace_back(caption, action->isEnabled());
    }
    EXPECT_EQ(items, c.items);
  }
}

TEST_F(ViewCommandsTest, EditMenuPastesTheCutClipAtThePositionLine) {
  QMenu menu;
  AddEditCommandItems(&menu, [&] { return view.get(); });
  auto item = [&](const QString& caption) -> QAction* {
    emit menu.aboutToShow();
    for (QAction* action : menu.actions())
      if (action->text().remove('&').section('\t', 0, 0) == caption) return action;
    ADD_FAILURE() << "no item " << caption.toStdString();
    return nullptr;
  };
  CTestDoc& doc = document->doc;
  const TLEventFields original = *clip;
  EXPECT_FALSE(item("Paste")->isEnabled());
  ViewCommands::Of(*view).SelectClipAt(OverClip());
  item("Cut")->trigger();
  EXPECT_EQ(FindClipAtTime(doc.Head(), 3000, 1), nullptr);
  ASSERT_TRUE(item("Paste")->isEnabled());
  doc.currentPosition = 1000;
  item("Paste")->trigger();
  const TLEvent* pasted = FindClipAtTime(doc.Head(), 3000, 1);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->time, original.time);
  EXPECT_EQ(pasted->OutTime(), 5000);
  EXPECT_EQ(pasted->MediaPath(), original.MediaPath());
  EXPECT_EQ(pasted->playOut, original.playOut);
  EXPECT_EQ(item("Undo paste clip")->isEnabled(), true);
}

}  // namespace
}  // namespace sprocket::testing

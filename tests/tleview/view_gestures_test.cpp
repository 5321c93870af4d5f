// The mouse gestures of the timeline view through Qt's events: each makes at
// most one named undo step, tells the user what was refused or lost, and
// leaves the view showing what a fresh paint shows.

#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <functional>

#include "commands/command_router.h"
#include "mouse_editing.h"
#include "platform/string_table.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/edit/edit_outcome.h"

namespace sprocket {
namespace {

class Gestures : public MouseEditing {
protected:
  // V1: shot-a 1..4 s and shot-b 6..9 s; A1 (volume shown): the tone 1..4 s.
  void SetUpTimeline() {
    Reset();
    Track(6)->viewStatus = kTrackViewVolume;
    ASSERT_NE(AddDemoClip(1, 1000, "shot-a.avi"), nullptr);
    ASSERT_NE(AddDemoClip(1, 6000, "shot-b.avi"), nullptr);
    ASSERT_NE(AddDemoClip(6, 1000, "tone.wav"), nullptr);
    Paint();
  }
  TLEvent* ClipAt(std::int32_t ms, int track) { return FindClipAtTime(doc().Head(), ms, track); }
  int EnvelopeY(int track, std::int32_t ms, std::int32_t level) {
    dc::Rect area;
    EXPECT_EQ(view->GetEnvelopeRect(ClipAt(ms, track), area), 1);
    return EnvelopeScreenPoint(area, VolumePoint{level, 5000}).y;
  }
  void Drop(const std::string& path, int x, int y) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(x, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Surface(), &enter);
    QDropEvent drop(QPointF(x, y), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Surface(), &drop);
  }
  // The clips' tracks, times and contents, without the view's pictures.
  std::string Clips() {
    std::string keys;
    for (const TLEvent* e = doc().Head(); e != nullptr; e = GetNextEvent(e))
      if (e->IsClipIn()) keys += ClipContentKey(*e) + "\n";
    return keys;
  }
  static std::string Media(const char* name) { return (ExamplesDir() / "media" / name).string(); }
};

TEST_F(Gestures, EachGestureMakesOneNamedEditOrNoneAndLeavesAFreshPicture) {
  struct Case {
    const char* name;
    std::function<void()> gesture;
    const char* undoText;                  // null: no undo step
    std::function<std::string()> message;  // the prompt shown, or null
    std::function<bool()> done;            // the document shows the gesture's result
  };
  const std::string unreadable = WriteFile("notes.txt");
  const Case cases[] = {
      {"move", [&] { Drag(X(2500), Middle(1), X(2500) + 40, Middle(1)); }, "&Undo move clip\tCtrl+Z", nullptr,
       [&] { return ClipAt(2000, 1) != nullptr && ClipAt(2000, 1)->time == 2000; }},
      {"move across tracks", [&] { Drag(X(2500), Middle(1), X(2500), Middle(3)); }, "&Undo move clip\tCtrl+Z", nullptr,
       [&] { return ClipAt(1000, 3) != nullptr && ClipAt(1000, 1) == nullptr; }},
      {"move onto another clip", [&] { Drag(X(2500), Middle(1), X(6500), Middle(1)); }, nullptr,
       [] { return EditErrorText(EditError::kTrackNotFree); }, [&] { return ClipAt(1000, 1)->time == 1000; }},
      {"trim of the out edge", [&] { Drag(X(4000) - 2, Middle(1), X(4000) - 26, Middle(1)); },
       "&Undo trim clip\tCtrl+Z", nullptr, [&] { return ClipAt(1000, 1)->OutTime() == 3400; }},
      {"trim of the in edge", [&] { Drag(X(1000) + 1, Middle(1), X(1000) + 25, Middle(1)); }, "&Undo trim clip\tCtrl+Z",
       nullptr, [&] { return ClipAt(1600, 1)->time == 1600; }},
      {"envelope point", [&] { Drag(X(2500), EnvelopeY(6, 1000, 10000), X(2500), EnvelopeY(6, 1000, 10000) - 8); },
       "&Undo audio volume control editing\tCtrl+Z", nullptr,
       [&] { return ClipAt(1000, 6)->volume.size() == 3 && ClipAt(1000, 6)->volume[1].level > 10000; }},
      {"place",
       [&] {
         view->chooseMediaFile = [] { return std::optional<std::string>(Media("shot-b.avi")); };
         QTest::mouseDClick(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(X(20000), Middle(3)));
       },
       "&Undo place clip\tCtrl+Z", nullptr, [&] { return ClipAt(20000, 3) != nullptr; }},
      {"drop of an unreadable file", [&] { Drop(unreadable, X(10000), Middle(6)); }, nullptr,
       [&] {
         CTestDoc scratch;
         return PlaceClip(scratch, unreadable, 0, 1).refusal.value_or(EditRefusal{}).message;
       },
       [&] { return ClipAt(10000, 6) == nullptr; }},
      {"rubber band", [&] { Drag(X(500), Middle(4), X(2000), Middle(4)); }, nullptr, nullptr,
       [&] { return Selected(ClipAt(1000, 1)) && Selected(ClipAt(1000, 6)) && !Selected(ClipAt(6000, 1)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUpTimeline();
    const std::string original = Text();
    const std::size_t steps = doc().undoSteps.size();
    if (c.message) {
      const std::string message = c.message();
      if (std::string(c.name) == "drop of an unreadable file") {
        EXPECT_NE(message.find(unreadable), std::string::npos) << "the message names the file";
      }
      prompts.Expect(message);
    }
    c.gesture();
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_TRUE(c.done());
    EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
    if (c.undoText != nullptr) {
      EXPECT_EQ(doc().undoSteps.size(), steps + 1);
      EXPECT_EQ(UndoText(doc()), c.undoText);
      ExpectUndoneTo(original);
    } else {
      EXPECT_EQ(doc().undoSteps.size(), steps);
      EXPECT_EQ(Text(), original);
    }
  }
}

// A trim that takes a clip of track 1 off its overlap with track 3 deletes
// the transition over it: the user is warned (unless the warning is off),
// and one undo step gives both back.
TEST_F(Gestures, ATrimThatLosesATransitionWarnsAndUndoesInOneStep) {
  for (const bool warn : {true, false}) {
    SCOPED_TRACE(warn);
    Reset();
    doc().transitionWarning = warn ? 1 : 0;
    AddDemoClip(1, 1000, "shot-a.avi");
    AddDemoClip(3, 3000, "shot-b.avi");
    ASSERT_EQ(RebuildTransitions(doc()), 1);
    ASSERT_NE(ClipAt(3500, 2), nullptr);
    Paint();
    const std::string original = Text();
    const std::size_t steps = doc().undoSteps.size();
    if (warn) prompts.Expect(std::string(StringText(kTransitionsDeletedMessage)));
    Drag(X(4000) - 2, Middle(1), X(4000) - 50, Middle(1));
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_EQ(ClipAt(3500, 2), nullptr);
    EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
    EXPECT_EQ(doc().undoSteps.size(), steps + 1);
    ExpectUndoneTo(original);
  }
}

// A zoom or a scroll while the mouse drags ends the gesture as Stop Preview
// does: the feedback goes at once, and the release edits nothing (a drag
// kept in pixels of the old scale would drop the clip elsewhere).
TEST_F(Gestures, AZoomOrAScrollDuringADragEndsItWithoutAnEdit) {
  struct Case {
    const char* name;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"time scale", [&] { view->SetScaleIndex(doc().scaleIndex - 1); }},
      {"track height", [&] { view->SetZoomLevel(doc().zoom - 1); }},
      {"scroll", [&] { view->horizontalScrollBar()->setValue(40); }},
  };
  struct Drag {
    const char* name;
    int x, y, dx, dy;
  };
  for (const Case& c : cases) {
    SetUpTimeline();
    view->resize(kWidth, kHeight);
    Paint();
    const Drag drags[] = {{"move", X(2500), Middle(1), 10, 0},
                          {"trim", X(4000) - 2, Middle(1), -10, 0},
                          {"rubber band", X(500), Middle(4), 30, 0},
                          {"envelope", X(2500), EnvelopeY(6, 1000, 10000), 0, -8}};
    for (const Drag& d : drags) {
      SCOPED_TRACE(std::string(c.name) + " during " + d.name);
      view->horizontalScrollBar()->setValue(0);
      doc().scaleIndex = 3;
      doc().zoom = 2;
      view->RecalcTimelineExtent();
      Paint();
      const std::string original = Clips();
      const std::size_t steps = doc().undoSteps.size();
      Press(d.x, d.y);
      DragTo(d.x + d.dx / 2, d.y + d.dy / 2);
      DragTo(d.x + d.dx, d.y + d.dy);
      c.change();
      EXPECT_EQ(LeftoversAfterFreshPaint(), 0) << "the feedback went with the change";
      DragTo(d.x + 2 * d.dx, d.y + 2 * d.dy);
      Release(d.x + 2 * d.dx, d.y + 2 * d.dy);
      EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
      EXPECT_EQ(Clips(), original);
      EXPECT_EQ(doc().undoSteps.size(), steps);
    }
  }
}

// The band of a dragged edge shows what the clip becomes: its colour where
// it grows, white where it is cut away, and no further than the trim goes.
TEST_F(Gestures, TheTrimBandShowsWhatTheClipBecomes) {
  struct Case {
    const char* name;
    int pressX, dx;
    dc::Rgb band;
  };
  SetUpTimeline();
  // The middle second of the movie, so that both edges can grow.
  TrimClip(doc(), ClipAt(2000, 1), ClipEdge::kIn, 1000);
  TrimClip(doc(), ClipAt(2000, 1), ClipEdge::kOut, -1000);
  ASSERT_EQ(ClipAt(2000, 1)->OutTime(), 3000);
  Paint();
  const Case cases[] = {{"in edge shortens", X(2000) + 1, 20, kWhite},
                        {"in edge lengthens", X(2000) + 1, -20, kClipBody},
                        {"out edge shortens", X(3000) - 2, -20, kWhite},
                        {"out edge lengthens", X(3000) - 2, 20, kClipBody}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Press(c.pressX, Middle(1));
    DragTo(c.pressX + c.dx / 2, Middle(1));
    DragTo(c.pressX + c.dx, Middle(1));
    const int bandMiddle = c.pressX + c.dx / 2;
    EXPECT_EQ(At(bandMiddle, Middle(1)), c.band);
    view->StopPreview();
    EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
  }
  // Dragged past the movie's end, the band stops where the trim will: there.
  Press(X(3000) - 2, Middle(1));
  DragTo(X(3500), Middle(1));
  DragTo(X(4500), Middle(1));
  EXPECT_EQ(At(X(4000) - 3, Middle(1)), kClipBody);
  EXPECT_NE(At(X(4000) + 3, Middle(1)), kClipBody);
  Release(X(4500), Middle(1));
  EXPECT_EQ(ClipAt(2000, 1)->OutTime(), 4000);
  EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
}

// Dragging a point that the press added shows the envelope through it and
// nothing where the press took it: no handle is left at the press.
TEST_F(Gestures, ANewEnvelopePointLeavesNoHandleWhereItWasPressed) {
  SetUpTimeline();
  const int y = EnvelopeY(6, 1000, 10000);
  const QImage before = Paint().copy();
  const dc::Rect atPress{X(2500) - 4, y - 4, X(2500) + 5, y + 5};
  Press(X(2500), y);
  DragTo(X(2500), y - 6);
  DragTo(X(2500), y - 12);
  EXPECT_EQ(Differences(before.copy(atPress.left, atPress.top, atPress.Width(), atPress.Height()),
                        view->BackBuffer().Image().copy(atPress.left, atPress.top, atPress.Width(), atPress.Height())),
            0);
  EXPECT_GT(Differences(before, view->BackBuffer().Image()), 0) << "the dragged envelope shows";
  Release(X(2500), y - 12);
  EXPECT_EQ(LeftoversAfterFreshPaint(), 0);
}

}  // namespace
}  // namespace sprocket

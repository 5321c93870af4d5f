// Editing clips with the mouse on the real view, through Qt's events: each
// edit changes the document as a user expects, and undo gives back the
// timeline as it was.

#include <QApplication>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "mouse_editing.h"

namespace sprocket {
namespace {

TEST_F(MouseEditing, ClicksAndShiftClicksSelect) {
  TLEvent* a = AddDemoClip(1, 1000, "shot-a.avi");
  TLEvent* b = AddDemoClip(3, 2000, "shot-b.avi");
  Paint();
  struct Step {
    TLEvent* clip;
    Qt::KeyboardModifiers modifiers;
    bool a, b;
  };
  for (const Step s : {Step{a, Qt::NoModifier, true, false}, Step{b, Qt::ShiftModifier, true, true},
                       Step{a, Qt::ShiftModifier, false, true}, Step{a, Qt::NoModifier, true, false}}) {
    Press(X(s.clip->time + 1500), Middle(s.clip->trackNumber), s.modifiers);
    Release(X(s.clip->time + 1500), Middle(s.clip->trackNumber));
    EXPECT_EQ(Selected(a), s.a);
    EXPECT_EQ(Selected(b), s.b);
  }
  Press(X(12000), Middle(1));
  Release(X(12000), Middle(1));
  EXPECT_EQ(doc().SelectionCount(), 0u);
}

TEST_F(MouseEditing, ARubberBandSelectsTheClipsOfItsRange) {
  TLEvent* a = AddDemoClip(1, 1000, "shot-a.avi");
  TLEvent* b = AddDemoClip(3, 6000, "shot-b.avi");
  Paint();
  Drag(X(500), Middle(4), X(2000), Middle(4));
  EXPECT_TRUE(Selected(a));
  EXPECT_FALSE(Selected(b));
  EXPECT_EQ(Differences(view->BackBuffer().Image(), Paint().copy()), 0);  // the band is gone
}

TEST_F(MouseEditing, MovingAClipTakesItsSyncPartnerAndUndoes) {
  TLEvent* picture = AddDemoClip(1, 1000, "shot-a.avi");
  TLEvent* sound = AddDemoClip(6, 1000, "shot-a.avi", kTrackAudio);
  ASSERT_TRUE(picture && sound);
  picture->linkNumber = sound->linkNumber = 5;
  Paint();
  const std::string original = Text();
  Drag(X(2500), Middle(1), X(3500), Middle(1));
  EXPECT_EQ(picture->time, 2000);
  EXPECT_EQ(picture->OutTime(), 5000);
  EXPECT_EQ(sound->time, 2000);
  ExpectUndoneTo(original);
  // Across tracks: to V2, of the same kind; the partner keeps its track.
  picture = FindClipAtTime(doc().Head(), 2000, 1);
  ASSERT_NE(picture, nullptr);
  Paint();
  Drag(X(2500), Middle(1), X(2500), Middle(3));
  EXPECT_NE(FindClipAtTime(doc().Head(), 2000, 3), nullptr);
  EXPECT_EQ(FindClipAtTime(doc().Head(), 2000, 1), nullptr);
  ExpectUndoneTo(original);
}

TEST_F(MouseEditing, DraggingOneClipOfASelectionMovesThemAll) {
  TLEvent* a = AddDemoClip(1, 1000, "shot-a.avi");
  TLEvent* b = AddDemoClip(3, 2000, "shot-b.avi");
  Paint();
  const std::string original = Text();
  Press(X(2000), Middle(1));
  Release(X(2000), Middle(1));
  Press(X(3000), Middle(3), Qt::ShiftModifier);
  Release(X(3000), Middle(3));
  const QImage before = Paint().copy();
  Press(X(2000), Middle(1));
  DragTo(X(2000) + 10, Middle(1));
  EXPECT_GT(Differences(before, view->BackBuffer().Image()), 0);  // the outlines of both
  DragTo(X(2000) + 24, Middle(1));
  Release(X(2000) + 24, Middle(1));
  EXPECT_EQ(a->time, 1600);
  EXPECT_EQ(b->time, 2600);
  ExpectUndoneTo(original);
}

TEST_F(MouseEditing, DraggingASelectionAcrossTracksMovesItsClipsOfThatKind) {
  // Tracks: V1 1, FX 2, V2 3, V3 4, V4 5, A1 6, A2 7.
  AddDemoClip(1, 1000, "shot-a.avi");
  AddDemoClip(4, 5000, "shot-b.avi");
  AddDemoClip(6, 1000, "tone.wav");
  Paint();
  const std::string original = Text();
  struct Case {
    int toTrack;
    int a, b, sound;
  };
  const Case cases[] = {
      {3, 3, 5, 6},  // one video track down: both pictures, the sound stays
      {4, 1, 4, 6},  // two down would take V3's clip past the last video track: nothing moves
      {7, 1, 4, 6},  // onto a sound track: nothing moves
  };
  for (const Case& c : cases) {
    for (auto [time, track] : {std::pair{1000, 1}, {5000, 4}, {1000, 6}}) {
      doc().AddSelection(FindClipAtTime(doc().Head(), time, track));
    }
    Paint();
    Press(X(2000), Middle(1));
    DragTo(X(2000) + 6, Middle(c.toTrack));
    DragTo(X(2000), Middle(c.toTrack));
    Release(X(2000), Middle(c.toTrack));
    EXPECT_NE(FindClipAtTime(doc().Head(), 1000, c.a), nullptr) << c.toTrack;
    EXPECT_NE(FindClipAtTime(doc().Head(), 5000, c.b), nullptr) << c.toTrack;
    EXPECT_NE(FindClipAtTime(doc().Head(), 1000, c.sound), nullptr) << c.toTrack;
    if (c.a != 1) {
      ExpectUndoneTo(original);
    } else {
      EXPECT_EQ(Text(), original) << c.toTrack;
      doc().ClearSelection();
    }
  }
}

TEST_F(MouseEditing, AMoveOntoAnotherClipIsRefused) {
  AddDemoClip(1, 1000, "shot-a.avi");
  AddDemoClip(1, 6000, "shot-b.avi");
  Paint();
  const std::string original = Text();
  prompts.Expect("The track is not free there.");
  Drag(X(2500), Middle(1), X(6500), Middle(1));
  EXPECT_EQ(Text(), original);
}

TEST_F(MouseEditing, TrimmingEitherEdgeChangesTimesAndPlayPoints) {
  struct Case {
    bool inEdge;
    int dx;
    std::int32_t in, out, playIn, playOut;
  };
  for (const Case c : {Case{false, -24, 1000, 3400, 0, 2400}, Case{true, 24, 1600, 4000, 600, 3000},
                       Case{true, -24, 1000, 4000, 0, 3000}}) {  // the media starts at play-in 0
    Reset();
    TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
    Paint();
    const std::string original = Text();
    const int x = c.inEdge ? X(1000) + 1 : X(4000) - 2;
    Drag(x, Middle(1), x + c.dx, Middle(1));
    EXPECT_EQ(clip->time, c.in);
    EXPECT_EQ(clip->OutTime(), c.out);
    EXPECT_EQ(clip->playIn, c.playIn);
    EXPECT_EQ(clip->playOut, c.playOut);
    if (Text() != original) ExpectUndoneTo(original);
    EXPECT_EQ(Text(), original);
  }
}

TEST_F(MouseEditing, DraggingTheEnvelopeAddsAndMovesAPoint) {
  Track(6)->viewStatus = kTrackViewVolume;
  TLEvent* clip = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(clip, nullptr);
  Paint();
  const std::string original = Text();
  dc::Rect area;
  ASSERT_EQ(view->GetEnvelopeRect(clip, area), 1);
  const int y = EnvelopeScreenPoint(area, VolumePoint{10000, 5000}).y;
  Drag(X(2500), y, X(2500), y - 8);
  ASSERT_EQ(clip->volume.size(), 3u);
  EXPECT_GT(clip->volume[1].level, 10000);
  EXPECT_NEAR(clip->volume[1].position, 5000, 200);
  EXPECT_TRUE(doc().IsModified());
  ExpectUndoneTo(original);
}

// Stopping previews in the middle of a drag (a menu command, a key) ends the
// drag: what it drew is erased at once, its edit is not made (a dragged
// envelope point goes back too), a second stop changes nothing, and the
// moves and release that follow do nothing.
TEST_F(MouseEditing, StoppingPreviewsMidDragErasesTheDragAndTheReleaseEditsNothing) {
  struct Case {
    const char* name;
    int track;
    int pressX;  // ms on the timeline, mapped to x below; -1: the envelope
    int dx;
    bool drawsInverted;
    bool vertical;
  };
  const Case cases[] = {
      {"clip outline", 1, 2500, 40, true, false},
      {"selection of clips", 1, 2500, 40, true, false},
      {"trim of the out edge", 1, -4000, -30, true, false},
      {"trim of the in edge", 1, -1000, 30, true, false},
      {"rubber band", 4, 1500, 60, true, false},
      {"envelope point", 6, -1, -8, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Track(6)->viewStatus = kTrackViewVolume;
    TLEvent* a = AddDemoClip(1, 1000, "shot-a.avi");
    TLEvent* b = AddDemoClip(3, 2000, "shot-b.avi");
    TLEvent* tone = AddDemoClip(6, 1000, "tone.wav");
    ASSERT_TRUE(a && b && tone);
    Paint();
    if (std::string(c.name) == "selection of clips") {
      Press(X(3000), Middle(3));
      Release(X(3000), Middle(3));
      Press(X(2500), Middle(1), Qt::ShiftModifier);
      Release(X(2500), Middle(1));
      ASSERT_EQ(doc().SelectionCount(), 2u);
    }
    const std::string original = Text();
    const std::size_t undoSteps = doc().undoSteps.size();
    int x = 0;
    int y = Middle(c.track);
    if (c.pressX == -1) {
      dc::Rect area;
      ASSERT_EQ(view->GetEnvelopeRect(tone, area), 1);
      x = X(2500);
      y = EnvelopeScreenPoint(area, VolumePoint{10000, 5000}).y;
    } else {
      x = c.pressX < 0 ? X(-c.pressX) + (c.dx < 0 ? -2 : 1) : X(c.pressX);
    }
    Press(x, y);
    const QImage pressed = Paint().copy();
    if (c.vertical) {
      DragTo(x, y + c.dx / 2);
      DragTo(x, y + c.dx);
    } else {
      DragTo(x + c.dx / 2, y);
      DragTo(x + c.dx, y);
    }
    if (c.drawsInverted) {
      EXPECT_GT(Differences(view->BackBuffer().Image(), pressed), 0) << "the drag drew nothing";
    }

    view->StopPreview();
    const QImage stopped = view->BackBuffer().Image().copy();
    EXPECT_EQ(Differences(stopped, Paint().copy()), 0) << "the stop erased the drag at once";
    view->StopPreview();
    view->UpdateNow();
    EXPECT_EQ(Differences(view->BackBuffer().Image(), stopped), 0) << "a second stop changes nothing";

    DragTo(x + 2 * c.dx, y + c.dx);
    Release(x + 2 * c.dx, y + c.dx);
    view->UpdateNow();
    EXPECT_EQ(Differences(view->BackBuffer().Image(), stopped), 0) << "the release drew nothing";
    EXPECT_EQ(Text(), original) << "the release after the stop edited the timeline";
    EXPECT_EQ(doc().undoSteps.size(), undoSteps);
  }
}

TEST_F(MouseEditing, DroppedAndChosenFilesArePlacedOnTheTrack) {
  Paint();
  const std::string original = Text();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString((ExamplesDir() / "media" / "tone.wav").string()))});
  QDragEnterEvent enter(QPoint(X(10000), Middle(6)), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Surface(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(X(10000), Middle(6)), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(Surface(), &drop);
  const TLEvent* placed = FindClipAtTime(doc().Head(), 10000, 6);
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(placed->OutTime(), 13000);
  ExpectUndoneTo(original);

  // A double-click on an empty track asks for the file; Cancel places nothing.
  for (bool chosen : {false, true}) {
    view->chooseMediaFile = [&]() -> std::optional<std::string> {
      if (!chosen) return std::nullopt;
      return (ExamplesDir() / "media" / "shot-b.avi").string();
    };
    QTest::mouseDClick(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(X(20000), Middle(3)));
    EXPECT_EQ(FindClipAtTime(doc().Head(), 20000, 3) != nullptr, chosen);
  }
  ExpectUndoneTo(original);
}

TEST_F(MouseEditing, DeleteRemovesTheSelectedClips) {
  TLEvent* clip = AddDemoClip(1, 1000, "shot-a.avi");
  Paint();
  const std::string original = Text();
  Press(X(2000), Middle(1));
  Release(X(2000), Middle(1));
  ASSERT_TRUE(Selected(clip));
  QTest::keyClick(view.get(), Qt::Key_Delete);
  EXPECT_EQ(FindClipAtTime(doc().Head(), 2000, 1), nullptr);
  ExpectUndoneTo(original);
}

}  // namespace
}  // namespace sprocket

// The view's picture after any step (scrolls, zooms, scales, track rows,
// clip views, edits, undo and redo, selection, resizes) equals a fresh paint
// of the same state, pixel for pixel, over seeded random sequences.

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <random>

#include "commands/command_ids.h"
#include "timeline/edit/clip_edits.h"
#include "tleview/view_commands.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

// The first differing pixel, for the failure message.
std::string FirstDifference(const QImage& a, const QImage& b) {
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  return "none";
}

class ViewInvariant : public ClipView {
protected:
  // Movies, a still, sound on an audio track and a movie with sound,
  // transitions between the roll tracks.
  void AddMixedTimeline() {
    const std::string movie = WriteFile("movie.avi");
    for (int i = 0; i < 6; ++i) AddFileClip(1, i * 4000, i * 4000 + 3000, movie, kMediaAvi);
    for (int i = 0; i < 4; ++i) AddFileClip(3, 2500 + i * 5000, 4500 + i * 5000, movie, kMediaAvi);
    AddFileClip(1, 26000, 29000, WriteFile("still.bmp"), kMediaBmp);
    for (int i = 0; i < 3; ++i) InsertClip(doc().Head(), 2, 2500 + i * 5000, 3000 + i * 5000)->transitionId = 1;
    ASSERT_NE(AddDemoClip(6, 1000, "tone.wav"), nullptr);
    ASSERT_NE(AddDemoClip(6, 9000, "tone.wav"), nullptr);
    ASSERT_NE(AddDemoClip(3, 30000, "shot-a.avi"), nullptr);
    Paint();
  }

  std::vector<TLEvent*> Clips() {
    std::vector<TLEvent*> clips;
    for (TLEvent* e = doc().Head(); e != nullptr; e = GetNextEvent(e))
      if (e->IsClipIn() && e->trackType != kTrackTransition) clips.push_back(e);
    return clips;
  }
  std::vector<std::int32_t> TrackNumbers() {
    std::vector<std::int32_t> numbers;
    for (const TLEvent* t = GetNextEvent(doc().Head()); t != nullptr && t->kind == kEventTrackBegin;
         t = GetNextEvent(t))
      numbers.push_back(t->trackNumber);
    return numbers;
  }

  // One random step of what a user does.
  std::string Step(std::mt19937& random) {
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::vector<TLEvent*> clips = Clips();
    TLEvent* clip = clips.empty() ? nullptr : clips[pick(static_cast<int>(clips.size()))];
    const int width = view->ClientRect().right;
    const int height = view->ClientRect().bottom;
    switch (pick(13)) {
      case 0: {
        const int most = std::max(0, doc().extent - width);
        view->ScrollHorizontally(pick(4) == 0 ? pick(most + 1)
                                              : std::clamp(doc().horizontalScroll + pick(121) - 60, 0, most));
        return "horizontal scroll";
      }
      case 1: {
        const int most = std::max(0, doc().TrackAreaTop() + view->GetTotalTrackHeight() - height + 20);
        view->ScrollVertically(std::clamp(view->verticalScroll + pick(81) - 40, 0, most));
        return "vertical scroll";
      }
      case 2:
        view->SetZoomLevel(pick(kZoomLevels));
        return "zoom level";
      case 3:
        view->SetScaleIndex(pick(6));
        return "time scale";
      case 4: {
        const std::vector<std::int32_t> tracks = TrackNumbers();
        view->SetTrackViewStatus(tracks[pick(static_cast<int>(tracks.size()))], pick(5) - 1);
        return "track view status";
      }
      case 5:
        view->SetClipViewOption(pick(5));
        return "clip view option";
      case 6: {
        if (clip == nullptr) return "nothing";
        const EditResult result = MoveClips(doc(), {{clip, clip->trackNumber}}, (pick(9) - 4) * 400);
        view->ShowEdit(result.report);
        return "move through the edit API";
      }
      case 7: {
        if (clip == nullptr) return "nothing";
        const EditResult result =
            TrimClip(doc(), clip, pick(2) == 0 ? ClipEdge::kIn : ClipEdge::kOut, (pick(5) - 2) * 200);
        view->ShowEdit(result.report);
        return "trim through the edit API";
      }
      case 8:
        ViewCommands::Of(*view).Execute(pick(2) == 0 ? kCmdEditUndo : kCmdEditRedo);
        return "undo or redo";
      case 9: {
        if (clip == nullptr) return "nothing";
        doc().ClearSelection();
        view->InvalidateAll();
        doc().AddSelection(clip);
        view->InvalidateSelection();
        return "select";
      }
      case 10:
        view->BackBuffer().Resize(kWidth - pick(200), kHeight - pick(160));
        return "resize";
      case 11: {
        // A drag started on a clip and ended by a scroll, a zoom or Stop
        // Preview; the release after it does nothing.
        if (clip == nullptr) return "nothing";
        view->UpdateNow();
        const QPoint press(doc().TimeToX(clip->time + (clip->OutTime() - clip->time) / 2),
                           view->TrackTop(clip->trackNumber) + doc().RowHeight() / 2);
        if (!view->ClientRect().Contains(press.x(), press.y()) || press.x() <= doc().TrackAreaLeft()) return "nothing";
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, press);
        for (int dx : {10, 30}) {
          const QPointF at(press.x() + dx, press.y() + dx / 3);
          QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                           Qt::NoModifier);
          QCoreApplication::sendEvent(view->viewport(), &move);
        }
        const int ending = pick(3);
        if (ending == 0) view->horizontalScrollBar()->setValue(doc().horizontalScroll + 40);  // as the wheel does
        if (ending == 1) view->SetScaleIndex((doc().scaleIndex + 1) % 6);
        if (ending == 2) view->StopPreview();
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, press + QPoint(30, 10));
        return ending == 0 ? "drag ended by a scroll" : ending == 1 ? "drag ended by a zoom" : "drag ended by Stop";
      }
      default:
        view->SetCurrentPosition(pick(30000));
        return "position";
    }
  }

  // Runs `steps` random steps; after each the picture must be a fresh paint.
  void RunSequence(unsigned seed, int steps) {
    std::mt19937 random(seed);
    std::string history;
    for (int i = 0; i < steps; ++i) {
      const std::string step = Step(random);
      history += std::to_string(i) + ":" + step + " ";
      view->UpdateNow();
      const QImage& shown = view->BackBuffer().Image();
      const QImage fresh = DrawOnly(*view, shown.width(), shown.height());
      ASSERT_EQ(Differences(shown, fresh), 0) << "seed " << seed << " after step " << i << " (" << step
                                              << "), first at " << FirstDifference(shown, fresh) << "\n"
                                              << history;
    }
  }
};

TEST_F(ViewInvariant, EveryStepShowsWhatAFreshPaintShows) {
  testing::ScriptedPrompts prompts;
  for (unsigned seed : {1u, 2u, 3u}) {
    Reset();
    AddMixedTimeline();
    RunSequence(seed, 300);
    if (HasFatalFailure()) return;
  }
}

TEST_F(ViewInvariant, SelectedClipsAreMarkedAndTheMarkGoesWithTheSelection) {
  AddMixedTimeline();
  TLEvent* clip = FindClipAtTime(doc().Head(), 4500, 1);
  ASSERT_NE(clip, nullptr);
  const QImage before = Paint().copy();
  doc().AddSelection(clip);
  view->InvalidateSelection();
  view->UpdateNow();
  const int changed = Differences(before, view->BackBuffer().Image());
  EXPECT_GT(changed, 2 * (doc().RowHeight() - 4));  // both edges
  EXPECT_EQ(Differences(view->BackBuffer().Image(), DrawOnly(*view, kWidth, kHeight)), 0);
  // Cleared as the commands clear it: the edges repainted, the marks gone.
  view->InvalidateSelection();
  doc().ClearSelection();
  view->UpdateNow();
  EXPECT_EQ(Differences(before, view->BackBuffer().Image()), 0);
}

}  // namespace
}  // namespace sprocket

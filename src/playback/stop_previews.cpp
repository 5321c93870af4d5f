#include "playback/stop_previews.h"

#include <algorithm>

#include "timeline/basics/media_type.h"

namespace sprocket {

namespace {

constexpr std::int32_t kClipPreviewNone = 0;
constexpr std::int32_t kClipPreviewStill = 4;

bool IsEmpty(const ClipRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

// The top of the track area's repaints: below the three mark bands.
std::int32_t FeedbackTop(const CTestDoc& doc) { return doc.margin + 3 * doc.bandHeight; }

// The bottom of the tracks on screen.
std::int32_t TracksBottom(const CTestDoc& doc, const StopPreviewGeometry& geometry) {
  return doc.rulerHeight - geometry.verticalScroll + geometry.totalTrackHeight + 3 * doc.bandHeight + doc.margin;
}

void StopPreviewWindow(StopPreviewTargets& targets) {
  if (targets.IsMonitorRunning()) targets.StopMonitor();
  // Records whose name starts with a character are left playing.
  if (const TLEvent* clip = targets.PlayingClip(); clip != nullptr && clip->clipName.empty()) targets.StopPlay();
}

void EraseMarker(RunningPreviews& view, const CTestDoc& doc, const StopPreviewGeometry& geometry,
                 StopPreviewTargets& targets) {
  if (!view.markerShown) return;
  view.markerShown = false;
  const std::int32_t w = doc.markerWidths[static_cast<std::size_t>(std::clamp(doc.zoom, 0, 3))];
  const std::int32_t top = FeedbackTop(doc);
  const std::int32_t bottom = TracksBottom(doc, geometry) + 1;
  targets.RepaintNow(ClipRect{view.markerX - w, top, view.markerX + w, bottom});
  const std::int32_t right = std::min(doc.extent - doc.horizontalScroll, geometry.clientRight);
  targets.UpdateOtherViews(ClipRect{doc.headerWidth + doc.margin, top, right, bottom});
}

void EraseSelection(RunningPreviews& view, StopPreviewTargets& targets) {
  view.selectionDrag = false;
  view.selectionAltDrag = false;
  if (IsEmpty(view.selectionRect)) return;
  targets.RepaintNow(view.selectionRect);
  view.selectionRect = ClipRect{};
}

void ReleaseAviScrub(ClipPreviewState& preview, StopPreviewTargets& targets) {
  targets.CleanupScrubbing(preview.aviScrubState);
  preview.aviScrubState.fill(0);
  preview.aviScrubActive = 0;
  preview.aviScrubCount = 0;
}

void ReleaseWaveScrub(ClipPreviewState& preview, StopPreviewTargets& targets) {
  targets.CleanupWaveScrubbing(preview.waveScrubState);
  preview.waveScrubState.fill(0);
  preview.waveScrubActive = 0;
  preview.waveScrubCount = 0;
}

// The sound scrub of one clip: its buffer, and the scrub state of its kind.
// Each state's own flag is cleared with it, so that the later steps do not
// release it a second time.
void EndClipAudioScrub(RunningPreviews& view, ClipPreviewState& preview, StopPreviewTargets& targets) {
  if (view.audioScrubClip == nullptr) return;
  if (view.audioScrubBufferPresent != 0) {
    view.audioScrubBuffer.reset();
    view.audioScrubBufferPresent = 0;
    if (view.audioScrubClip->mediaType == kMediaAvi) ReleaseAviScrub(preview, targets);
    if (view.audioScrubClip->mediaType == kMediaWav) ReleaseWaveScrub(preview, targets);
  }
  view.audioScrubClip = nullptr;
}

void EndClipPicture(ClipPreviewState& preview, const StopPreviewGeometry& geometry, StopPreviewTargets& targets) {
  if (preview.kind == kClipPreviewNone) return;
  preview.path.clear();
  if (targets.TipHoldsMediaWindow()) targets.CloseTipMediaWindow();
  preview.shown = 0;
  // The drawing handle and the frame readers live in the resources.
  preview.resources.reset();
  if (preview.kind == kClipPreviewStill && preview.imageHandle >= 0) {
    targets.FreeStillImage(preview.imageHandle);
  }
  preview.imageHandle = -1;
  preview.kind = kClipPreviewNone;
  const auto onScreen = [&preview](std::int32_t scroll) {
    const ClipRect& r = preview.pictureRect;
    return ClipRect{r.left - 1, r.top - scroll - 1, r.right + 1, r.bottom - scroll + 1};
  };
  targets.Invalidate(onScreen(geometry.verticalScroll));
  if (geometry.otherViewVerticalScroll) targets.InvalidateFirstOtherView(onScreen(*geometry.otherViewVerticalScroll));
  preview.pictureRect = ClipRect{};
}

void EraseFeedbackLine(RunningPreviews& view, const CTestDoc& doc, const StopPreviewGeometry& geometry,
                       StopPreviewTargets& targets) {
  if (view.feedbackX <= 0) return;
  const std::int32_t bottom = std::min(geometry.clientBottom, TracksBottom(doc, geometry));
  targets.Invalidate(ClipRect{view.feedbackX - 1, FeedbackTop(doc), view.feedbackX + 1, bottom});
  view.feedbackX = -1;
}

}  // namespace

void HideTipWindow(StopPreviewTargets& targets) {
  if (const std::optional<ClipRect> tip = targets.ShownTipRect()) {
    targets.HideTip();
    targets.RepaintNow(*tip);
  }
}

void StopPreviews(RunningPreviews& view, CTestDoc& doc, const StopPreviewGeometry& geometry,
                  StopPreviewTargets& targets) {
  ClipPreviewState& preview = doc.preview;
  StopPreviewWindow(targets);
  HideTipWindow(targets);
  EraseMarker(view, doc, geometry, targets);
  EraseSelection(view, targets);
  if (view.scrub != nullptr) {
    targets.EndBoardScrub(*view.scrub);
    view.scrub->End();
    view.scrub.reset();
  }
  view.scrubPending = false;
  if (view.boardPlayback) {
    targets.StopBoardPlayback();
    view.boardPlayback = false;
  }
  EndClipAudioScrub(view, preview, targets);
  view.envelopeDrag = false;
  EndClipPicture(preview, geometry, targets);
  if (preview.waveScrubActive != 0) ReleaseWaveScrub(preview, targets);
  if (preview.aviScrubActive > 0) ReleaseAviScrub(preview, targets);
  view.scrubbing = false;
  view.scrubMoved = false;
  EraseFeedbackLine(view, doc, geometry, targets);
}

bool AnyPreviewRunning(const RunningPreviews& view, const CTestDoc& doc, const StopPreviewTargets& targets) {
  const ClipPreviewState& preview = doc.preview;
  const TLEvent* playing = targets.PlayingClip();
  return targets.IsMonitorRunning() || (playing != nullptr && playing->clipName.empty()) ||
         targets.ShownTipRect().has_value() || view.boardPlayback || view.markerShown || !IsEmpty(view.selectionRect) ||
         view.scrub != nullptr || view.audioScrubClip != nullptr || view.feedbackX > 0 ||
         preview.kind != kClipPreviewNone || preview.waveScrubActive != 0 || preview.aviScrubActive > 0;
}

}  // namespace sprocket

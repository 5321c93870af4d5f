#pragma once
// Everything the timeline view may have running while the user works, with
// what each holds, and how StopPreviews ends all of them and erases what
// they drew so that the timeline can be changed safely.
//
// Running at once may be: the preview window's monitor or its play state,
// the view's board playback and board scrubbing, the sound scrub of one
// clip, the clip picture in the tip window, a position marker, a selection
// rectangle, an envelope drag and a feedback line. The view keeps its part
// in a RunningPreviews, the document its clip preview (ClipPreviewState);
// everything outside both is reached through StopPreviewTargets, which the
// view implements. Each step tests its own state first, so a second call
// does nothing.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/global_memory.h"
#include "playback/timeline_scrub.h"
#include "timeline/document/document.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// The view's part.
struct RunningPreviews {
  // Set while the view plays the timeline on the board.
  bool boardPlayback = false;
  // The position marker the mouse handlers show in the track area.
  bool markerShown = false;
  std::int32_t markerX = 0;
  // The selection rectangle being dragged (client coordinates) and its two drag flags.
  ClipRect selectionRect;
  bool selectionDrag = false;
  bool selectionAltDrag = false;
  // A scrub of the timeline, and a scrub asked for but not started.
  std::unique_ptr<TimelineScrub> scrub;
  bool scrubPending = false;
  // The clip whose sound is scrubbed, and its buffer.
  TLEvent* audioScrubClip = nullptr;
  std::int16_t audioScrubBufferPresent = 0;
  GlobalBlock audioScrubBuffer;
  bool envelopeDrag = false;
  // Two flags of the scrubbing handlers.
  bool scrubbing = false;
  bool scrubMoved = false;
  // A feedback line's x; -1 when none (0 is never drawn or erased).
  std::int32_t feedbackX = -1;
};

// Where the view is: what the repaints need beyond the document's geometry.
struct StopPreviewGeometry {
  std::int32_t verticalScroll = 0;
  std::int32_t totalTrackHeight = 0;  // H
  std::int32_t clientRight = 0;
  std::int32_t clientBottom = 0;
  // The vertical scroll of the document's first other view, when it has one.
  std::optional<std::int32_t> otherViewVerticalScroll;
};

// What StopPreviews reaches outside the view's and the document's state.
class StopPreviewTargets {
public:
  virtual ~StopPreviewTargets() = default;
  // The preview window.
  virtual bool IsMonitorRunning() const = 0;
  virtual void StopMonitor() = 0;
  virtual const TLEvent* PlayingClip() const = 0;
  virtual void StopPlay() = 0;
  // The tip window: its rectangle in the view's client coordinates while it
  // shows, hiding it, and the media window it may hold.
  virtual std::optional<ClipRect> ShownTipRect() const = 0;
  virtual void HideTip() = 0;
  virtual bool TipHoldsMediaWindow() const = 0;
  virtual void CloseTipMediaWindow() = 0;
  // Drawing: repaint at once (invalidate with erase, then update), invalidate
  // for the next paint, and the same in the document's other views.
  virtual void RepaintNow(const ClipRect& rect) = 0;
  virtual void Invalidate(const ClipRect& rect) = 0;
  virtual void UpdateOtherViews(const ClipRect& rect) = 0;
  virtual void InvalidateFirstOtherView(const ClipRect& rect) = 0;
  // The view's part of ending a scrub (its unrendered-segment flag, the
  // preview window's scrub picture), before the scrub closes its sources;
  // and the board player's stop.
  virtual void EndBoardScrub(TimelineScrub& scrub) = 0;
  virtual void StopBoardPlayback() = 0;
  // The audio scrub library's clean-ups of a state block, and freeing a
  // still-image handle.
  virtual void CleanupScrubbing(std::array<std::uint8_t, 164>& state) = 0;
  virtual void CleanupWaveScrubbing(std::array<std::uint8_t, 24>& state) = 0;
  virtual void FreeStillImage(std::int32_t handle) = 0;
};

// Ends every running preview, playback, scrub and feedback and erases what
// they drew; the timeline and the selection are left as they are.
void StopPreviews(RunningPreviews& view, CTestDoc& doc, const StopPreviewGeometry& geometry,
                  StopPreviewTargets& targets);

// Hides the tip window when it shows and repaints the view under it.
void HideTipWindow(StopPreviewTargets& targets);

// True when anything StopPreviews ends is still running or drawn.
bool AnyPreviewRunning(const RunningPreviews& view, const CTestDoc& doc, const StopPreviewTargets& targets);

}  // namespace sprocket

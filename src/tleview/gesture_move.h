#pragma once
// Dragging clips in time and across tracks: the pressed clip alone (its
// outline and guides follow the mouse), or the whole selection when one of
// several selected clips was pressed (their outlines follow). The release
// moves them, with their split halves in sync, in one edit.

#include <cstdint>
#include <vector>

#include "platform/qt/dc_types.h"
#include "timeline/records/tl_event.h"
#include "tleview/gesture_base.h"

namespace sprocket {

class MoveGesture final : public MouseGesture {
public:
  // Starts the drag of `clip` pressed at `press` (the selection is made).
  MoveGesture(CTLEView& view, QPoint press, TLEvent* clip, bool wholeSelection);

  void Move(QPoint point) override;
  void Release(QPoint point) override;
  void Cancel() override;
  void DrawFeedback() override;
  void EraseFeedback() override;

private:
  // Where the mouse at a point takes the clips.
  struct Landing {
    std::int32_t left = 0;              // the pressed clip's left x
    const TLEvent* track = nullptr;     // the track under the mouse
    std::vector<std::int32_t> targets;  // the track of each selected clip
  };
  Landing LandingAt(QPoint point) const;
  // Puts the outlines where the mouse at `point` takes the clips.
  void Follow(QPoint point);
  // The track each selected clip goes to when the pressed one is dragged
  // onto `target`.
  std::vector<std::int32_t> TargetTracks(const TLEvent* target) const;
  const TLEvent* TrackShiftedBy(const TLEvent& clip, int shift) const;
  // Takes the feedback away and gives the selection its rectangles back.
  void EndFeedback();

  TLEvent* clip_;
  bool wholeSelection_;
  dc::Rect startRect_;                    // the pressed clip's outline at the press
  std::vector<ClipRect> selectionStart_;  // the selection's rectangles at the press
  bool shown_ = false;
};

}  // namespace sprocket

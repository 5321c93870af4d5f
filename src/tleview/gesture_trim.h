#pragma once
// Dragging a clip's in or out edge. While it drags, the band between the
// edge's old place and where the trim will put it (on a frame, within the
// clip's media) shows what the clip becomes: the clip's colour where it
// grows, white where it is cut away. The release trims the clip (and its
// split half in sync) in one edit.

#include <memory>

#include "timeline/edit/clip_edits.h"
#include "tleview/gesture_base.h"

namespace sprocket {

class TrimGesture final : public MouseGesture {
public:
  // The gesture of a press within reach of a clip's edge, or null.
  static std::unique_ptr<MouseGesture> Begin(CTLEView& view, QPoint point);

  void Move(QPoint point) override;
  void Release(QPoint point) override;
  void Cancel() override;
  void DrawFeedback() override;
  void EraseFeedback() override;

private:
  TrimGesture(CTLEView& view, QPoint press, TLEvent* clip, ClipEdge edge);
  void EndFeedback();
  // The time the mouse has moved the edge by since the press.
  std::int32_t DraggedTime(QPoint point) const;

  TLEvent* clip_;
  ClipEdge edge_;
};

}  // namespace sprocket

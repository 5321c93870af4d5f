#pragma once
// Dragging a point of a clip's volume or balance envelope: a press on the
// envelope's line takes the point there (a new one between two others when
// none is near). The gesture drags a copy of the envelope, shown inverted in
// place of the painted one; the release sets the clip's envelope to it in
// one edit.

#include <memory>

#include "platform/qt/dc_types.h"
#include "timeline/records/tl_event.h"
#include "tleview/gesture_base.h"

namespace sprocket {

class EnvelopeGesture final : public MouseGesture {
public:
  // The gesture of a press on a clip's envelope line, or null.
  static std::unique_ptr<MouseGesture> Begin(CTLEView& view, QPoint point);

  void Move(QPoint point) override;
  void Release(QPoint point) override;
  void Cancel() override;
  void DrawFeedback() override;
  void EraseFeedback() override;

private:
  EnvelopeGesture(CTLEView& view, QPoint press, TLEvent* clip, int mode, const dc::Rect& area, VolumeEnvelope points,
                  int index);
  // Moves the dragged point of the copy to the mouse.
  void Follow(QPoint point);
  // Shows the list in the drag members (inverting it on the picture).
  void Invert(const VolumeEnvelope& points);
  const VolumeEnvelope& ClipPoints() const;

  TLEvent* clip_;
  int mode_;               // -1 the volume envelope, 1 the balance one
  VolumeEnvelope points_;  // the copy being dragged
  int index_;              // the dragged point
  bool shown_ = false;     // the copy is shown in place of the painted envelope
};

}  // namespace sprocket

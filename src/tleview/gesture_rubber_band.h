#pragma once
// A press beside the clips sweeps a range: the band over the tracks follows
// the mouse, and the release selects every clip that the range meets (added
// to the selection with Shift held at the press).

#include <memory>

#include <Qt>

#include "tleview/gesture_base.h"

namespace sprocket {

class RubberBandGesture final : public MouseGesture {
public:
  static std::unique_ptr<MouseGesture> Begin(CTLEView& view, QPoint point, Qt::KeyboardModifiers modifiers);

  void Move(QPoint point) override;
  void Release(QPoint point) override;
  void Cancel() override;
  void DrawFeedback() override;
  void EraseFeedback() override;

private:
  RubberBandGesture(CTLEView& view, QPoint press);
  void EndFeedback();

  bool shown_ = false;
};

}  // namespace sprocket

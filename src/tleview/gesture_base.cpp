#include "tleview/gesture_base.h"

#include "timeline/edit/edit_outcome.h"
#include "tleview/tle_view.h"

namespace sprocket {

bool MouseGesture::PastThreshold(QPoint point) {
  if (!dragging_ && (point - press_).manhattanLength() >= kDragThreshold) dragging_ = true;
  return dragging_;
}

void MouseGesture::ShowOutcome(const EditResult& result) {
  if (ShowEditOutcome(view_.GetDocument(), result)) view_.ShowEdit(result.report);
  view_.UpdateNow();
}

}  // namespace sprocket

#include "tleview/gesture_rubber_band.h"

#include <algorithm>
#include <utility>

#include "timeline/records/event_queries.h"
#include "tleview/gesture_select.h"
#include "tleview/tle_view.h"

namespace sprocket {

std::unique_ptr<MouseGesture> RubberBandGesture::Begin(CTLEView& view, QPoint point, Qt::KeyboardModifiers modifiers) {
  if (!(modifiers & Qt::ShiftModifier)) view.GetDocument().ClearSelection();
  view.UpdateNow();  // the selection marks go at once, before the band is drawn
  return std::unique_ptr<MouseGesture>(new RubberBandGesture(view, point));
}

RubberBandGesture::RubberBandGesture(CTLEView& view, QPoint press) : MouseGesture(view, press) {
  const CTestDoc& doc = view.GetDocument();
  view.drag.alternateDrag = 0;
  view.drag.rubberBandRect = ClipRect{press.x(), doc.margin + 3 * doc.bandHeight, press.x(), view.TracksBottom()};
}

void RubberBandGesture::Move(QPoint point) {
  if (!PastThreshold(point)) return;
  if (shown_) EraseFeedback();
  view_.drag.rubberBandRect.left = std::min(point.x(), press_.x());
  view_.drag.rubberBandRect.right = std::max(point.x(), press_.x());
  DrawFeedback();
  shown_ = true;
}

void RubberBandGesture::DrawFeedback() { view_.DrawRangeRubberBand(); }

// The band is inverted: drawn again, it goes.
void RubberBandGesture::EraseFeedback() { view_.DrawRangeRubberBand(); }

void RubberBandGesture::EndFeedback() {
  if (shown_) EraseFeedback();
  shown_ = false;
}

void RubberBandGesture::Release(QPoint) {
  EndFeedback();
  const ClipRect band = std::exchange(view_.drag.rubberBandRect, ClipRect{});
  if (!dragging_) return;
  CTestDoc& doc = view_.GetDocument();
  const std::int32_t start = doc.XToTime(band.left + doc.horizontalScroll);
  const std::int32_t end = doc.XToTime(band.right + doc.horizontalScroll);
  for (TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || e->OutTime() <= start || e->time >= end) continue;
    if (doc.FindSelection(e) == 0) SelectClip(doc, e, true);
  }
}

void RubberBandGesture::Cancel() {
  EndFeedback();
  view_.drag.rubberBandRect = ClipRect{};
}

}  // namespace sprocket

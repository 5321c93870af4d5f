#include "tleview/gesture_trim.h"

#include <algorithm>

#include "tleview/tle_view.h"

namespace sprocket {

std::unique_ptr<MouseGesture> TrimGesture::Begin(CTLEView& view, QPoint point) {
  TLEvent* clip = view.ClipAtPoint(point.x(), point.y());
  if (clip == nullptr) return nullptr;
  const CTestDoc& doc = view.GetDocument();
  if (point.x() - doc.TimeToX(clip->time) < kGrabDistance) {
    return std::unique_ptr<MouseGesture>(new TrimGesture(view, point, clip, ClipEdge::kIn));
  }
  if (doc.TimeToX(clip->OutTime()) - point.x() <= kGrabDistance) {
    return std::unique_ptr<MouseGesture>(new TrimGesture(view, point, clip, ClipEdge::kOut));
  }
  return nullptr;
}

// The band's colour rule takes the clip's colour with pair A when the new
// edge x (q) lies right of the old one (p), with pair B when it lies left:
// the out edge grows the clip to the right, the in edge to the left.
TrimGesture::TrimGesture(CTLEView& view, QPoint press, TLEvent* clip, ClipEdge edge)
    : MouseGesture(view, press), clip_(clip), edge_(edge) {
  const CTestDoc& doc = view.GetDocument();
  const int left = doc.TimeToX(clip->time);
  const int right = doc.TimeToX(clip->OutTime());
  const bool inEdge = edge == ClipEdge::kIn;
  ViewDragState& drag = view.drag;
  drag.trimmedClip = clip;
  drag.trimLeftA = 0;
  drag.trimRightA = inEdge ? 0 : 1;
  drag.trimLeftB = inEdge ? 1 : 0;
  drag.trimRightB = 0;
  drag.trimIntermediateEdge = 0;
  drag.draggedEdgeX1 = inEdge ? left : right;
  drag.draggedEdgeX2 = drag.draggedEdgeX1;
  drag.oppositeEdgeX = inEdge ? right : left;
  drag.trimBandRect = ClipRect{};
}

void TrimGesture::Move(QPoint point) {
  if (!PastThreshold(point)) return;
  EraseFeedback();
  ViewDragState& drag = view_.drag;
  const CTestDoc& doc = view_.GetDocument();
  drag.draggedEdgeX2 = doc.TimeToX(TrimmedEdgeTime(doc, *clip_, edge_, DraggedTime(point)));
  const std::int32_t top = view_.TrackTop(clip_->trackNumber);
  drag.trimBandRect = ClipRect{std::min(drag.draggedEdgeX1, drag.draggedEdgeX2), top + 2,
                               std::max(drag.draggedEdgeX1, drag.draggedEdgeX2), top + doc.RowHeight() - 1};
  DrawFeedback();
}

void TrimGesture::DrawFeedback() { view_.DrawTrimBand(); }

void TrimGesture::EraseFeedback() { view_.EraseTrimBand(); }

void TrimGesture::EndFeedback() {
  EraseFeedback();
  ViewDragState& drag = view_.drag;
  drag.trimBandRect = ClipRect{};
  drag.trimmedClip = nullptr;
  drag.trimLeftA = drag.trimRightA = drag.trimLeftB = drag.trimRightB = drag.trimIntermediateEdge = 0;
}

std::int32_t TrimGesture::DraggedTime(QPoint point) const {
  const CTestDoc& doc = view_.GetDocument();
  const std::int32_t oldX = view_.drag.draggedEdgeX1;
  const std::int32_t newX = oldX + point.x() - press_.x();
  return doc.XToTime(newX + doc.horizontalScroll) - doc.XToTime(oldX + doc.horizontalScroll);
}

void TrimGesture::Release(QPoint point) {
  const std::int32_t delta = DraggedTime(point);
  EndFeedback();
  if (!dragging_) return;
  ShowOutcome(TrimClip(view_.GetDocument(), clip_, edge_, delta));
}

void TrimGesture::Cancel() { EndFeedback(); }

}  // namespace sprocket

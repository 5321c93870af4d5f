#include "tleview/gesture_select.h"

#include "tleview/tle_view.h"

namespace sprocket {

void SelectClip(CTestDoc& doc, TLEvent* clip, bool toggle) {
  ClipSelection* entry = nullptr;
  const bool selected = doc.FindSelection(clip, &entry) != 0;
  if (toggle && selected) {
    doc.RemoveSelection(entry);
    return;
  }
  if (!toggle) doc.ClearSelection();
  ClipSelection& added = doc.AddSelection(clip);
  added.in = clip->time;
  added.out = clip->OutTime();
  added.rect =
      ClipRect{doc.TimeToX(clip->time), clip->drawnRect.top, doc.TimeToX(clip->OutTime()), clip->drawnRect.bottom};
}

std::unique_ptr<MouseGesture> SelectGesture::Begin(CTLEView& view, QPoint point, Qt::KeyboardModifiers modifiers) {
  TLEvent* clip = view.ClipAtPoint(point.x(), point.y());
  if (clip == nullptr) return nullptr;
  CTestDoc& doc = view.GetDocument();
  const bool shift = (modifiers & Qt::ShiftModifier) != 0;
  const bool wholeSelection = !shift && doc.FindSelection(clip) != 0 && doc.SelectionCount() > 1;
  if (!wholeSelection) SelectClip(doc, clip, shift);
  view.UpdateNow();  // the selection marks show at once (no feedback is drawn yet)
  return std::unique_ptr<MouseGesture>(new SelectGesture(view, point, clip, wholeSelection));
}

SelectGesture::SelectGesture(CTLEView& view, QPoint press, TLEvent* clip, bool wholeSelection)
    : MouseGesture(view, press), clip_(clip), wholeSelection_(wholeSelection) {}

void SelectGesture::Move(QPoint point) {
  if (move_ == nullptr) {
    if (!PastThreshold(point)) return;
    move_ = std::make_unique<MoveGesture>(view_, press_, clip_, wholeSelection_);
  }
  move_->Move(point);
}

void SelectGesture::Release(QPoint point) {
  if (move_ != nullptr) {
    move_->Release(point);
  } else if (wholeSelection_) {
    SelectClip(view_.GetDocument(), clip_, false);
  }
}

void SelectGesture::Cancel() {
  if (move_ != nullptr) move_->Cancel();
}

void SelectGesture::DrawFeedback() {
  if (move_ != nullptr) move_->DrawFeedback();
}

void SelectGesture::EraseFeedback() {
  if (move_ != nullptr) move_->EraseFeedback();
}

}  // namespace sprocket

#pragma once
// One mouse gesture of the timeline view: a press starts it, moves of the
// held button drag it, the release makes its one edit through the document's
// edit API, and a cancel (Stop Preview, a scroll, a zoom) ends it without one.
//
// A gesture keeps only its feedback: what it shows inverted on the view's
// picture, the point under the mouse, a copy of what it drags. What the
// view's feedback functions read lives in the view's drag members
// (drag_state.h); the gesture writes them and erases exactly what it drew.

#include <QPoint>

#include "timeline/edit/timeline_edit.h"

namespace sprocket {

class CTLEView;

// How near an edge or an envelope a press must be to take it.
inline constexpr int kGrabDistance = 4;
// How far the mouse moves before a press becomes a drag.
inline constexpr int kDragThreshold = 2;

class MouseGesture {
public:
  virtual ~MouseGesture() = default;
  MouseGesture(const MouseGesture&) = delete;
  MouseGesture& operator=(const MouseGesture&) = delete;

  // The mouse moved with the button held.
  virtual void Move(QPoint point) = 0;
  // The button went up: the feedback goes, then the gesture's edit is made.
  virtual void Release(QPoint point) = 0;
  // Ends the gesture without its edit; what it showed goes.
  virtual void Cancel() = 0;
  // Shows and takes away the feedback of the gesture's state now; each
  // erase undoes the draw before it exactly.
  virtual void DrawFeedback() = 0;
  virtual void EraseFeedback() = 0;

protected:
  MouseGesture(CTLEView& view, QPoint press) : view_(view), press_(press) {}
  // True once the mouse went far enough from the press to drag.
  bool PastThreshold(QPoint point);
  // Tells the user how the edit went (a refusal's reason, the warning that
  // transitions went) and repaints what it changed in every view.
  void ShowOutcome(const EditResult& result);

  CTLEView& view_;
  const QPoint press_;
  bool dragging_ = false;
};

}  // namespace sprocket

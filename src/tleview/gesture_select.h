#pragma once
// A press on a clip's body: a click selects the clip (alone, or toggled with
// Shift); a drag hands over to the move of the clip or of the selection.

#include <memory>

#include <Qt>

#include "tleview/gesture_base.h"
#include "tleview/gesture_move.h"

namespace sprocket {

struct TLEvent;
class CTestDoc;

// Selects a clip: alone, or (toggle) added to the selection or taken off it.
void SelectClip(CTestDoc& doc, TLEvent* clip, bool toggle);

class SelectGesture final : public MouseGesture {
public:
  // The gesture of a press on a clip's body, or null when none is there.
  static std::unique_ptr<MouseGesture> Begin(CTLEView& view, QPoint point, Qt::KeyboardModifiers modifiers);

  void Move(QPoint point) override;
  void Release(QPoint point) override;
  void Cancel() override;
  void DrawFeedback() override;
  void EraseFeedback() override;

private:
  SelectGesture(CTLEView& view, QPoint press, TLEvent* clip, bool wholeSelection);

  TLEvent* clip_;
  // A press on one clip of a selection of several drags them all; a click
  // without a drag selects the clip alone.
  bool wholeSelection_;
  std::unique_ptr<MoveGesture> move_;
};

}  // namespace sprocket

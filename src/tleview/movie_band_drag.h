#pragma once
// Dragging an end of the Movie band (the third band over the ruler) sets the
// movie range: an inverted line follows the mouse while the button is held,
// and the release makes one undoable edit, snapped to a frame. A scroll, a
// zoom or a key while dragging ends the drag without an edit.

#include <QObject>
#include <cstdint>
#include <optional>

namespace sprocket {

class CTLEView;

class MovieBandDrag : public QObject {
public:
  // Watches the view's viewport; owned by the view (its Qt parent).
  explicit MovieBandDrag(CTLEView& view);

  // Which end of the band lies under a view point, if any.
  enum class End { kStart, kEnd };
  std::optional<End> EndAt(int x, int y) const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void MoveLine(int x);
  void EraseLine();
  void InvertLine(int x);
  void Finish(int x);
  void Cancel();

  CTLEView& view_;
  std::optional<End> dragged_;
  int lineX_ = -1;  // the inverted line drawn now, -1 when none
};

}  // namespace sprocket

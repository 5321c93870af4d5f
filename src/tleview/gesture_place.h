#pragma once
// Placing media files on the timeline: a double-click on an empty stretch of
// a track asks for a file and places it there; files dropped from a file
// manager are placed one after the other from where they were dropped. Each
// file is one edit; a file that cannot be placed is named in a message and
// ends the placing.

#include <QPoint>
#include <string>
#include <vector>

namespace sprocket {

class CTLEView;

class PlaceGesture {
public:
  explicit PlaceGesture(CTLEView& view) : view_(view) {}

  // False when the double-click is not on an empty stretch of a track.
  bool DoubleClick(QPoint point);
  void Drop(QPoint point, const std::vector<std::string>& paths);

private:
  CTLEView& view_;
};

}  // namespace sprocket

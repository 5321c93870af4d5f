#include "tleview/gesture_place.h"

#include <algorithm>

#include "timeline/edit/clip_edits.h"
#include "timeline/edit/edit_outcome.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// Places one file; the new clip, or null when it was refused.
TLEvent* PlaceFile(CTLEView& view, const std::string& path, std::int32_t time, std::int32_t trackNumber) {
  TLEvent* placed = nullptr;
  const EditResult result = PlaceClip(view.GetDocument(), path, time, trackNumber, &placed);
  if (ShowEditOutcome(view.GetDocument(), result)) view.ShowEdit(result.report);
  view.UpdateNow();
  return placed;
}

}  // namespace

bool PlaceGesture::DoubleClick(QPoint point) {
  CTestDoc& doc = view_.GetDocument();
  const TLEvent* track = view_.TrackAtY(point.y());
  if (track == nullptr || point.x() <= doc.TrackAreaLeft() || view_.ClipAtPoint(point.x(), point.y()) != nullptr) {
    return false;
  }
  const std::int32_t trackNumber = track->trackNumber;
  const std::optional<std::string> path = view_.chooseMediaFile ? view_.chooseMediaFile() : std::nullopt;
  if (path) PlaceFile(view_, *path, doc.XToTime(point.x() + doc.horizontalScroll), trackNumber);
  return true;
}

void PlaceGesture::Drop(QPoint point, const std::vector<std::string>& paths) {
  CTestDoc& doc = view_.GetDocument();
  const TLEvent* track = view_.TrackAtY(point.y());
  const std::int32_t trackNumber = track != nullptr ? track->trackNumber : 1;
  std::int32_t time = doc.XToTime(std::max(point.x(), doc.TrackAreaLeft()) + doc.horizontalScroll);
  for (const std::string& path : paths) {
    const TLEvent* placed = PlaceFile(view_, path, time, trackNumber);
    if (placed == nullptr) break;
    time = placed->OutTime();  // the next file follows
  }
}

}  // namespace sprocket

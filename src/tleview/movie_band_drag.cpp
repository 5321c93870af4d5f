#include "tleview/movie_band_drag.h"

#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "platform/qt/back_buffer.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/edit/edit_outcome.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// How near an end of the band a press must be to take it.
constexpr int kGrabDistance = 6;
constexpr dc::Rgb kLineColour{255, 255, 0};

}  // namespace

MovieBandDrag::MovieBandDrag(CTLEView& view) : QObject(&view), view_(view) {
  view.viewport()->installEventFilter(this);
}

std::optional<MovieBandDrag::End> MovieBandDrag::EndAt(int x, int y) const {
  const CTestDoc& doc = view_.GetDocument();
  const int top = doc.margin + 2 * doc.bandHeight + 1;
  if (y < top || y >= top + doc.bandHeight || x < doc.TrackAreaLeft()) return std::nullopt;
  const int startDistance = std::abs(x - doc.TimeToX(doc.movieRange.start));
  const int endDistance = std::abs(x - doc.TimeToX(doc.movieRange.end));
  if (std::min(startDistance, endDistance) > kGrabDistance) return std::nullopt;
  // Ends that lie together: the end is taken, so a range of nothing can grow.
  return endDistance <= startDistance ? End::kEnd : End::kStart;
}

bool MovieBandDrag::eventFilter(QObject* /*watched*/, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint point = mouse->position().toPoint();
      if (mouse->button() != Qt::LeftButton) return false;
      dragged_ = EndAt(point.x(), point.y());
      if (!dragged_) return false;
      view_.StopPreview();
      MoveLine(point.x());
      return true;
    }
    case QEvent::MouseMove:
      if (!dragged_) return false;
      MoveLine(
          std::max(static_cast<QMouseEvent*>(event)->position().toPoint().x(), view_.GetDocument().TrackAreaLeft()));
      return true;
    case QEvent::MouseButtonRelease:
      if (!dragged_) return false;
      Finish(std::max(static_cast<QMouseEvent*>(event)->position().toPoint().x(), view_.GetDocument().TrackAreaLeft()));
      return true;
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::Resize:
      if (dragged_) Cancel();
      return false;
    default:
      return false;
  }
}

void MovieBandDrag::MoveLine(int x) {
  EraseLine();
  InvertLine(x);
  lineX_ = x;
}

void MovieBandDrag::EraseLine() {
  if (lineX_ < 0) return;
  InvertLine(std::exchange(lineX_, -1));  // drawing it again takes it away
}

void MovieBandDrag::InvertLine(int x) {
  const CTestDoc& doc = view_.GetDocument();
  const std::unique_ptr<dc::Context> dc = view_.BackBuffer().WindowContext();
  dc->SelectPen(dc::Pen::Solid(kLineColour));
  dc->SetRop2(dc::Rop2::kNotXorPen);
  dc->MoveTo(x, doc.margin + 2 * doc.bandHeight + 1);
  dc->LineTo(x, doc.TrackAreaTop());
}

void MovieBandDrag::Finish(int x) {
  EraseLine();
  const End end = *dragged_;
  dragged_.reset();
  CTestDoc& doc = view_.GetDocument();
  TimeRange range = doc.movieRange;
  const std::int32_t time = doc.XToTime(x + doc.horizontalScroll);
  (end == End::kStart ? range.start : range.end) = time;
  if (range.end < range.start) std::swap(range.start, range.end);
  const EditResult result = SetMovieRange(doc, range);
  if (ShowEditOutcome(doc, result) && result.report.changed) view_.ShowEdit(result.report);
}

void MovieBandDrag::Cancel() {
  EraseLine();
  dragged_.reset();
}

}  // namespace sprocket

#include "render/output/position_lines.h"

#include <algorithm>
#include <limits>

#include "timeline/document/document.h"

namespace sprocket {

bool IsInsideTrackArea(const CTestDoc& doc, const PositionLineView& view, std::int32_t x) {
  const std::int32_t left = doc.TrackAreaLeft();
  const std::int32_t right = std::min(doc.extent - doc.horizontalScroll, view.clientWidth);
  return x > left && x < right;
}

namespace {

// The tracks' bottom less the vertical scroll, clipped to the client height;
// never above `top`.
LineSpan SpanToTracksBottom(const CTestDoc& doc, const PositionLineView& view, std::int32_t top) {
  const std::int32_t tracks = GetTrackTop(doc, std::numeric_limits<std::int32_t>::max());
  const std::int32_t bottom = std::min(doc.TrackAreaTop() + tracks - view.verticalScroll, view.clientHeight);
  return LineSpan{top, std::max(top, bottom)};
}

}  // namespace

LineSpan TrackLineSpan(const CTestDoc& doc, const PositionLineView& view) {
  return SpanToTracksBottom(doc, view, doc.TrackAreaTop());
}

LineSpan RenderLineSpan(const CTestDoc& doc, const PositionLineView& view) {
  return SpanToTracksBottom(doc, view, doc.margin + 3 * doc.bandHeight);
}

PositionLineStep RenderPositionLineStep(const CTestDoc& doc, const PositionLineView& view, std::int32_t ms,
                                        bool firstCall, std::int32_t oldX) {
  PositionLineStep step;
  step.newX = doc.TimeToX(ms);
  step.span = RenderLineSpan(doc, view);
  if (!firstCall && IsInsideTrackArea(doc, view, oldX)) step.eraseX = oldX;
  if (IsInsideTrackArea(doc, view, step.newX)) step.drawX = step.newX;
  return step;
}

std::vector<LineSpan> PositionLinePieces(LineSpan span, bool panelShown, std::int32_t panelTop,
                                         std::int32_t panelBottom) {
  if (!panelShown || panelBottom <= span.top || panelTop >= span.bottom) return {span};
  std::vector<LineSpan> pieces;
  if (panelTop > span.top) pieces.push_back(LineSpan{span.top, panelTop});
  if (panelBottom < span.bottom) pieces.push_back(LineSpan{panelBottom, span.bottom});
  return pieces;
}

PositionLineStep PlaybackPositionLineStep(CTestDoc& doc, const PositionLineView& view, float t, bool noErase,
                                          std::int32_t oldX, std::optional<LineSpan> trackRow, bool follow) {
  PositionLineStep step;
  step.newX = doc.TimeToX(static_cast<std::int32_t>(t));
  step.span = trackRow ? LineSpan{trackRow->top, trackRow->bottom + 1} : TrackLineSpan(doc, view);
  if (!noErase && IsInsideTrackArea(doc, view, oldX)) step.eraseX = oldX;
  if (IsInsideTrackArea(doc, view, step.newX)) step.drawX = step.newX;
  if (follow && static_cast<float>(doc.currentPosition) < t) doc.currentPosition = static_cast<std::int32_t>(t);
  return step;
}

}  // namespace sprocket

#pragma once
// Where the timeline view's position line goes while a render, a preview or
// a playback moves it: which x to erase, which x to draw and the vertical
// span of the line. The view draws what these answer with an inverting
// pen, so drawing a line twice erases it.
//
// The line stands only inside the track area: right of the header column
// (x greater than margin + header width) and left of both the timeline's
// right edge (extent - horizontal scroll) and the client width. It runs from
// the top of the first track down to the bottom of the tracks less the
// vertical scroll, clipped to the client height.

#include <cstdint>
#include <optional>
#include <vector>

namespace sprocket {

class CTestDoc;

// What the view knows beside its document.
struct PositionLineView {
  std::int32_t clientWidth = 0;
  std::int32_t clientHeight = 0;
  std::int32_t verticalScroll = 0;
};

// One vertical piece of a line, from `top` to `bottom` (exclusive).
struct LineSpan {
  std::int32_t top = 0;
  std::int32_t bottom = 0;
  bool operator==(const LineSpan&) const = default;
};

struct PositionLineStep {
  std::optional<std::int32_t> eraseX;
  std::optional<std::int32_t> drawX;
  std::int32_t newX = 0;  // the x to keep for the next step
  LineSpan span;
};

// True when x lies inside the track area (both edges excluded).
bool IsInsideTrackArea(const CTestDoc& doc, const PositionLineView& view, std::int32_t x);

// The full height of the line: the tracks' top to their bottom less the
// vertical scroll, clipped to the client height.
LineSpan TrackLineSpan(const CTestDoc& doc, const PositionLineView& view);

// The render window's line runs from the ruler's top (below the three mark
// bands), through the ruler, down to the tracks' bottom less the vertical
// scroll, clipped to the client height.
LineSpan RenderLineSpan(const CTestDoc& doc, const PositionLineView& view);

// The render window's step: the line moves to the time's x; the old line is
// erased unless this is the first call of the job. Its span is
// RenderLineSpan.
PositionLineStep RenderPositionLineStep(const CTestDoc& doc, const PositionLineView& view, std::int32_t ms,
                                        bool firstCall, std::int32_t oldX);

// The pieces of a line from `span`, leaving out [panelTop, panelBottom)
// when the view's panel is shown.
std::vector<LineSpan> PositionLinePieces(LineSpan span, bool panelShown, std::int32_t panelTop,
                                         std::int32_t panelBottom);

// The preview and playback step at time t (ms): the old line is erased
// unless `noErase`; with `trackRow` (the row of the track the preview plays
// alone, one pixel taller) the line spans only that row. When the view
// follows the position and the document's current time is before t, the
// document's current time becomes t (truncated).
PositionLineStep PlaybackPositionLineStep(CTestDoc& doc, const PositionLineView& view, float t, bool noErase,
                                          std::int32_t oldX, std::optional<LineSpan> trackRow, bool follow);

}  // namespace sprocket

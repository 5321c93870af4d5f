// The top of the timeline view: the three mark bands (render segments and
// snapshots, intermediate movies, the movie range), the time ruler with its
// ticks, labels and index marks, and the scale control in the header column.

#include <algorithm>
#include <array>

#include "platform/system_info.h"
#include "render/output/board_native_format.h"
#include "tleview/ruler_scale.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

constexpr std::int32_t kSeparatorReach = 2000;

const dc::Rgb kRed{255, 0, 0};
const dc::Rgb kSegmentGreen{0, 200, 0};
const dc::Rgb kSegmentBrightGreen{0, 250, 0};
const dc::Rgb kIntermediateCyan{125, 255, 255};
const dc::Rgb kMovieYellow{255, 255, 0};
const dc::Rgb kSilver{192, 192, 192};

std::int32_t BandX(const CTestDoc& doc, std::int32_t ms) { return ClampBandX(doc.TimeToX(ms)); }

void Line(dc::Context& dc, int x0, int y0, int x1, int y1) {
  dc.MoveTo(x0, y0);
  dc.LineTo(x1, y1);
}

dc::Rgb SegmentColour(bool rendered, std::int32_t count) {
  if (!rendered) return dc::kWhite;
  return count < 1 ? kSegmentGreen : kSegmentBrightGreen;
}

}  // namespace

void CTLEView::DrawRuler(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t m = doc.margin;
  const std::int32_t b = doc.bandHeight;
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t t0 = doc.TrackAreaTop();
  const std::int32_t far = FarEdge();

  dc.PatBlt(dc::Rect{0, 0, far, t0}, dc::PatOp::kWhiteness);
  Line(dc, m, m, far, m);
  Line(dc, x0, m, x0, t0);

  DrawSegmentBand(dc);
  for (const SnapshotMark& mark : doc.snapshotMarks) {
    const std::int64_t x = doc.TimeToX(mark.time);
    const int left = static_cast<int>(std::clamp<std::int64_t>(x - 4, -32768, 32767));
    const std::array<dc::Point, 3> corners = {dc::Point{left, m}, dc::Point{left + 5, m}, dc::Point{left + 5, m + b}};
    const dc::Brush oldBrush = dc.SelectBrush(dc::Brush::Solid(dc::kBlack));
    dc.Polygon(corners);
    dc.SelectBrush(oldBrush);
  }
  Line(dc, x0, m + b, far, m + b);

  DrawIntermediateMovieBand(dc);
  Line(dc, x0, m + 2 * b, far, m + 2 * b);
  DrawMovieBand(dc);
  Line(dc, x0, m + 3 * b, far, m + 3 * b);

  DrawTicksAndLabels(dc);
  DrawIndexMarks(dc);

  Line(dc, m, m, m, m + 3 * b);
  Line(dc, x0, m, x0, m + 2 * b + doc.rulerHeight);
  Line(dc, m, m + 3 * b, x0, m + 3 * b);
  DrawScaleControl(dc);
}

bool CTLEView::ShowsSegmentBand(bool* native) const {
  const PlatformFamily family = GetPlatformFamily(ViewProfile());
  *native = sprocket::IsBoardNativeFormat(family, appState_, true, false);
  return *native || (family == PlatformFamily::kSingleUser && incCompDisable == 0);
}

// The segments are made before the paint (EnsureRenderSegments); the band
// shows those there are.
void CTLEView::DrawSegmentBand(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* head = doc.Head();
  bool native = false;
  if (!ShowsSegmentBand(&native)) return;
  const std::int32_t m = doc.margin;
  const dc::Brush oldBrush = dc.SelectBrush(dc::Brush::Solid(dc::kWhite));
  for (const TLFilter& segment : head->segments) {
    const bool rendered = native ? segment.rendered != 0 : !segment.fileName.empty();
    dc.SelectBrush(dc::Brush::Solid(SegmentColour(rendered, segment.count)));
    const std::int32_t left = BandX(doc, segment.start);
    dc.Rectangle(left, m, BandRight(left, BandX(doc, segment.end)), m + doc.bandHeight + 1);
  }
  dc.SelectBrush(oldBrush);
}

void CTLEView::DrawBandLabel(dc::Context& dc, const char* text, std::int32_t x1, std::int32_t x2, std::int32_t top,
                             std::int32_t bottom, int handleWidth) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t timelineRight = TimelineRight();
  if (!(x1 < timelineRight && x2 > doc.TrackAreaLeft())) return;
  const dc::Rect clip{std::max(x1 + handleWidth, doc.TrackAreaLeft()), top, std::min(x2 - handleWidth, timelineRight),
                      bottom};
  dc::StateSaver saved(dc);
  dc.SetTextColor(kRed);
  dc.SetBkMode(dc::BkMode::kTransparent);
  dc.SetTextAlign(dc::align::kCenter | dc::align::kBottom);
  dc.ExtTextOut((clip.left + clip.right) / 2, bottom, clip, text);
}

void CTLEView::DrawRangeBand(dc::Context& dc, const TimeRange& range, std::int32_t top, const BandHandles& handles,
                             const char* label) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t b = doc.bandHeight;
  const std::int32_t x1 = BandX(doc, range.start);
  const std::int32_t x2 = BandRight(x1, BandX(doc, range.end));
  dc.Rectangle(x1, top, x2, top + b);
  dc.BitBlt(x1, top, handles.startSize->Width(), handles.startSize->Height(), *handles.start);
  dc.BitBlt(x2 - 4, top, handles.end->Width(), handles.end->Height(), *handles.end);
  DrawBandLabel(dc, label, x1, x2, top, top + b + 1, handles.end->Width());
}

void CTLEView::DrawIntermediateMovieBand(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Null());
  dc.SelectBrush(dc::Brush::Solid(kIntermediateCyan));
  // Both handles are blitted at the end handle's size.
  const BandHandles handles{&resources_.intermediateStartHandle, &resources_.intermediateEndHandle,
                            &resources_.intermediateEndHandle};
  for (const IntermediateMovie& movie : doc.intermediateMovies) {
    DrawRangeBand(dc, TimeRange{movie.start, movie.end}, doc.margin + doc.bandHeight + 1, handles, movie.name.c_str());
  }
}

void CTLEView::DrawMovieBand(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Null());
  dc.SelectBrush(dc::Brush::Solid(kMovieYellow));
  const BandHandles handles{&resources_.movieStartHandle, &resources_.movieStartHandle, &resources_.movieEndHandle};
  DrawRangeBand(dc, doc.movieRange, doc.margin + 2 * doc.bandHeight + 1, handles, "Movie");
}

void CTLEView::DrawTicksAndLabels(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t m = doc.margin;
  const std::int32_t b = doc.bandHeight;
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t t0 = doc.TrackAreaTop();
  const std::int32_t ppu = doc.pixelsPerUnit;
  if (ppu <= 0) return;
  const int zoom = std::clamp(doc.zoom, 0, 3);
  const int divisions = std::max(1, doc.minorDivisions[zoom][std::clamp(doc.scaleIndex, 0, 11)]);
  const std::int32_t reach = std::max(kSeparatorReach, FarEdge() - x0);
  const double unitMs = doc.UnitMs();
  // Only the ticks that can show are visited: a long timeline at a fine
  // scale has a million of them.
  const std::int32_t firstTick = std::max<std::int32_t>(0, (doc.horizontalScroll - reach) / ppu - 1);
  const std::int32_t lastTick = std::min<std::int32_t>(doc.majorTickCount, (doc.horizontalScroll + reach) / ppu + 1);

  dc::StateSaver saved(dc);
  dc.SetTextColor(dc::kBlack);
  dc.SetBkMode(dc::BkMode::kTransparent);
  dc.SetTextAlign(dc::align::kCenter | dc::align::kBottom);
  for (std::int32_t i = firstTick; i <= lastTick; ++i) {
    const std::int32_t xoff = i * ppu - doc.horizontalScroll;
    if (-reach - 1 < xoff && xoff < reach + 1) {
      Line(dc, x0 + xoff, m + 3 * b + 1, x0 + xoff, m + 3 * b + 1 + doc.majorTickLength);
      if (i % LabelPeriod(zoom) == 0) {
        const std::string label = FormatRulerLabel(i, unitMs, doc.timeOrigin, doc.rate);
        if (!label.empty()) dc.TextOut(x0 + xoff, t0 + 1, label);
      }
    }
    for (int j = 1; j < divisions; ++j) {
      const std::int32_t x = x0 + i * ppu + j * (ppu / divisions) - doc.horizontalScroll;
      Line(dc, x, m + 3 * b + 1, x, m + 3 * b + 1 + doc.minorTickLength);
    }
  }
}

void CTLEView::DrawIndexMarks(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  if (doc.indexMarks.empty()) return;
  const std::int32_t t0 = doc.TrackAreaTop();
  dc::StateSaver saved(dc);
  const dc::Font oldFont = dc.SelectFont(dc::Font{11, "Arial", 0});
  dc.SelectBrush(dc::Brush::Solid(kMovieYellow));
  dc.SetBkMode(dc::BkMode::kTransparent);
  dc.SetTextAlign(dc::align::kCenter | dc::align::kBottom);
  dc.SetTextColor(kRed);
  const std::int32_t right = TimelineRight();
  for (const IndexMark& mark : doc.indexMarks) {
    const std::int32_t x = std::clamp(doc.TimeToX(mark.time), -32760, 32760);
    if (x < doc.TrackAreaLeft() || x > right) continue;
    const std::array<dc::Point, 3> corners = {dc::Point{x - 4, t0 - 6}, dc::Point{x, t0 - 1}, dc::Point{x + 4, t0 - 6}};
    dc.Polygon(corners);
    if (mark.name.empty()) continue;
    const dc::Rect box{x - 8, t0 - 16, x + 8, t0 - 6};
    dc.PatBlt(box, dc::PatOp::kWhiteness);
    dc.ExtTextOut(x, t0 - 6, box, mark.name);
  }
  dc.SelectFont(oldFont);
}

void CTLEView::DrawScaleControl(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t m = doc.margin;
  const std::int32_t b = doc.bandHeight;
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t t0 = doc.TrackAreaTop();
  const std::int32_t r = doc.rulerHeight;
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Null());
  dc.SelectBrush(dc::Brush::Solid(kSilver));
  dc.Rectangle(m + 1, m + 1, x0 + 1, m + 3 * b + 1);
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  for (int offset : kScaleMarkOffsets) Line(dc, m + offset, m, m + offset, m + b - 3);
  const dc::Bitmap& knob = resources_.scaleKnob;
  dc.BitBlt(KnobLeft(m, doc.scaleIndex), m + b - 2, knob.Width(), knob.Height(), knob);
  dc.PatBlt(dc::Rect{0, m, m, m + m + 2 * b + r}, dc::PatOp::kWhiteness);
  dc.PatBlt(dc::Rect{0, m + 3 * b + 1, x0, m + 3 * b + 1 + r}, dc::PatOp::kWhiteness);

  dc.SetTextColor(dc::kBlack);
  dc.SetBkMode(dc::BkMode::kTransparent);
  dc.SetTextAlign(dc::align::kLeft | dc::align::kBottom);
  dc.ExtTextOut(25, 36, dc::Rect{20, 23, 56, 36}, "Scale");
  dc.ExtTextOut(m + 2, t0 - 1, dc::Rect{m + 1, m + 3 * b + 1, x0, t0}, ScaleName(doc.scaleIndex));
}

}  // namespace sprocket

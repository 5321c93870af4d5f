// Painting of the timeline view: track rows, clips, separators, headers,
// the position line or range, and the blank areas.

#include <algorithm>
#include <cstdio>

#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// Track separators and borders reach this far left of X0.
constexpr std::int32_t kSeparatorReach = 2000;

const dc::Rgb kRed{255, 0, 0};

std::int32_t Clamp16(std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

std::string TrackLabel(const TLEvent& track) {
  if (track.trackType == kTrackTransition) return "FX";
  const int ordinal = GetTrackOrdinal(&track);
  const char* format = ordinal < 10 ? "%c%1d" : (ordinal < 100 ? "%c%2d" : "%c%3d");
  char text[16];
  std::snprintf(text, sizeof text, format, track.trackType, ordinal);
  return text;
}

}  // namespace

std::int32_t CTLEView::FarEdge() const { return Layout().FarEdge(); }

// Paints from the document as it is: the edits and the loader keep its
// times in order, and the pictures are made before the paint.
void CTLEView::OnDraw(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  if (doc.Head() == nullptr) return;
  const std::int32_t totalHeight = GetTotalTrackHeight();
  const dc::Font oldFont = dc.SelectFont(dc::Font{14, "Arial", 0});
  const std::int32_t right = TimelineRight();

  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    if (event->kind == kEventTrackBegin) {
      const std::int32_t top = TrackTop(event->trackNumber);
      FillTrackRows(dc, *event, top, right);
      DrawTrackSeparators(dc, *event, top, totalHeight);
    } else if (event->kind == kEventClipIn) {
      DrawClip(dc, event);
    }
  }
  DrawSelectionMarks(dc);
  DrawRuler(dc);
  DrawTrackHeaders(dc);
  DrawPositionOrRange(dc, totalHeight);
  DrawBlankAreas(dc, totalHeight);
  dc.SelectFont(oldFont);
}

void CTLEView::FillTrackRows(dc::Context& dc, const TLEvent& track, std::int32_t top, std::int32_t right) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  const std::int32_t x0 = doc.TrackAreaLeft();
  const ZoomResources& brushes = resources_.zoom[std::clamp(doc.zoom, 0, kZoomLevels - 1)];
  // The pattern travels with the timeline across and stays fixed to the
  // track area while rows scroll up and down.
  auto fill = [&](std::int32_t rowTop, std::int32_t rowBottom, const dc::Brush& brush) {
    if (brush.IsNull()) return;
    const dc::Point oldOrigin = dc.SetBrushOrg(dc::Point{x0 - doc.horizontalScroll, doc.TrackAreaTop()});
    dc.FillRect(dc::Rect{x0, rowTop, right, rowBottom}, brush);
    dc.SetBrushOrg(oldOrigin);
  };
  const std::int32_t firstTop = top + 1;
  const std::int32_t firstBottom = top + h;
  switch (track.trackType) {
    case kTrackVideo:
      if (track.viewStatus == kTrackViewVideoOnly) {
        fill(firstTop, firstBottom, brushes.videoBrush1);
      } else if (!brushes.videoBrush2.IsNull()) {
        fill(firstTop, firstBottom, brushes.videoBrush1);
        fill(top + h, top + 2 * h + 1, brushes.audioBrush1);
      }
      break;
    case kTrackTransition:
      fill(firstTop, firstBottom, brushes.transitionBrush);
      break;
    case kTrackAudio:
      if (track.viewStatus != kTrackViewStereo)
        fill(firstTop, firstBottom, brushes.audioBrush1);
      else if (!brushes.audioBrush2.IsNull())
        fill(firstTop, top + 2 * h + 1, brushes.audioBrush1);
      break;
    default:
      break;
  }
}

void CTLEView::DrawTrackSeparators(dc::Context& dc, const TLEvent& track, std::int32_t top,
                                   std::int32_t totalHeight) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t h = doc.RowHeight();
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t t0 = doc.TrackAreaTop();
  const std::int32_t far = FarEdge();
  const std::int32_t y = top + h + (TrackRowCount(track) - 1) * (h + 1);
  if (y >= t0) {
    dc.MoveTo(x0 - kSeparatorReach, y);
    dc.LineTo(far, y);
  }
  if (track.trackNumber == 1 && top >= t0) {
    dc.MoveTo(x0 - kSeparatorReach, top);
    dc.LineTo(far, top);
    dc.MoveTo(x0, top);
    dc.LineTo(x0, top + totalHeight);
    dc.MoveTo(far, top);
    dc.LineTo(far, top + totalHeight);
  }
}

// A selected clip shows inverted bars at its two edges, inside what
// InvalidateSelection repaints.
std::vector<dc::Rect> CTLEView::SelectionMarkRects() const {
  const CTestDoc& doc = GetDocument();
  const dc::Rect trackArea{doc.TrackAreaLeft() + 1, doc.TrackAreaTop(), TimelineRight(), ClientRect().bottom};
  std::vector<dc::Rect> marks;
  for (const ClipSelection& entry : doc.selection) {
    if (entry.clip == nullptr) continue;
    const std::int32_t left = doc.TimeToX(entry.clip->time);
    const std::int32_t right = doc.TimeToX(entry.clip->OutTime());
    if (right <= left) continue;
    const std::int32_t top = TrackTop(entry.clip->trackNumber) + 2;
    const std::int32_t bottom = top + doc.RowHeight() - 3;
    for (const dc::Rect bar : {dc::Rect{left, top, left + 2, bottom}, dc::Rect{right - 1, top, right + 1, bottom}}) {
      const dc::Rect shown = bar.Intersected(trackArea);
      if (!shown.IsEmpty()) marks.push_back(shown);
    }
  }
  return marks;
}

void CTLEView::DrawSelectionMarks(dc::Context& dc) const {
  for (const dc::Rect& mark : SelectionMarkRects()) dc.PatBlt(mark, dc::PatOp::kDstInvert);
}

// Whoever changes the selection, the marks drawn and the marks due are
// repainted before the next paint.
void CTLEView::InvalidateChangedSelectionMarks() {
  std::vector<dc::Rect> marks = SelectionMarkRects();
  if (marks == selectionMarks_) return;
  for (const dc::Rect& mark : selectionMarks_) InvalidateRect(mark);
  for (const dc::Rect& mark : marks) InvalidateRect(mark);
  selectionMarks_ = std::move(marks);
}

ClipRect& CTLEView::GetClipRowRect(ClipRect& rect, const TLEvent* clip) const {
  rect.left = clip->drawnRect.left;
  rect.right = clip->drawnRect.right;
  rect.top = TrackTop(clip->trackNumber);
  rect.bottom = rect.top + GetDocument().RowHeight() + 1;
  return rect;
}

void CTLEView::DrawResourceBitmap(dc::Context& dc, int bitmapId, const dc::Rect& rect) const {
  const dc::Bitmap* bitmap = resources_.BitmapById(bitmapId);
  if (bitmap == nullptr) return;
  dc.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), *bitmap);
}

void CTLEView::DrawTrackHeaders(dc::Context& dc) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t m = doc.margin;
  const std::int32_t w = doc.headerWidth;
  const std::int32_t h = doc.RowHeight();
  const std::int32_t t0 = doc.TrackAreaTop();
  const ZoomResources& zoom = resources_.zoom[std::clamp(doc.zoom, 0, kZoomLevels - 1)];
  for (const TLEvent* track = GetNextEvent(doc.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const std::string label = TrackLabel(*track);
    const dc::Brush oldBrush = dc.SelectBrush(dc::Brush::Null());
    const std::int32_t top = TrackTop(track->trackNumber);
    const int rows = TrackRowCount(*track);
    dc.PatBlt(dc::Rect{0, top, m, top + rows * (h + 1)}, dc::PatOp::kWhiteness);
    if (top < t0) {
      // A track cut by the ruler shows no header: its part of the column
      // is blank, not the clips that reach left of the track area.
      dc.PatBlt(dc::Rect{0, t0, m + w, top + rows * (h + 1)}, dc::PatOp::kWhiteness);
    } else {
      dc.BitBlt(m + 1, top + 1, w, rows * h, zoom.HeaderFor(track->trackType));
      dc.Rectangle(m, top, m + w + 1, top + rows * (h + 1));
      dc::StateSaver saved(dc);
      dc.SetTextColor(dc::kWhite);
      dc.SetBkMode(dc::BkMode::kTransparent);
      dc.SetTextAlign(dc::align::kRight | dc::align::kBottom);
      dc.TextOut(m + w, top + (h + 1) / 2 + 8, label);
      // The icons belong to a visible header; above T0 they would cover the ruler.
      if (track->statusCode != 0) dc.DrawIcon(m + 5 + w / 2, top + 5 + (h - 15) / 2, resources_.trackStatusIcon);
      if (track->audioPreviewSelection != 0) {
        const bool boardAudio = sharedValues != nullptr && sharedValues->Get(kSharedKeyBoardAudio) != 0;
        dc.DrawIcon(m - 17 + w / 2, top + 8 + (h - 15) / 2,
                    boardAudio ? resources_.audioPreviewBoardIcon : resources_.audioPreviewIcon);
      }
    }
    dc.SelectBrush(oldBrush);
  }
}

void CTLEView::DrawPositionOrRange(dc::Context& dc, std::int32_t totalHeight) const {
  const CTestDoc& doc = GetDocument();
  const std::int32_t m = doc.margin;
  const std::int32_t b = doc.bandHeight;
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t bottom = doc.TrackAreaTop() - verticalScroll + totalHeight;
  if (doc.rangeFlag == 0) {
    const dc::Pen oldPen = dc.SelectPen(dc::Pen::Solid(kRed));
    const dc::Rop2 oldRop = dc.SetRop2(dc::Rop2::kNotXorPen);
    const std::int32_t x = Clamp16(doc.TimeToX(doc.currentPosition));
    if (x > x0) {
      if (markerOnly == 0) {
        dc.MoveTo(x, m + 3 * b);
        dc.LineTo(x, bottom);
      }
      DrawResourceBitmap(dc, kBitmapPositionMarker, dc::Rect{x - 3, m + 3 * b + 1, x + 4, m + 3 * b + 16});
    }
    dc.SetRop2(oldRop);
    dc.SelectPen(oldPen);
    return;
  }
  const std::int32_t x1 = std::max(Clamp16(doc.TimeToX(doc.shownRange.start)), x0 + 1);
  const std::int32_t x2 = Clamp16(doc.TimeToX(doc.shownRange.end));
  if (x2 >= x1) dc.PatBlt(dc::Rect{x1, m + 3 * b, x2, bottom}, dc::PatOp::kDstInvert);
}

void CTLEView::DrawBlankAreas(dc::Context& dc, std::int32_t totalHeight) const {
  const CTestDoc& doc = GetDocument();
  const dc::Rect client = ClientRect();
  const std::int32_t t0 = doc.TrackAreaTop();
  const std::int32_t timelineEnd = doc.extent - doc.horizontalScroll;
  if (timelineEnd < client.right) {
    const std::int32_t x = std::max(timelineEnd, doc.TrackAreaLeft());
    dc.PatBlt(dc::Rect{x, 0, client.right, client.bottom}, dc::PatOp::kWhiteness);
    dc.MoveTo(x, doc.margin);
    dc.LineTo(x, t0 - verticalScroll + totalHeight);
  }
  const std::int32_t y = t0 + totalHeight - verticalScroll;
  if (y < client.bottom) dc.PatBlt(dc::Rect{doc.margin, y + 1, client.right, client.bottom}, dc::PatOp::kWhiteness);
}

}  // namespace sprocket

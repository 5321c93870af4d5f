// Feedback of the mouse drags, drawn straight into the window's picture
// outside painting: clip outlines with their guides, the sync guide of a
// linked partner, the trim band and the rubber band of a range.

#include <algorithm>

#include "timeline/records/event_queries.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

constexpr dc::Rgb kSyncGuideSilver{192, 192, 192};
constexpr dc::Rgb kIntermediateEdgeCyan{125, 255, 255};

}  // namespace

std::int32_t CTLEView::TracksBottom() const {
  const CTestDoc& doc = GetDocument();
  return doc.TrackAreaTop() + GetTotalTrackHeight() - verticalScroll;
}

void CTLEView::InvertOutline(dc::Context& dc, dc::Rect rect) const {
  const CTestDoc& doc = GetDocument();
  rect.left = std::max(rect.left, doc.TrackAreaLeft() + 1);
  rect.right = std::min(rect.right, doc.extent - doc.horizontalScroll);
  if (rect.left >= rect.right) return;
  dc.Rectangle(rect);
}

void CTLEView::DrawDragOutline() {
  CTestDoc& doc = GetDocument();
  const std::int32_t x0 = doc.TrackAreaLeft();
  const std::int32_t guideTop = doc.margin + 3 * doc.bandHeight;
  const std::int32_t timelineEnd = doc.extent - doc.horizontalScroll;
  const dc::Rect timeline = GetTimelineRect();
  std::unique_ptr<dc::Context> dc = backBuffer_.WindowContext();
  dc->SelectClipRect(dc::Rect{x0 + 1, guideTop, timeline.right, timeline.bottom});
  dc->SetRop2(dc::Rop2::kNot);
  dc->SelectBrush(dc::Brush::Null());
  dc->SelectPen(dc::Pen::Solid(dc::kBlack));
  const bool selection = doc.SelectionCount() > 0;
  if (selection) {
    if (drag.alternateDrag == 0) {
      InvertOutline(*dc, ToRect(drag.dragRect));
    } else {
      for (const ClipSelection& entry : doc.selection) {
        InvertOutline(*dc, dc::Rect{entry.rect.left, entry.rect.top, entry.rect.right, entry.rect.bottom});
      }
    }
  }
  if (selection && drag.cursorCaptured != 0) {
    drag.cursorCaptured = 0;
    return;
  }
  if (drag.alternateDrag != 0) return;
  const std::int32_t guideBottom = guideTop + doc.rulerHeight + GetTotalTrackHeight() - verticalScroll;
  auto guide = [&](int x) {
    if (x > -32768 && x < 32767 && x > x0 && x < timelineEnd) {
      dc->MoveTo(x, guideTop);
      dc->LineTo(x, guideBottom);
    }
  };
  guide(drag.dragRect.left);
  if (drag.dragRect.right > drag.dragRect.left) guide(drag.dragRect.right);
  DrawSyncGuide(*dc);
}

void CTLEView::DrawSyncGuide(dc::Context& dc) {
  CTestDoc& doc = GetDocument();
  if (drag.syncGuides == 0 || doc.SelectionCount() == 0) return;
  const TLEvent* clip = doc.selection.front().clip;
  const TLEvent* partner = clip != nullptr ? FindLinkedClip(clip) : nullptr;
  if (partner == nullptr) return;
  const std::int64_t clipSpeed = ViewSpeed(clip->speed);
  const std::int64_t partnerSpeed = ViewSpeed(partner->speed);
  std::int64_t t = (std::int64_t{clip->playIn} * 100 / clipSpeed - std::int64_t{partner->playIn} * 100 / partnerSpeed) +
                   (std::int64_t{clip->time} + clip->OutTime()) / 2 + partner->time - clip->time;
  t = std::clamp<std::int64_t>(t, 0, doc.duration);
  const std::int32_t x = doc.TimeToX(static_cast<std::int32_t>(t));
  const std::int32_t limit = std::min(doc.extent - doc.horizontalScroll, ClientRect().right);
  if (x <= doc.TrackAreaLeft() || x >= limit) return;
  // Drawn in a mode that the next drawing with the same state takes away,
  // so a guide never leaves dots behind.
  const std::int32_t top = doc.margin + 3 * doc.bandHeight;
  dc::StateSaver saved(dc);
  dc.SelectPen(dc::Pen::Dotted(kSyncGuideSilver));
  dc.SetRop2(dc::Rop2::kNotXorPen);
  dc.MoveTo(x, top);
  dc.LineTo(x, TracksBottom());
  drag.syncGuideRect = ClipRect{x - 1, top, x + 1, TracksBottom()};
  drag.previousSyncGuideX = x;
}

dc::Rgb CTLEView::TrimBandColour() const {
  const char type = drag.trimmedClip != nullptr ? drag.trimmedClip->trackType : kTrackVideo;
  const dc::Rgb clipColour = TrackClipColour(type);
  const std::int32_t p = drag.draggedEdgeX1;
  const std::int32_t q = drag.draggedEdgeX2;
  if (drag.trimLeftA != 0 || drag.trimRightA != 0) return p < q ? clipColour : dc::kWhite;
  if (drag.trimLeftB != 0 || drag.trimRightB != 0) return q < p ? clipColour : dc::kWhite;
  const std::int32_t opposite = drag.oppositeEdgeX;
  return ((q > opposite && q > p) || (q <= opposite && q < p)) ? kIntermediateEdgeCyan : dc::kWhite;
}

void CTLEView::DrawTrimBand() {
  if (drag.trimLeftA == 0 && drag.trimRightA == 0 && drag.trimLeftB == 0 && drag.trimRightB == 0 &&
      drag.trimIntermediateEdge == 0) {
    return;
  }
  const CTestDoc& doc = GetDocument();
  const dc::Rect timeline = GetTimelineRect();
  std::unique_ptr<dc::Context> dc = backBuffer_.WindowContext();
  dc->SelectClipRect(dc::Rect{doc.TrackAreaLeft(), doc.TrackAreaTop(), timeline.right, timeline.bottom});
  dc->FillRect(ToRect(drag.trimBandRect), dc::Brush::Solid(TrimBandColour()));
}

void CTLEView::EraseTrimBand() {
  const dc::Rect band = ToRect(drag.trimBandRect);
  if (band.IsEmpty()) return;
  backBuffer_.Invalidate(band);
  backBuffer_.UpdateNow();
}

void CTLEView::DrawRangeRubberBand() {
  const CTestDoc& doc = GetDocument();
  const dc::Rect timeline = GetTimelineRect();
  std::unique_ptr<dc::Context> dc = backBuffer_.WindowContext();
  dc->SelectClipRect(dc::Rect{doc.TrackAreaLeft(), doc.margin + 3 * doc.bandHeight,
                              std::min(timeline.right, doc.extent - doc.horizontalScroll), timeline.bottom});
  if (drag.alternateDrag == 0) {
    dc->PatBlt(ToRect(drag.rubberBandRect), dc::PatOp::kDstInvert);
  } else {
    dc->SelectBrush(dc::Brush::Solid(dc::Rgb{255, 255, 0}));
    dc->PatBlt(ToRect(drag.rubberBandRect), dc::PatOp::kPatInvert);
  }
}

}  // namespace sprocket

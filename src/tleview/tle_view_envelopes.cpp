// Volume and balance envelopes of clips: their area, their screen points,
// their drawing, and the feedback of an envelope being dragged.

#include <algorithm>

#include "timeline/document/clip_lookup.h"
#include "timeline/document/document.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// A 6 x 6 ellipse from (x - 3, y - 3), each pixel inverted once, so that
// drawing it again takes it away.
void InvertedHandle(dc::Context& dc, int x, int y) {
  static constexpr int kInset[6] = {1, 0, 0, 0, 0, 1};
  for (int row = 0; row < 6; ++row) {
    dc.MoveTo(x - 3 + kInset[row], y - 3 + row);
    dc.LineTo(x + 3 - kInset[row], y - 3 + row);
  }
}

}  // namespace

int CTLEView::GetEnvelopeRect(const TLEvent* clip, dc::Rect& rect) const {
  const CTestDoc& doc = GetDocument();
  const TLEvent* track = FindTrack(doc.Head(), clip->trackNumber);
  // Envelopes lie in a row that shows sound.
  if (track == nullptr || track->trackType == kTrackTransition || track->viewStatus == kTrackViewVideoOnly) return 0;
  const std::int32_t h = doc.RowHeight();
  const std::int32_t top = TrackTop(clip->trackNumber);
  const std::int32_t left = doc.TimeToX(clip->time);
  const std::int32_t right = doc.TimeToX(clip->OutTime());
  // The audio row of a video track that shows one, else the first row.
  const bool audioRow = track->trackType == kTrackVideo && track->viewStatus != kTrackViewVideoOnly;
  const std::int32_t rowTop = audioRow ? top + h + 1 : top;
  rect = dc::Rect{left, rowTop + 2, right, rowTop + h - 1};
  return rect.IsEmpty() ? 0 : 1;
}

int CTLEView::GetBalanceEnvelopeRect(const TLEvent* clip, dc::Rect& rect) const { return GetEnvelopeRect(clip, rect); }

void CTLEView::EnvelopePointToScreen(dc::Point& point, const TLEvent* clip, const VolumePoint& value, int mode) const {
  dc::Rect area;
  if ((mode == -1 ? GetEnvelopeRect(clip, area) : GetBalanceEnvelopeRect(clip, area)) == 0) {
    point = dc::Point{};
    return;
  }
  point = EnvelopeScreenPoint(area, value);
}

void CTLEView::DrawEnvelopeLines(dc::Context& dc, const TLEvent* clip, const VolumeEnvelope& points, int mode,
                                 const dc::Rect& clamp) const {
  dc.SetRop2(dc::Rop2::kNot);
  for (std::size_t i = 1; i < points.size(); ++i) {
    const VolumePoint& p = points[i - 1];
    const VolumePoint& q = points[i];
    if (SkipEnvelopePair(p, q)) continue;
    dc::Point ps;
    dc::Point qs;
    EnvelopePointToScreen(ps, clip, p, mode);
    EnvelopePointToScreen(qs, clip, q, mode);
    dc::Rect area;
    GetEnvelopeRect(clip, area);
    if (!SkipEnvelopeLine(p, q, ps, qs, area)) {
      dc.MoveTo(ps.x, ps.y);
      dc.LineTo(qs.x, qs.y);
    }
    if (!HasNoHandle(q)) {
      InvertedHandle(dc, std::clamp(qs.x, -32760, 32760), std::clamp(qs.y, clamp.top, clamp.bottom - 1));
    }
  }
}

void CTLEView::DrawClipEnvelope(dc::Context& dc, const TLEvent* clip, int mode) const {
  const CTestDoc& doc = GetDocument();
  dc::Rect area;
  if (GetEnvelopeRect(clip, area) == 0) return;
  if (mode == 1 && !(clip->header && clip->header->AudioChannels() == 2)) return;
  dc::StateSaver saved(dc);
  dc.SelectClipRect(dc::Rect{std::max(area.left, doc.TrackAreaLeft()), area.top,
                             std::min(area.right, doc.extent - doc.horizontalScroll), area.bottom});
  dc.SelectPen(dc::Pen::Solid(dc::kBlack));
  const VolumeEnvelope& points = mode == -1 ? clip->volume : clip->balance;
  DrawEnvelopeLines(dc, clip, points, mode, area);
  dc.SetRop2(dc::Rop2::kCopyPen);
  // The selected point of the volume envelope (unset: the first point of a
  // clip with sound).
  const bool sound = clip->header && clip->header->HasAudio();
  const int selected = clip->selectedPoint >= 0 ? clip->selectedPoint : (sound ? 0 : -1);
  if (mode == -1 && selected >= 0 && selected + 1 < static_cast<int>(points.size())) {
    dc::Point s;
    EnvelopePointToScreen(s, clip, points[selected], mode);
    dc.SelectPen(dc::Pen::Null());
    dc.SelectBrush(dc::Brush::Solid(kEnvelopeRed));
    const int handleLeft = selected == 0 ? area.left : s.x - 3;
    dc.Rectangle(handleLeft, s.y - 3, handleLeft + 7, s.y + 4);
    dc.SelectPen(dc::Pen::Solid(kEnvelopeRed));
    dc.MoveTo(s.x, area.top);
    dc.LineTo(s.x, area.bottom);
  }
  DrawCentreLine(dc, clip, mode, area);
  dc.ClearClipRect();
}

void CTLEView::DrawCentreLine(dc::Context& dc, const TLEvent* clip, int mode, const dc::Rect& area) const {
  dc.SelectPen(dc::Pen::Solid(kEnvelopeRed));
  dc.SetRop2(dc::Rop2::kCopyPen);
  const int middle = area.top + (area.bottom - area.top) / 2;
  const bool ramps = appState_.centreLineRamp != 0 && mode == -1 && clip->trackType == kTrackVideo && clip->header &&
                     clip->header->HasAudio() && (clip->trackNumber == 1 || clip->trackNumber == 3);
  std::optional<int> endOfA;
  std::optional<int> startOfB;
  if (ramps) {
    const std::int32_t other = clip->trackNumber == 1 ? 3 : 1;
    const std::int32_t length = std::max(clip->OutTime() - clip->time, 1);
    auto screenX = [&](std::int32_t time) {
      dc::Point p;
      EnvelopePointToScreen(p, clip,
                            VolumePoint{kEnvelopeFullLevel, static_cast<std::int32_t>(std::int64_t{time - clip->time} *
                                                                                      kEnvelopeEndPosition / length)},
                            mode);
      return p.x;
    };
    const TLEvent* a = FindClipAtTime(clip->time, other);
    if (a != nullptr && a->time < clip->time && a->OutTime() > clip->time && a->OutTime() <= clip->OutTime()) {
      endOfA = screenX(a->OutTime());
    }
    const TLEvent* b = FindClipAtTime(clip->OutTime(), other);
    if (b != nullptr && b->time >= clip->time && b->time < clip->OutTime() && b->OutTime() > clip->OutTime()) {
      startOfB = screenX(b->time);
    }
  }
  const int bottom = area.bottom - 1;
  dc.MoveTo(area.left, endOfA ? bottom : middle);
  if (endOfA) dc.LineTo(*endOfA, middle);
  if (startOfB) {
    dc.LineTo(*startOfB, middle);
    dc.LineTo(area.right, bottom);
  } else {
    dc.LineTo(area.right, middle);
  }
}

void CTLEView::DrawEnvelopeDragFeedback(TLEvent* clip, int mode) {
  const CTestDoc& doc = GetDocument();
  dc::Rect area;
  if ((mode == -1 ? GetEnvelopeRect(clip, area) : GetBalanceEnvelopeRect(clip, area)) == 0) return;
  std::unique_ptr<dc::Context> dc = backBuffer_.WindowContext();
  dc->SelectClipRect(dc::Rect{std::max(area.left, doc.TrackAreaLeft() + 1), area.top,
                              std::min(area.right, doc.extent - doc.horizontalScroll), area.bottom});
  dc->SelectPen(dc::Pen::Solid(dc::kBlack));
  const VolumeEnvelope& clipPoints = drag.envelopeChannel == 0 ? clip->volume : clip->balance;
  const VolumeEnvelope& points = drag.envelopePoints.empty() ? clipPoints : drag.envelopePoints;
  DrawEnvelopeLines(*dc, clip, points, mode,
                    ToRect(drag.envelopeClampRect).IsEmpty() ? area : ToRect(drag.envelopeClampRect));
}

}  // namespace sprocket

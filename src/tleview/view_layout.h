#pragma once
// ViewLayout: where things are in the timeline view. Times map to x and
// back, tracks to rows, clips to their rectangles, all from the document's
// geometry (margin, bands, ruler, header width, scale, horizontal scroll)
// and the view's own (client size, vertical scroll). The painter, the
// picture cache and the gestures ask this one object.
//
// Geometry names: M margin, B band height, R ruler height, W header width,
// X0 = M + W the left edge of the track area, T0 = M + 3B + R its top, h the
// row height of the zoom level, H the total track height, XR the right end
// of the timeline in view.

#include <cstdint>

#include "platform/qt/dc_types.h"
#include "timeline/document/document.h"

namespace sprocket {

class ViewLayout {
public:
  ViewLayout(const CTestDoc& doc, const dc::Rect& client, std::int32_t verticalScroll)
      : doc_(doc), client_(client), verticalScroll_(verticalScroll) {}

  const CTestDoc& Doc() const { return doc_; }
  const dc::Rect& Client() const { return client_; }
  std::int32_t VerticalScroll() const { return verticalScroll_; }

  std::int32_t TrackAreaLeft() const { return doc_.TrackAreaLeft(); }  // X0
  std::int32_t TrackAreaTop() const { return doc_.TrackAreaTop(); }    // T0
  std::int32_t RowHeight() const { return doc_.RowHeight(); }          // h
  // The picture width of the zoom level (one frame of a film strip).
  std::int32_t PictureWidth() const;
  std::int32_t TimeToX(std::int32_t ms) const { return doc_.TimeToX(ms); }
  // XR: min(client right, extent - horizontal scroll).
  std::int32_t TimelineRight() const;
  // The x to which separators and the ruler's lines reach: X0 + 2000, or
  // the client's right edge on wider views.
  std::int32_t FarEdge() const;
  // The client with left and top moved in by the margin.
  dc::Rect TimelineRect() const;
  // The topmost mark band.
  dc::Rect MarkBandRect() const;

  // --- Tracks ---
  // T0 + GetTrackTop(n - 1) - vertical scroll.
  std::int32_t TrackTop(std::int32_t trackNumber) const;
  // H: the heights of all tracks.
  std::int32_t TotalTrackHeight() const;
  // The y below the last track.
  std::int32_t TracksBottom() const { return TrackAreaTop() - verticalScroll_ + TotalTrackHeight(); }
  // The header of the track whose rows hold a view y, or null.
  const TLEvent* TrackAtY(std::int32_t y) const;

  // --- Clips ---
  // The rectangle the view keeps for a clip: x from its in and out times,
  // its first row (without the row's top lines on tracks that carry index
  // marks). Hit tests, selection and drag feedback read it.
  ClipRect KeptClipRect(const TLEvent& clip) const;
  // A clip is in view when it reaches into [X0, client right].
  bool IsClipInView(const TLEvent& clip) const;

private:
  const CTestDoc& doc_;
  dc::Rect client_;
  std::int32_t verticalScroll_;
};

}  // namespace sprocket

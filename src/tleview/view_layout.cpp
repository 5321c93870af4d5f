#include "tleview/view_layout.h"

#include <algorithm>

#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

// Track separators and the ruler's lines reach this far right of X0.
constexpr std::int32_t kSeparatorReach = 2000;

std::int32_t Clamp16(std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

}  // namespace

std::int32_t ViewLayout::PictureWidth() const { return doc_.pictureWidths[std::clamp(doc_.zoom, 0, 3)]; }

std::int32_t ViewLayout::TimelineRight() const { return std::min(client_.right, doc_.extent - doc_.horizontalScroll); }

std::int32_t ViewLayout::FarEdge() const { return std::max(TrackAreaLeft() + kSeparatorReach, client_.right); }

dc::Rect ViewLayout::TimelineRect() const {
  return dc::Rect{client_.left + doc_.margin, client_.top + doc_.margin, client_.right, client_.bottom};
}

dc::Rect ViewLayout::MarkBandRect() const {
  return dc::Rect{TrackAreaLeft(), doc_.margin, client_.right, doc_.margin + doc_.bandHeight};
}

std::int32_t ViewLayout::TrackTop(std::int32_t trackNumber) const {
  return TrackAreaTop() + GetTrackTop(doc_, trackNumber - 1) - verticalScroll_;
}

std::int32_t ViewLayout::TotalTrackHeight() const { return GetTotalTrackHeight(doc_); }

const TLEvent* ViewLayout::TrackAtY(std::int32_t y) const {
  for (const TLEvent* track = GetNextEvent(doc_.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const std::int32_t top = TrackTop(track->trackNumber);
    if (y > top && y <= top + GetTrackHeight(doc_, *track)) return track;
  }
  return nullptr;
}

ClipRect ViewLayout::KeptClipRect(const TLEvent& clip) const {
  const std::int32_t top = TrackTop(clip.trackNumber);
  const std::int32_t h = RowHeight();
  ClipRect rect{Clamp16(TimeToX(clip.time)), top, Clamp16(TimeToX(clip.OutTime())), top + h + 1};
  // Clips that carry index marks keep the part of the row the marks use.
  if (clip.trackType != kTrackTransition && !clip.intermediateMovie) {
    rect.top = top + 2;
    rect.bottom = top + 2 + h - 1;
  }
  return rect;
}

bool ViewLayout::IsClipInView(const TLEvent& clip) const {
  return TimeToX(clip.time) <= client_.right && TimeToX(clip.OutTime()) >= TrackAreaLeft();
}

}  // namespace sprocket

#include "tleview/gesture_envelope.h"

#include <algorithm>
#include <cstdlib>

#include "timeline/basics/media_type.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/event_queries.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// The envelope a clip shows on its track: -1 the volume, 1 the balance of a
// two-channel clip on a track that shows balances, 0 none.
int EnvelopeModeOf(const CTestDoc& doc, const TLEvent& clip) {
  const TLEvent* track = FindTrack(doc.Head(), clip.trackNumber);
  const std::int32_t status = track != nullptr ? track->viewStatus : kTrackViewVideoOnly;
  const bool sound = clip.header && clip.header->HasAudio();
  if (!sound || (clip.trackType == kTrackVideo && !IsVideoFileExt(clip.extension))) return 0;
  if (status == kTrackViewVideoOnly || status == kTrackViewBalance) {
    return clip.header->AudioChannels() == 2 && status == kTrackViewBalance ? 1 : 0;
  }
  return -1;
}

std::int32_t PositionAt(const dc::Rect& area, int x) {
  return static_cast<std::int32_t>(std::int64_t{x - area.left} * kEnvelopeEndPosition / std::max(area.Width(), 1));
}

}  // namespace

std::unique_ptr<MouseGesture> EnvelopeGesture::Begin(CTLEView& view, QPoint point) {
  TLEvent* clip = view.ClipAtPoint(point.x(), point.y());
  if (clip == nullptr) return nullptr;
  const int mode = EnvelopeModeOf(view.GetDocument(), *clip);
  dc::Rect area;
  if (mode == 0 || (mode == -1 ? view.GetEnvelopeRect(clip, area) : view.GetBalanceEnvelopeRect(clip, area)) == 0 ||
      !area.Contains(point.x(), point.y()) || area.Width() <= 2 * kGrabDistance) {
    return nullptr;
  }
  VolumeEnvelope points = mode == -1 ? clip->volume : clip->balance;
  if (points.size() < 2) return nullptr;
  // The envelope's height under the press.
  const std::int32_t position = PositionAt(area, point.x());
  const dc::Point onLine = EnvelopeScreenPoint(area, VolumePoint{EnvelopeLevelAt(points, position), position});
  if (std::abs(onLine.y - point.y()) > kGrabDistance) return nullptr;
  int index = -1;
  for (std::size_t i = 1; i + 1 < points.size(); ++i) {
    if (std::abs(EnvelopeScreenPoint(area, points[i]).x - point.x()) <= kGrabDistance) index = static_cast<int>(i);
  }
  if (index < 0) {
    auto at = std::upper_bound(points.begin(), points.end(), position,
                               [](std::int32_t p, const VolumePoint& v) { return p < v.position; });
    at = points.insert(at, VolumePoint{EnvelopeLevelAt(points, position), position});
    index = static_cast<int>(at - points.begin());
  }
  return std::unique_ptr<MouseGesture>(new EnvelopeGesture(view, point, clip, mode, area, std::move(points), index));
}

EnvelopeGesture::EnvelopeGesture(CTLEView& view, QPoint press, TLEvent* clip, int mode, const dc::Rect& area,
                                 VolumeEnvelope points, int index)
    : MouseGesture(view, press), clip_(clip), mode_(mode), points_(std::move(points)), index_(index) {
  view.drag.envelopeChannel = mode == -1 ? 0 : 1;
  view.drag.envelopeClampRect = ToClipRect(area);
  view.drag.envelopePoints = ClipPoints();
}

const VolumeEnvelope& EnvelopeGesture::ClipPoints() const { return mode_ == -1 ? clip_->volume : clip_->balance; }

void EnvelopeGesture::Invert(const VolumeEnvelope& points) {
  view_.drag.envelopePoints = points;
  view_.DrawEnvelopeDragFeedback(clip_, mode_);
}

// The painted envelope is inverted away and the copy inverted in its place.
void EnvelopeGesture::DrawFeedback() {
  if (shown_) return;
  Invert(ClipPoints());
  Invert(points_);
  shown_ = true;
}

void EnvelopeGesture::EraseFeedback() {
  if (!shown_) return;
  Invert(view_.drag.envelopePoints);
  Invert(ClipPoints());
  shown_ = false;
}

void EnvelopeGesture::Follow(QPoint point) {
  dc::Rect area;
  view_.GetEnvelopeRect(clip_, area);
  const int i = index_;
  if (i <= 0 || i + 1 >= static_cast<int>(points_.size()) || area.Height() <= 1) return;
  const std::int32_t span = area.bottom - 1 - area.top;
  points_[i].level = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      std::int64_t{area.bottom - 1 - point.y()} * kEnvelopeMaxLevel / span, 0, kEnvelopeMaxLevel));
  // Between its neighbours, when there is room.
  const std::int32_t lowest = points_[i - 1].position + 1;
  const std::int32_t highest = points_[i + 1].position - 1;
  if (lowest <= highest) points_[i].position = std::clamp(PositionAt(area, point.x()), lowest, highest);
}

void EnvelopeGesture::Move(QPoint point) {
  if (!PastThreshold(point)) return;
  EraseFeedback();
  Follow(point);
  DrawFeedback();
}

void EnvelopeGesture::Release(QPoint) {
  Cancel();
  if (points_ == ClipPoints()) return;
  const EditResult result = SetEnvelope(view_.GetDocument(), clip_, mode_ == -1 ? 0 : 1, points_);
  // The dragged point stays the one the volume envelope's editor works on.
  if (result.Ok() && mode_ == -1) clip_->selectedPoint = index_;
  ShowOutcome(result);
}

void EnvelopeGesture::Cancel() {
  EraseFeedback();
  view_.drag.envelopeClampRect = ClipRect{};
  view_.drag.envelopePoints.clear();
}

}  // namespace sprocket

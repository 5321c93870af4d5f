// Rules of the clip drawing that need no view.

#include "tleview/clip_drawing.h"

#include <algorithm>
#include <cctype>

#include "timeline/basics/media_type.h"

namespace sprocket {

std::string ClipLabel(const TLEvent& clip) { return clip.name + clip.extension; }

std::string EffectCountLabel(const TLEvent& clip) {
  return clip.filters.empty() ? std::string() : std::to_string(clip.filters.size()) + "FX";
}

std::string LowerExtension(const TLEvent& clip) {
  std::string ext = clip.extension;
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

ClipKind KindOf(const TLEvent& clip) {
  if (clip.mediaType == kMediaAvi) return ClipKind::kAvi;
  if (IsVideoMediaType(clip.mediaType)) return ClipKind::kFlic;
  if (clip.mediaType == kMediaOther) return ClipKind::kOther;
  return ClipKind::kStill;
}

dc::Rgb TrackClipColour(char trackType) {
  if (trackType == kTrackAudio) return kAudioBody;
  if (trackType == kTrackTransition) return kTransitionBody;
  return kClipBody;
}

namespace {

// The middle half of the area by integer quarters, `aspect` high per wide.
dc::Rect QuarterRule(const dc::Rect& area, int aspectWidth, int aspectHeight) {
  const int x1 = 3 * area.left / 4 + area.right / 4;
  const int x2 = x1 / 4 + 3 * area.right / 4;
  const int height = (x2 - x1) * aspectHeight / std::max(aspectWidth, 1);
  const int y = area.top + (area.Height() - height) / 2;
  return dc::Rect{x1, y, x2, y + height};
}

dc::Rect Centred(const dc::Rect& area, int width, int height) {
  const int x = area.left + (area.Width() - width) / 2;
  const int y = area.top + (area.Height() - height) / 2;
  return dc::Rect{x, y, x + width, y + height};
}

}  // namespace

dc::Rect FitClipPicture(const dc::Rect& area, int width, int height, bool transition, int pictureWidth) {
  if (width < area.Width() && height < area.Height()) {
    if (transition) return Centred(area, width, height);
    if (2 * pictureWidth <= area.Width()) return Centred(area, pictureWidth, pictureWidth * 3 / 4);
    return QuarterRule(area, 4, 3);
  }
  const int scaledWidth = width * area.Height() / std::max(height, 1);
  if (2 * scaledWidth <= area.Width()) return Centred(area, scaledWidth, area.Height());
  return QuarterRule(area, width, height);
}

std::int32_t ViewSpeed(std::int32_t speed) { return speed > 0 ? speed : kNormalSpeed; }

std::optional<int> ClipIndexMarkX(const CTestDoc& doc, const TLEvent& clip, std::int32_t t) {
  if (t < clip.playIn || t > clip.playOut) return std::nullopt;
  const std::int64_t speed = ViewSpeed(clip.speed);
  const std::int64_t time = clip.time + (-(std::int64_t{clip.playIn} * 100) / speed) + (std::int64_t{t} * 100) / speed;
  return doc.TimeToX(static_cast<std::int32_t>(std::clamp<std::int64_t>(time, INT32_MIN, INT32_MAX)));
}

dc::Point EnvelopeScreenPoint(const dc::Rect& area, const VolumePoint& point) {
  const std::int64_t position = std::clamp(point.position, 0, kEnvelopeEndPosition);
  const std::int64_t level = std::clamp(point.level, 0, kEnvelopeMaxLevel);
  const int x = area.left + static_cast<int>(position * (area.right - area.left) / kEnvelopeEndPosition);
  const int span = area.bottom - 1 - area.top;
  const int y = area.bottom - 1 - static_cast<int>(level * span / kEnvelopeMaxLevel);
  return dc::Point{x, y};
}

bool SkipEnvelopePair(const VolumePoint& p, const VolumePoint& q) {
  return (p.level == kEnvelopeMaxLevel && q.level == kEnvelopeMaxLevel) || (p.level == 0 && q.level == 0) ||
         (p.position == kEnvelopeEndPosition && q.position == kEnvelopeEndPosition) ||
         (p.position == 0 && q.position == 0);
}

bool SkipEnvelopeLine(const VolumePoint& p, const VolumePoint& q, dc::Point ps, dc::Point qs, const dc::Rect& area) {
  return (p.level == kEnvelopeFullLevel && q.level == kEnvelopeFullLevel) || (ps.y == area.top && qs.y == area.top) ||
         (ps.y == area.bottom - 1 && qs.y == area.bottom - 1);
}

bool HasNoHandle(const VolumePoint& q) {
  return q.position == 0 || q.position == kEnvelopeEndPosition || q.level == 0 || q.level == kEnvelopeMaxLevel;
}

}  // namespace sprocket

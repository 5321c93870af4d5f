#include "timeline/records/volume_envelope.h"

namespace sprocket {

VolumeEnvelope FlatEnvelope(std::int32_t level) {
  return {VolumePoint{level, 0}, VolumePoint{level, kEnvelopeEndPosition}};
}

bool IsValidEnvelope(const VolumeEnvelope& envelope) {
  if (envelope.empty()) return true;
  if (envelope.size() < 2) return false;
  if (envelope.front().position != 0 || envelope.back().position != kEnvelopeEndPosition) return false;
  for (std::size_t i = 0; i < envelope.size(); ++i) {
    const VolumePoint& point = envelope[i];
    if (point.level < 0 || point.level > kEnvelopeMaxLevel) return false;
    if (i > 0 && point.position < envelope[i - 1].position) return false;
  }
  return true;
}

std::int32_t EnvelopeLevelAt(const VolumeEnvelope& envelope, std::int32_t position, std::int32_t fallback) {
  if (envelope.empty()) return fallback;
  if (position <= envelope.front().position) return envelope.front().level;
  for (std::size_t i = 1; i < envelope.size(); ++i) {
    const VolumePoint& before = envelope[i - 1];
    const VolumePoint& after = envelope[i];
    if (position > after.position) continue;
    if (position == after.position || after.position == before.position) return after.level;
    std::int64_t span = after.position - before.position;
    std::int64_t offset = position - before.position;
    return static_cast<std::int32_t>(before.level + (after.level - before.level) * offset / span);
  }
  return envelope.back().level;
}

}  // namespace sprocket

#pragma once
// Volume and balance envelopes of a clip (and the master envelopes of a
// timeline).
//
// A point's level is in hundredths of a percent: 10000 is 100 % for a
// volume and the centre for a balance, within 0..20000. Its position is in
// ten-thousandths of the clip's media length: 0 its start, 10000 its end.
// An envelope is empty or keeps a first and a last point, sorted by position.

#include <cstdint>
#include <vector>

namespace sprocket {

inline constexpr std::int32_t kEnvelopeFullLevel = 10000;  // 100 %, or the centre of a balance
inline constexpr std::int32_t kEnvelopeMaxLevel = 20000;
inline constexpr std::int32_t kEnvelopeEndPosition = 10000;

struct VolumePoint {
  std::int32_t level = kEnvelopeFullLevel;
  std::int32_t position = 0;
  bool operator==(const VolumePoint&) const = default;
};

using VolumeEnvelope = std::vector<VolumePoint>;

// The two-point envelope (level, 0), (level, 10000).
VolumeEnvelope FlatEnvelope(std::int32_t level = kEnvelopeFullLevel);

// True when the envelope is empty, or has two or more points sorted by
// position from 0 to 10000 with levels within 0..20000.
bool IsValidEnvelope(const VolumeEnvelope& envelope);

// The level at a position: the level of a point at that position, else the
// straight line between the points around it; before the first point the
// first level, after the last point the last level. `fallback` when empty.
std::int32_t EnvelopeLevelAt(const VolumeEnvelope& envelope, std::int32_t position,
                             std::int32_t fallback = kEnvelopeFullLevel);

}  // namespace sprocket

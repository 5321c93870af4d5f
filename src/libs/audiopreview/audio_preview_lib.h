#pragma once
// The audio preview library: what is done to one clip's PCM samples as they
// are read for mixing, for the preview as for the movie's mixdown.
//
// Every routine works in place on raw samples of the clip's own format
// (8-bit unsigned around 128 or 16-bit signed little-endian, interleaved
// with the left sample first in stereo), before any conversion of depth,
// channels or rate. Gains are in hundredths of a percent: 10000 leaves a
// sample as it is, 20000 doubles it. Results are clipped to the sample
// range; samples of other depths are left alone.

#include <cstdint>
#include <span>

#include "timeline/records/clip_media_header.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// A clip's channel mode (the clip record's channelMode; 0 none).
inline constexpr std::int32_t kChannelModeNone = 0;
inline constexpr std::int32_t kChannelMuteBoth = 1000;  // "Mute" / "Mute Both": silence
inline constexpr std::int32_t kChannelMuteLeft = 1001;
inline constexpr std::int32_t kChannelMuteRight = 1002;
inline constexpr std::int32_t kChannelFillLeft = 1003;   // both channels play the left one
inline constexpr std::int32_t kChannelFillRight = 1004;  // both channels play the right one
inline constexpr std::int32_t kChannelFillBoth = 1005;   // both channels play the mean of the two
inline constexpr std::int32_t kChannelSwap = 1006;       // "Switch Left and Right"

// Scales every sample by `volume` / 10000 (a clip's volume value; below 0
// counts as 0).
void ApplyClipVolume(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t volume);

// Scales the left samples by `leftGain` / 10000 and the right samples by
// `rightGain` / 10000 (each limited to 0..20000). Nothing for mono samples.
void ApplyBalanceGains(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t leftGain,
                       std::int32_t rightGain);

// Applies a channel mode. On mono samples only "Mute" has an effect; an
// unknown mode does nothing.
void ApplyChannelMode(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t mode);

// The balance level of an envelope (10000 = centre, 0 full left, 20000 full
// right) at a position in ten-thousandths of the media length: the level of
// a point at that position, else b0 + MulDiv(t - s0, b1 - b0, s1 - s0)
// between the points (s0, b0) and (s1, b1) around it; before the first or
// after the last point that point's level; 10000 for an empty envelope.
// Limited to 0..20000.
std::int32_t BalanceLevelAt(const VolumeEnvelope& balance, std::int32_t position);

// The left and right gains of a clip's balance envelope after the fraction
// `played` (0..1) of its media: with v the balance level at
// (int)(played x 10000 + 0.5), left = 20000 - v and right = v, so that the
// centre leaves both channels as they are, full right silences the left
// channel and doubles the right one.
void BalanceGains(const TLEvent& clip, double played, std::int32_t* leftGain, std::int32_t* rightGain);

// The gains the preview's own mixer uses for a clip (the "Old Audio" path of
// the mixdown); the same law as BalanceGains.
void GetPreviewBalanceGains(const TLEvent& clip, double played, std::int32_t* leftGain, std::int32_t* rightGain);

}  // namespace sprocket

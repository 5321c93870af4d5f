#pragma once
// A linear gain ramp over PCM samples (volume envelopes in the mixdown).

#include <cstdint>
#include <span>

namespace sprocket {

// Scales `count` samples of `buffer`, from sample `first` on, by a gain that
// steps linearly from `startPercent` (the first sample) towards `endPercent`
// (reached after the last): sample i gets start + (end - start) x i / count
// percent. 8-bit samples are unsigned around 128, 16-bit samples signed
// little-endian; results are clipped to the sample range. False (nothing
// changed) when `bits` is neither 8 nor 16 or the samples lie outside the
// buffer.
bool RampPcmGain(std::span<std::uint8_t> buffer, int bits, std::int64_t first, std::int64_t count, int startPercent,
                 int endPercent);

}  // namespace sprocket

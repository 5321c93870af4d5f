#pragma once
// Changing the playing speed of a block of PCM samples, as a tape does: a
// slower clip gets interpolated samples inserted at evenly spread places, a
// faster one has samples dropped at evenly spread places; every other sample
// keeps its value. The work is done in place on the caller's buffer.
//
// Samples are unsigned 8-bit (silence 128) or signed 16-bit little-endian
// (silence 0), mono or interleaved with the left sample first. A frame is
// one sample of each channel. The buffer holds the input from its start and
// receives the output there; besides the output it should have room for
// kPcmSpeedSlackFrames more frames: the routines read up to three frames past
// the input (for the interpolation) and write the frame after the output,
// which both take from what lies past the input in the buffer. Frames past
// the buffer's end count as silence and are never written.

#include <cstdint>
#include <span>

namespace sprocket {

inline constexpr std::int64_t kPcmSpeedSlackFrames = 20;

// Stretches or squeezes `inputLength` samples (all channels counted) to
// `outputBytes` bytes. `frameBits` (8 or 16) gives the bytes per sample of
// the output length: n_out = outputBytes / (frameBits / 8 x channels) frames.
// A speed up to 100 slows down (50..100), above 100 speeds up (101..200).
// Returns 0, or -1 with the buffer unchanged for a speed outside the chosen
// routine's range, a slow-down between equal lengths, bits other than 8 or
// 16, no channels, an empty input or output, or a buffer too small for the
// input or the output.
int ChangeWaveSpeed(int bits, int speed, std::int64_t inputLength, std::span<std::uint8_t> samples, int channels,
                    std::int64_t outputBytes, int frameBits);

// The slow-down of `inputFrames` frames to `outputFrames` (more) frames:
// D = n_out - n_in samples are inserted, one right after the first sample of
// each of D groups of k or k + 1 consecutive samples (k = n_in / D), with
// the value x1 + x0/4 - x1/4 + x0/8 - x3/8 (arithmetic shifts; x0 the group's
// first sample, x1 and x3 the samples 1 and 3 after it), clamped. 0, or -1
// when the lengths are equal.
int SlowDownPcm8(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames);
int SlowDownPcm16(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames);

// The speed-up of `inputFrames` frames to `outputFrames` (fewer) frames:
// D = n_in - n_out samples are skipped, one after each of D groups that keep
// k or k + 1 samples (k = n_out / D). An output not shorter than the input
// leaves the buffer as it is. Returns 0.
int SpeedUpPcm8(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames);
int SpeedUpPcm16(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames);

}  // namespace sprocket

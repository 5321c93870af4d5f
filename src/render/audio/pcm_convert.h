#pragma once
// Converting one clip's block of PCM samples to the mixdown's output format:
// bit depth first, then the channel count, then the sample rate. Rates
// change by the whole factors 2 and 4 only: lowering keeps every 2nd or 4th
// sample frame, raising interpolates with a three-point quadratic rule.
//
// 8-bit samples are unsigned around 128, 16-bit samples signed; stereo is
// interleaved, left first. The channel and rate conversions run in place in
// a work buffer; every routine stays inside the spans it is given.

#include <cstdint>
#include <span>

namespace sprocket {

// (source + 128) x 256 modulo 65536: the signed value (s - 128) x 256.
// Converts min(n, sizes) samples.
void ConvertPcm8To16(std::span<const std::uint8_t> source, std::span<std::int16_t> work, std::int64_t n);
// The high byte of each sample + 128 modulo 256.
void ConvertPcm16To8(std::span<const std::int16_t> source, std::span<std::uint8_t> work, std::int64_t n);

// Keeps the left sample of each of `frames` stereo frames (no averaging),
// gathered at the start of the buffer.
void StereoToMono(std::span<std::uint8_t> work, std::int64_t frames);
void StereoToMono(std::span<std::int16_t> work, std::int64_t frames);

// Doubles each of `frames` mono samples into a left and a right sample,
// working from the end so that it runs in place. Frames that would not fit
// are left out.
void MonoToStereo(std::span<std::uint8_t> work, std::int64_t frames);
void MonoToStereo(std::span<std::int16_t> work, std::int64_t frames);

// Output frame k = input frame k x factor for k < count (stereo frames kept
// together); no filtering.
void DownsamplePcm(std::span<std::uint8_t> work, int channels, int factor, std::int64_t count);
void DownsamplePcm(std::span<std::int16_t> work, int channels, int factor, std::int64_t count);

// Raises the rate by `factor` (2 or 4; any other factor does nothing),
// producing `count` frames in the work buffer from the frames at its start.
// Output position m (counted from `phase`, 0 <= phase < factor) lies at input
// position m / factor: the input is taken in pairs x[k], x[k + 1] (k even)
// with x[k + 2] after them, and position k + t (0 <= t < 2) gets
// w0(t) x[k] + w1(t) x[k + 1] + w2(t) x[k + 2] with the quadratic Lagrange
// weights; t = 0 and t = 1 copy x[k] and x[k + 1]. 8-bit sums are formed in
// double precision and truncated toward zero, 16-bit sums from arithmetic
// right shifts of the samples; both are clamped. `scratch` receives the
// output first (it needs count x channels samples); the input must hold the
// frame after the last pair (the readers read past the frame for it), and
// samples past the work buffer count as its last sample.
void UpsamplePcm8(std::span<std::uint8_t> work, std::span<std::uint8_t> scratch, int channels, std::int64_t count,
                  int factor, int phase = 0);
void UpsamplePcm16(std::span<std::int16_t> work, std::span<std::int16_t> scratch, int channels, std::int64_t count,
                   int factor, int phase = 0);

// Converts the first `frames` frames of the work buffer from the source's
// channels and rate to `count` frames of the output's: stereo to mono or
// mono to stereo, then up = outRate / srcRate or down = srcRate / outRate
// (whole quotients) when above 1. `phase` is the output's position within
// the first input frame when the rate is raised. Returns 0.
int ConvertClipPcm(std::span<std::uint8_t> work, std::span<std::uint8_t> scratch, std::int64_t frames,
                   std::int64_t count, int outRate, int outChannels, int srcChannels, int srcRate, int phase = 0);
int ConvertClipPcm(std::span<std::int16_t> work, std::span<std::int16_t> scratch, std::int64_t frames,
                   std::int64_t count, int outRate, int outChannels, int srcChannels, int srcRate, int phase = 0);

}  // namespace sprocket

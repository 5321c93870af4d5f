#pragma once
// The sample buffers one mixdown run works in: created once per run and
// reused for every clip and frame.
//
//   source8 / source16  a clip's samples as read, before the depth conversion
//   work                one clip's samples in the output depth, where the
//                       speed, channel and rate conversions run
//   scratch             room for the rate conversion's output
//   accumulator         the running sum of all clips of the current frame
//   output              the mixed frame, ready to write

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sprocket {

class MixBufferSet {
public:
  // Creates the buffers for `bits`-bit output (8, else 16) of frames of at
  // most `maxFrameSamples` sample frames with up to two channels. The
  // source and work buffers hold 24 times that many samples, which covers
  // the longest read of a stereo clip: three times its normal frames, from
  // a source at four times the output rate.
  void AllocMixBuffers(int bits, std::int64_t maxFrameSamples);
  // Silence in the output buffer, and the accumulator's starting value in
  // every entry: 128 for 8-bit output, 0 for 16-bit output.
  void ClearMixBuffers();
  void FreeMixBuffers();

  bool IsAllocated() const { return bits_ != 0; }
  int Bits() const { return bits_; }
  // Sample capacity of the source and work buffers.
  std::int64_t WorkSamples() const { return static_cast<std::int64_t>(source8_.size()); }

  std::span<std::uint8_t> Source8() { return source8_; }
  std::span<std::int16_t> Source16() { return source16_; }
  std::span<std::uint8_t> Work8() { return work8_; }
  std::span<std::int16_t> Work16() { return work16_; }
  std::span<std::uint8_t> Scratch8() { return scratch8_; }
  std::span<std::int16_t> Scratch16() { return scratch16_; }
  // The work buffer of the output depth as bytes.
  std::span<std::uint8_t> WorkBytes();
  std::span<const std::int32_t> Accumulator() const { return accumulator_; }

  // Adds the first `samples` samples of the work buffer to the accumulator:
  // 8-bit entry += sample - 128, 16-bit entry += sample.
  void AccumulatePcm(std::int64_t samples);

  // Turns the first `samples` accumulator entries into the output frame:
  // scaled by the master volume level (MulDiv(entry, level, 10000), 8-bit
  // around 128), and, for stereo output with a master balance b (0..10000,
  // 5000 = centre), left entries by MulDiv(entry, 10000 - b, 5000) and right
  // entries by MulDiv(entry, b, 5000); then clipped to the sample range.
  void FinishMixFrame(std::int64_t samples, int channels, std::optional<std::int32_t> masterVolume,
                      std::optional<std::int32_t> masterBalance);

  // The first `bytes` bytes of the output frame.
  std::span<const std::uint8_t> OutputBytes(std::int64_t bytes) const;

private:
  int bits_ = 0;
  std::vector<std::uint8_t> source8_;
  std::vector<std::int16_t> source16_;
  std::vector<std::uint8_t> work8_;
  std::vector<std::int16_t> work16_;
  std::vector<std::uint8_t> scratch8_;
  std::vector<std::int16_t> scratch16_;
  std::vector<std::uint8_t> output8_;
  std::vector<std::int16_t> output16_;
  std::vector<std::int32_t> accumulator_;
};

}  // namespace sprocket

#include "render/audio/mix_buffers.h"

#include <algorithm>
#include <cstring>

#include "platform/mul_div.h"

namespace sprocket {

namespace {

constexpr std::int64_t kWorkFactor = 24;  // source and work samples per output frame sample
constexpr std::int64_t kWorkSlack = 512;  // read-ahead of the readers and the speed change
constexpr std::int64_t kFrameSlack = 16;

template <typename T>
void Resize(std::vector<T>& buffer, std::int64_t size) {
  buffer.assign(static_cast<std::size_t>(size), T{});
  buffer.shrink_to_fit();
}

}  // namespace

void MixBufferSet::AllocMixBuffers(int bits, std::int64_t maxFrameSamples) {
  FreeMixBuffers();
  bits_ = bits == 8 ? 8 : 16;
  const std::int64_t frame = 2 * std::max<std::int64_t>(maxFrameSamples, 1) + kFrameSlack;
  const std::int64_t work = kWorkFactor * std::max<std::int64_t>(maxFrameSamples, 1) + kWorkSlack;
  Resize(source8_, work);
  Resize(source16_, work);
  Resize(accumulator_, frame);
  if (bits_ == 8) {
    Resize(work8_, work);
    Resize(scratch8_, frame);
    Resize(output8_, frame);
  } else {
    Resize(work16_, work);
    Resize(scratch16_, frame);
    Resize(output16_, frame);
  }
}

void MixBufferSet::ClearMixBuffers() {
  std::fill(output8_.begin(), output8_.end(), std::uint8_t{128});
  std::fill(output16_.begin(), output16_.end(), std::int16_t{0});
  std::fill(accumulator_.begin(), accumulator_.end(), bits_ == 8 ? 128 : 0);
}

void MixBufferSet::FreeMixBuffers() {
  bits_ = 0;
  for (auto* buffer : {&source8_, &work8_, &scratch8_, &output8_}) Resize(*buffer, 0);
  for (auto* buffer : {&source16_, &work16_, &scratch16_, &output16_}) Resize(*buffer, 0);
  Resize(accumulator_, 0);
}

std::span<std::uint8_t> MixBufferSet::WorkBytes() {
  if (bits_ == 8) return work8_;
  return {reinterpret_cast<std::uint8_t*>(work16_.data()), work16_.size() * 2};
}

void MixBufferSet::AccumulatePcm(std::int64_t samples) {
  samples = std::min<std::int64_t>(samples, static_cast<std::int64_t>(accumulator_.size()));
  for (std::int64_t i = 0; i < samples; ++i) {
    const auto at = static_cast<std::size_t>(i);
    accumulator_[at] += bits_ == 8 ? static_cast<std::int32_t>(work8_[at]) - 128 : work16_[at];
  }
}

void MixBufferSet::FinishMixFrame(std::int64_t samples, int channels, std::optional<std::int32_t> masterVolume,
                                  std::optional<std::int32_t> masterBalance) {
  samples = std::min<std::int64_t>(samples, static_cast<std::int64_t>(accumulator_.size()));
  const std::int32_t centre = bits_ == 8 ? 128 : 0;
  for (std::int64_t i = 0; i < samples; ++i) {
    const auto at = static_cast<std::size_t>(i);
    std::int32_t value = accumulator_[at] - centre;
    if (masterVolume) value = MulDiv(value, *masterVolume, 10000);
    if (masterBalance && channels == 2) {
      value = i % 2 == 0 ? MulDiv(value, 10000 - *masterBalance, 5000) : MulDiv(value, *masterBalance, 5000);
    }
    if (bits_ == 8) {
      output8_[at] = static_cast<std::uint8_t>(std::clamp(value + 128, 0, 255));
    } else {
      output16_[at] = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
    }
  }
}

std::span<const std::uint8_t> MixBufferSet::OutputBytes(std::int64_t bytes) const {
  if (bits_ == 8)
    return std::span<const std::uint8_t>(output8_).first(std::min(output8_.size(), static_cast<std::size_t>(bytes)));
  const std::size_t available = output16_.size() * 2;
  return {reinterpret_cast<const std::uint8_t*>(output16_.data()),
          std::min(available, static_cast<std::size_t>(bytes))};
}

}  // namespace sprocket

#include "libs/audiopreview/audio_preview_lib.h"

#include <algorithm>
#include <cstring>

#include "platform/mul_div.h"

namespace sprocket {

namespace {

constexpr std::int32_t kUnityGain = 10000;
constexpr std::int32_t kMaxGain = 20000;
constexpr std::int32_t kCentre = 10000;

// Signed values of the samples in a byte span, 8-bit around 128 or 16-bit.
class SampleView {
public:
  SampleView(std::span<std::uint8_t> bytes, int bits)
      : bytes_(bytes),
        bits_(bits),
        count_(bits == 8    ? bytes.size()
               : bits == 16 ? bytes.size() / 2
                            : 0) {}

  std::size_t Count() const { return count_; }

  int Get(std::size_t i) const {
    if (bits_ == 8) return static_cast<int>(bytes_[i]) - 128;
    std::int16_t s = 0;
    std::memcpy(&s, bytes_.data() + 2 * i, 2);
    return s;
  }

  void Set(std::size_t i, int value) {
    if (bits_ == 8) {
      bytes_[i] = static_cast<std::uint8_t>(std::clamp(value, -128, 127) + 128);
      return;
    }
    const auto s = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
    std::memcpy(bytes_.data() + 2 * i, &s, 2);
  }

  void Scale(std::size_t i, std::int32_t gain) { Set(i, MulDiv(Get(i), gain, kUnityGain)); }

private:
  std::span<std::uint8_t> bytes_;
  int bits_;
  std::size_t count_;
};

}  // namespace

void ApplyClipVolume(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t volume) {
  const std::int32_t gain = std::max(volume, 0);
  if (gain == kUnityGain) return;
  SampleView view(samples, format.bitsPerSample);
  for (std::size_t i = 0; i < view.Count(); ++i) view.Scale(i, gain);
}

void ApplyBalanceGains(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t leftGain,
                       std::int32_t rightGain) {
  if (format.channels != 2) return;
  const std::int32_t left = std::clamp(leftGain, 0, kMaxGain);
  const std::int32_t right = std::clamp(rightGain, 0, kMaxGain);
  if (left == kUnityGain && right == kUnityGain) return;
  SampleView view(samples, format.bitsPerSample);
  for (std::size_t i = 0; i + 1 < view.Count(); i += 2) {
    view.Scale(i, left);
    view.Scale(i + 1, right);
  }
}

void ApplyChannelMode(std::span<std::uint8_t> samples, const PcmWaveFormat& format, std::int32_t mode) {
  SampleView view(samples, format.bitsPerSample);
  if (mode == kChannelMuteBoth) {
    for (std::size_t i = 0; i < view.Count(); ++i) view.Set(i, 0);
    return;
  }
  if (format.channels != 2) return;
  for (std::size_t i = 0; i + 1 < view.Count(); i += 2) {
    const int left = view.Get(i);
    const int right = view.Get(i + 1);
    switch (mode) {
      case kChannelMuteLeft:
        view.Set(i, 0);
        break;
      case kChannelMuteRight:
        view.Set(i + 1, 0);
        break;
      case kChannelFillLeft:
        view.Set(i + 1, left);
        break;
      case kChannelFillRight:
        view.Set(i, right);
        break;
      case kChannelFillBoth: {
        const int mean = (left + right) / 2;
        view.Set(i, mean);
        view.Set(i + 1, mean);
        break;
      }
      case kChannelSwap:
        view.Set(i, right);
        view.Set(i + 1, left);
        break;
      default:
        return;
    }
  }
}

std::int32_t BalanceLevelAt(const VolumeEnvelope& balance, std::int32_t position) {
  if (balance.empty()) return kCentre;
  std::int32_t level = balance.back().level;
  if (position <= balance.front().position) {
    level = balance.front().level;
  } else {
    for (std::size_t i = 1; i < balance.size(); ++i) {
      const VolumePoint& before = balance[i - 1];
      const VolumePoint& after = balance[i];
      if (position > after.position) continue;
      if (position == after.position || after.position == before.position) {
        level = after.level;
      } else {
        level = before.level +
                MulDiv(position - before.position, after.level - before.level, after.position - before.position);
      }
      break;
    }
  }
  return std::clamp(level, 0, kMaxGain);
}

void BalanceGains(const TLEvent& clip, double played, std::int32_t* leftGain, std::int32_t* rightGain) {
  double scaled = played * 10000.0 + 0.5;
  if (!(scaled > -1.0e9 && scaled < 1.0e9)) scaled = 0.0;  // also a fraction that is not a number
  const std::int32_t level = BalanceLevelAt(clip.balance, static_cast<std::int32_t>(scaled));
  *leftGain = std::clamp(kMaxGain - level, 0, kMaxGain);
  *rightGain = std::clamp(level, 0, kMaxGain);
}

void GetPreviewBalanceGains(const TLEvent& clip, double played, std::int32_t* leftGain, std::int32_t* rightGain) {
  BalanceGains(clip, played, leftGain, rightGain);
}

}  // namespace sprocket

#include "timeline/basics/pcm_gain.h"

#include <algorithm>

namespace sprocket {

bool RampPcmGain(std::span<std::uint8_t> buffer, int bits, std::int64_t first, std::int64_t count, int startPercent,
                 int endPercent) {
  if (bits != 8 && bits != 16) return false;
  if (first < 0 || count < 0) return false;
  std::int64_t bytesPerSample = bits / 8;
  if ((first + count) * bytesPerSample > static_cast<std::int64_t>(buffer.size())) return false;
  if (startPercent == 100 && endPercent == 100) return true;

  std::int64_t step = endPercent - startPercent;
  for (std::int64_t i = 0; i < count; ++i) {
    std::int64_t gain = startPercent + step * i / count;
    std::uint8_t* sample = buffer.data() + (first + i) * bytesPerSample;
    if (bits == 8) {
      std::int64_t value = (static_cast<std::int64_t>(sample[0]) - 128) * gain / 100 + 128;
      sample[0] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
    } else {
      auto raw = static_cast<std::int16_t>(sample[0] | sample[1] << 8);
      std::int64_t value = std::clamp<std::int64_t>(raw * gain / 100, -32768, 32767);
      auto scaled = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
      sample[0] = static_cast<std::uint8_t>(scaled & 0xFF);
      sample[1] = static_cast<std::uint8_t>(scaled >> 8);
    }
  }
  return true;
}

}  // namespace sprocket

#include "render/audio/pcm_convert.h"

#include <algorithm>

namespace sprocket {

namespace {

// Quadratic weights of p, q, r at t = index / 4, index 0..7.
constexpr double kWeights[8][3] = {
    {1.0, 0.0, 0.0}, {0.65625, 0.4375, -0.09375}, {0.375, 0.75, -0.125}, {0.15625, 0.9375, -0.09375},
    {0.0, 1.0, 0.0}, {-0.09375, 0.9375, 0.15625}, {-0.125, 0.75, 0.375}, {-0.09375, 0.4375, 0.65625},
};

int Interpolate8(int p, int q, int r, int quarter) {
  if (quarter == 0) return p;
  if (quarter == 4) return q;
  const double* w = kWeights[quarter];
  const double sum = w[0] * p + w[1] * q + w[2] * r;
  return std::clamp(static_cast<int>(sum), -128, 127);
}

int Interpolate16(int p, int q, int r, int quarter) {
  int v = 0;
  switch (quarter) {
    case 0:
      return p;
    case 4:
      return q;
    case 1:
      v = (p >> 1) + (p >> 3) + (p >> 5) + (q >> 1) - (q >> 4) - (r >> 4) - (r >> 5);
      break;
    case 2:
      v = q + (p >> 2) - (q >> 2) + (p >> 3) - (r >> 3);
      break;
    case 3:
      v = q + (p >> 3) + (p >> 5) - (q >> 4) - (r >> 4) - (r >> 5);
      break;
    case 5:
      v = q + (r >> 3) + (r >> 5) - (q >> 4) - (p >> 4) - (p >> 5);
      break;
    case 6:
      v = q + (r >> 2) - (q >> 2) + (r >> 3) - (p >> 3);
      break;
    case 7:
      v = (r >> 1) + (r >> 3) + (r >> 5) + (q >> 1) - (q >> 4) - (p >> 4) - (p >> 5);
      break;
    default:
      break;
  }
  return std::clamp(v, -32768, 32767);
}

int Signed(std::uint8_t s) { return static_cast<int>(s) - 128; }
int Signed(std::int16_t s) { return s; }

template <typename T>
T FromSigned(int v) {
  if constexpr (sizeof(T) == 1) {
    return static_cast<T>(v + 128);
  } else {
    return static_cast<T>(v);
  }
}

template <typename T>
void StereoToMonoT(std::span<T> work, std::int64_t frames) {
  frames = std::min<std::int64_t>(frames, static_cast<std::int64_t>(work.size()) / 2);
  for (std::int64_t i = 0; i < frames; ++i) work[static_cast<std::size_t>(i)] = work[static_cast<std::size_t>(2 * i)];
}

template <typename T>
void MonoToStereoT(std::span<T> work, std::int64_t frames) {
  frames = std::min<std::int64_t>(frames, static_cast<std::int64_t>(work.size()) / 2);
  for (std::int64_t i = frames - 1; i >= 0; --i) {
    const T s = work[static_cast<std::size_t>(i)];
    work[static_cast<std::size_t>(2 * i)] = s;
    work[static_cast<std::size_t>(2 * i + 1)] = s;
  }
}

template <typename T>
void DownsampleT(std::span<T> work, int channels, int factor, std::int64_t count) {
  if (channels < 1 || factor < 1) return;
  const std::int64_t available = static_cast<std::int64_t>(work.size()) / channels;
  count = std::min<std::int64_t>(count, (available + factor - 1) / factor);
  for (std::int64_t k = 0; k < count; ++k) {
    for (int c = 0; c < channels; ++c) {
      work[static_cast<std::size_t>(k * channels + c)] = work[static_cast<std::size_t>(k * factor * channels + c)];
    }
  }
}

template <typename T, typename Interpolate>
void UpsampleT(std::span<T> work, std::span<T> scratch, int channels, std::int64_t count, int factor, int phase,
               Interpolate interpolate) {
  if ((factor != 2 && factor != 4) || channels < 1 || work.empty()) return;
  const std::int64_t available = static_cast<std::int64_t>(work.size()) / channels;
  count = std::min(
      {count, static_cast<std::int64_t>(scratch.size()) / channels, static_cast<std::int64_t>(work.size()) / channels});
  if (available < 1 || count < 1) return;
  phase = std::clamp(phase, 0, factor - 1);
  const int step = 4 / factor;  // quarters of an input sample per output sample
  auto input = [&](std::int64_t frame, int c) {
    return Signed(work[static_cast<std::size_t>(std::min(frame, available - 1) * channels + c)]);
  };
  for (std::int64_t m = 0; m < count; ++m) {
    const std::int64_t position = m + phase;
    const std::int64_t k = position / (2 * factor) * 2;
    const int quarter = static_cast<int>(position - k * factor) * step;
    for (int c = 0; c < channels; ++c) {
      const int v = interpolate(input(k, c), input(k + 1, c), input(k + 2, c), quarter);
      scratch[static_cast<std::size_t>(m * channels + c)] = FromSigned<T>(v);
    }
  }
  std::copy_n(scratch.begin(), count * channels, work.begin());
}

template <typename T, typename Upsample>
int ConvertClipPcmT(std::span<T> work, std::int64_t frames, std::int64_t count, int outRate, int outChannels,
                    int srcChannels, int srcRate, Upsample upsample) {
  if (srcChannels == 2 && outChannels == 1) {
    StereoToMonoT(work, frames);
  } else if (srcChannels == 1 && outChannels == 2) {
    MonoToStereoT(work, frames);
  }
  if (outRate <= 0 || srcRate <= 0 || outChannels < 1) return 0;
  const int up = outRate / srcRate;
  const int down = srcRate / outRate;
  if (up > 1) {
    upsample(up);
  } else if (down > 1) {
    DownsampleT(work, outChannels, down, count);
  }
  return 0;
}

}  // namespace

void ConvertPcm8To16(std::span<const std::uint8_t> source, std::span<std::int16_t> work, std::int64_t n) {
  n = std::min({n, static_cast<std::int64_t>(source.size()), static_cast<std::int64_t>(work.size())});
  for (std::int64_t i = 0; i < n; ++i) {
    work[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((Signed(source[static_cast<std::size_t>(i)])) * 256);
  }
}

void ConvertPcm16To8(std::span<const std::int16_t> source, std::span<std::uint8_t> work, std::int64_t n) {
  n = std::min({n, static_cast<std::int64_t>(source.size()), static_cast<std::int64_t>(work.size())});
  for (std::int64_t i = 0; i < n; ++i) {
    const auto high = static_cast<std::uint8_t>(static_cast<std::uint16_t>(source[static_cast<std::size_t>(i)]) >> 8);
    work[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(high + 128);
  }
}

void StereoToMono(std::span<std::uint8_t> work, std::int64_t frames) { StereoToMonoT(work, frames); }
void StereoToMono(std::span<std::int16_t> work, std::int64_t frames) { StereoToMonoT(work, frames); }
void MonoToStereo(std::span<std::uint8_t> work, std::int64_t frames) { MonoToStereoT(work, frames); }
void MonoToStereo(std::span<std::int16_t> work, std::int64_t frames) { MonoToStereoT(work, frames); }

void DownsamplePcm(std::span<std::uint8_t> work, int channels, int factor, std::int64_t count) {
  DownsampleT(work, channels, factor, count);
}

void DownsamplePcm(std::span<std::int16_t> work, int channels, int factor, std::int64_t count) {
  DownsampleT(work, channels, factor, count);
}

void UpsamplePcm8(std::span<std::uint8_t> work, std::span<std::uint8_t> scratch, int channels, std::int64_t count,
                  int factor, int phase) {
  UpsampleT(work, scratch, channels, count, factor, phase, Interpolate8);
}

void UpsamplePcm16(std::span<std::int16_t> work, std::span<std::int16_t> scratch, int channels, std::int64_t count,
                   int factor, int phase) {
  UpsampleT(work, scratch, channels, count, factor, phase, Interpolate16);
}

int ConvertClipPcm(std::span<std::uint8_t> work, std::span<std::uint8_t> scratch, std::int64_t frames,
                   std::int64_t count, int outRate, int outChannels, int srcChannels, int srcRate, int phase) {
  return ConvertClipPcmT(work, frames, count, outRate, outChannels, srcChannels, srcRate,
                         [&](int up) { UpsamplePcm8(work, scratch, outChannels, count, up, phase); });
}

int ConvertClipPcm(std::span<std::int16_t> work, std::span<std::int16_t> scratch, std::int64_t frames,
                   std::int64_t count, int outRate, int outChannels, int srcChannels, int srcRate, int phase) {
  return ConvertClipPcmT(work, frames, count, outRate, outChannels, srcChannels, srcRate,
                         [&](int up) { UpsamplePcm16(work, scratch, outChannels, count, up, phase); });
}

}  // namespace sprocket

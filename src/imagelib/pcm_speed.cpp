#include "imagelib/pcm_speed.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sprocket {

namespace {

constexpr int kMinSlowSpeed = 50;
constexpr int kMaxFastSpeed = 200;

// Signed values of one sample type and its place in the byte buffer.
struct Pcm8 {
  using Sample = std::uint8_t;
  static constexpr int kBytes = 1;
  static constexpr Sample kSilence = 128;
  static constexpr int kMin = -128;
  static constexpr int kMax = 127;
  static int ToSigned(Sample s) { return static_cast<int>(s) - 128; }
  static Sample FromSigned(int v) { return static_cast<Sample>(v + 128); }
  static Sample Mean(Sample a, Sample b) { return FromSigned((ToSigned(a) + ToSigned(b)) / 2); }
};

struct Pcm16 {
  using Sample = std::int16_t;
  static constexpr int kBytes = 2;
  static constexpr Sample kSilence = 0;
  static constexpr int kMin = -32768;
  static constexpr int kMax = 32767;
  static int ToSigned(Sample s) { return s; }
  static Sample FromSigned(int v) { return static_cast<Sample>(v); }
  static Sample Mean(Sample a, Sample b) { return static_cast<Sample>((a + b) / 2); }
};

// One channel's samples, copied out of the interleaved buffer with silence
// past its end, and written back again.
template <typename Format>
class Planes {
public:
  using Sample = typename Format::Sample;

  Planes(std::span<std::uint8_t> buffer, int channels)
      : buffer_(buffer),
        channels_(channels),
        frames_(static_cast<std::int64_t>(buffer.size()) / (Format::kBytes * channels)) {}

  std::int64_t BufferFrames() const { return frames_; }

  std::vector<Sample> Read(int channel, std::int64_t length) const {
    std::vector<Sample> plane(static_cast<std::size_t>(length), Format::kSilence);
    const std::int64_t available = std::min(length, frames_);
    for (std::int64_t i = 0; i < available; ++i) {
      std::memcpy(&plane[static_cast<std::size_t>(i)], At(i, channel), Format::kBytes);
    }
    return plane;
  }

  void Write(int channel, const std::vector<Sample>& plane, std::int64_t length) {
    const std::int64_t count = std::min({length, frames_, static_cast<std::int64_t>(plane.size())});
    for (std::int64_t i = 0; i < count; ++i) {
      std::memcpy(At(i, channel), &plane[static_cast<std::size_t>(i)], Format::kBytes);
    }
  }

private:
  std::uint8_t* At(std::int64_t frame, int channel) const {
    return buffer_.data() + (frame * channels_ + channel) * Format::kBytes;
  }

  std::span<std::uint8_t> buffer_;
  int channels_;
  std::int64_t frames_;
};

// Inserts D = n_out - n_in interpolated samples into one plane.
template <typename Format>
std::vector<typename Format::Sample> SlowDownPlane(const std::vector<typename Format::Sample>& in, std::int64_t nIn,
                                                   std::int64_t nOut) {
  using Sample = typename Format::Sample;
  std::vector<Sample> out(static_cast<std::size_t>(nOut + kPcmSpeedSlackFrames), Format::kSilence);
  const std::int64_t inserts = nOut - nIn;
  const std::int64_t k = std::max<std::int64_t>(1, nIn / inserts);
  // Input samples that go into groups of k + 1; the rest form groups of k.
  std::int64_t longInput = (nIn * (k + 1) - k * nOut) * (k + 1);
  if (longInput < 0 || longInput > nIn) longInput = 0;
  const std::int64_t shortGroups = (nIn - longInput) / k;
  const std::int64_t longGroups = longInput / (k + 1);

  std::int64_t o = 0;
  std::int64_t i = 0;
  auto put = [&](Sample s) {
    if (o < nOut) out[static_cast<std::size_t>(o++)] = s;
  };
  auto group = [&](std::int64_t length) {
    const int x0 = Format::ToSigned(in[static_cast<std::size_t>(i)]);
    const int x1 = Format::ToSigned(in[static_cast<std::size_t>(i + 1)]);
    const int x3 = Format::ToSigned(in[static_cast<std::size_t>(i + 3)]);
    put(in[static_cast<std::size_t>(i)]);
    const int inserted = x1 + (x0 >> 2) - (x1 >> 2) + (x0 >> 3) - (x3 >> 3);
    put(Format::FromSigned(std::clamp(inserted, Format::kMin, Format::kMax)));
    for (std::int64_t j = 1; j < length; ++j) put(in[static_cast<std::size_t>(i + j)]);
    i += length;
  };
  // A group that would start past the output ends the insertions; the
  // output is complete by then.
  for (std::int64_t g = 0; g < shortGroups && o < nOut; ++g) group(k);
  for (std::int64_t g = 0; g < longGroups && o < nOut; ++g) group(k + 1);
  while (o < nOut && i < nIn) put(in[static_cast<std::size_t>(i++)]);
  out[static_cast<std::size_t>(nOut)] = in[static_cast<std::size_t>(nIn)];
  return out;
}

// Drops D = n_in - n_out samples from one plane.
template <typename Format>
std::vector<typename Format::Sample> SpeedUpPlane(const std::vector<typename Format::Sample>& in, std::int64_t nIn,
                                                  std::int64_t nOut) {
  using Sample = typename Format::Sample;
  std::vector<Sample> out(in);
  const std::int64_t drops = nIn - nOut;
  const std::int64_t k = std::max<std::int64_t>(1, nOut / drops);
  // Input samples taken by groups that keep k + 1.
  std::int64_t longInput = 0;
  bool finalPass = false;
  if (nOut % drops != 0) {
    longInput = (k + 2) * ((k + 1) * nOut - k * nIn);
    if (longInput < 0 || longInput > nIn) {
      longInput = 0;
      finalPass = true;
    }
  }
  const auto inAt = [&](std::int64_t index) {
    return in[static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(in.size()) - 1))];
  };

  std::int64_t o = 0;
  std::int64_t d = 0;
  auto keep = [&](std::int64_t count) {
    for (std::int64_t j = 0; j < count && o < nOut; ++j, ++o) out[static_cast<std::size_t>(o)] = inAt(o + d);
    ++d;
  };
  const std::int64_t shortGroups = (nIn - longInput) / (k + 1);
  const std::int64_t longGroups = longInput / (k + 2);
  for (std::int64_t g = 0; g < shortGroups && o < nOut; ++g) keep(k);
  for (std::int64_t g = 0; g < longGroups && o < nOut; ++g) keep(k + 1);

  if (finalPass) {
    for (std::int64_t i = o; i < nOut; ++i) {
      if (i + d >= nIn) d = nIn - i - 1;
      out[static_cast<std::size_t>(i)] = inAt(i + d);
      if (nIn - d - i < nOut - i) {
        --d;
        if (i + 1 < nOut) {
          ++i;
          out[static_cast<std::size_t>(i)] = Format::Mean(inAt(i - 1 + d - 1), inAt(i - 1 + d));
        }
      }
    }
  }
  out[static_cast<std::size_t>(nOut)] = inAt(nIn);
  return out;
}

template <typename Format, bool kSlow>
int ChangePlanes(std::span<std::uint8_t> samples, int channels, std::int64_t nIn, std::int64_t nOut) {
  if (channels < 1 || nIn < 1 || nOut < 1) return -1;
  Planes<Format> planes(samples, channels);
  if (planes.BufferFrames() < std::max(nIn, nOut)) return -1;
  if (kSlow && nOut == nIn) return -1;
  if (!kSlow && nOut >= nIn) return 0;
  // A slow-down asked to shorten, or a speed-up asked to lengthen, is a
  // mismatch between speed and lengths; the samples stay as they are.
  if (kSlow && nOut < nIn) return -1;

  const std::int64_t planeLength = std::max(nIn, nOut) + kPcmSpeedSlackFrames;
  for (int c = 0; c < channels; ++c) {
    const auto in = planes.Read(c, planeLength);
    const auto out = kSlow ? SlowDownPlane<Format>(in, nIn, nOut) : SpeedUpPlane<Format>(in, nIn, nOut);
    planes.Write(c, out, nOut + 1);
  }
  return 0;
}

}  // namespace

int SlowDownPcm8(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames) {
  return ChangePlanes<Pcm8, true>(samples, channels, inputFrames, outputFrames);
}

int SlowDownPcm16(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames) {
  return ChangePlanes<Pcm16, true>(samples, channels, inputFrames, outputFrames);
}

int SpeedUpPcm8(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames) {
  return ChangePlanes<Pcm8, false>(samples, channels, inputFrames, outputFrames);
}

int SpeedUpPcm16(std::span<std::uint8_t> samples, int channels, std::int64_t inputFrames, std::int64_t outputFrames) {
  return ChangePlanes<Pcm16, false>(samples, channels, inputFrames, outputFrames);
}

int ChangeWaveSpeed(int bits, int speed, std::int64_t inputLength, std::span<std::uint8_t> samples, int channels,
                    std::int64_t outputBytes, int frameBits) {
  if ((bits != 8 && bits != 16) || (frameBits != 8 && frameBits != 16) || channels < 1) return -1;
  const std::int64_t nIn = inputLength / channels;
  const std::int64_t nOut = outputBytes / (frameBits / 8 * channels);
  if (speed <= 100) {
    if (speed < kMinSlowSpeed) return -1;
    return bits == 8 ? SlowDownPcm8(samples, channels, nIn, nOut) : SlowDownPcm16(samples, channels, nIn, nOut);
  }
  if (speed > kMaxFastSpeed) return -1;
  return bits == 8 ? SpeedUpPcm8(samples, channels, nIn, nOut) : SpeedUpPcm16(samples, channels, nIn, nOut);
}

}  // namespace sprocket

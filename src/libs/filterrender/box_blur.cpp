// The box blur with the same bytes on every road:
//  - A window's mean comes from a multiply and a shift wherever that is
//    exact for every sum the window can have (16-bit words for windows of
//    up to 16 pixels, 32-bit words up to 128), else from a division.
//  - Along rows, windows of up to 16 pixels add their bytes line by line
//    into a row of sums (loops the compiler turns into vector code); wider
//    windows keep a running sum per channel.
//  - Down columns, every byte keeps a running sum, updated row by row.
//  - Where the processor has AVX2 the same loops are built for it too.

#include "libs/filterrender/box_blur.h"

#include <algorithm>
#include <vector>

#include "libs/filterrender/filter_kernels.h"
#include "platform/processor_features.h"

namespace sprocket {

namespace {

// floor((sum + count / 2) x multiplier / 2^16): exact while every sum x + half
// stays below 256 x count and 256 x count x (count - 1) < 2^16.
struct HalfWordMean {
  using Sum = std::uint16_t;
  static constexpr std::int32_t kLargestWindow = 16;

  explicit HalfWordMean(std::int32_t count)
      : half(static_cast<std::uint16_t>(count / 2)),
        multiplier(static_cast<std::uint16_t>((65536 + count - 1) / count)) {}
  std::uint8_t operator()(Sum sum) const {
    const auto rounded = static_cast<std::uint16_t>(sum + half);
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(rounded) * multiplier) >> 16);
  }

  std::uint16_t half;
  std::uint16_t multiplier;
};

// The same with 32-bit words and a 22-bit shift: exact while
// 256 x count x (count - 1) < 2^22.
struct WordMean {
  using Sum = std::uint32_t;
  static constexpr std::int32_t kLargestWindow = 128;
  static constexpr int kShift = 22;

  explicit WordMean(std::int32_t count)
      : half(static_cast<std::uint32_t>(count / 2)),
        multiplier(static_cast<std::uint32_t>(((1 << kShift) + count - 1) / count)) {}
  std::uint8_t operator()(Sum sum) const { return static_cast<std::uint8_t>(((sum + half) * multiplier) >> kShift); }

  std::uint32_t half;
  std::uint32_t multiplier;
};

struct DividedMean {
  using Sum = std::uint32_t;

  explicit DividedMean(std::int32_t count) : count(static_cast<std::uint32_t>(count)) {}
  std::uint8_t operator()(Sum sum) const { return static_cast<std::uint8_t>((sum + count / 2) / count); }

  std::uint32_t count;
};

// The mean of one byte's window along its row, from the pixels' bytes
// (edge pixels repeated).
template <typename Mean>
std::uint8_t EdgeMean(const std::uint8_t* row, std::int32_t width, std::int32_t x, int channel, std::int32_t radius,
                      const Mean& mean) {
  typename Mean::Sum sum = 0;
  for (std::int32_t k = -radius; k <= radius; ++k) sum += row[ClampIndex(x + k, width) * 3 + channel];
  return mean(sum);
}

// One row, summing each window's bytes line by line; `sums` holds a row.
template <typename Mean>
[[gnu::always_inline]] inline void BlurRowDirectly(const std::uint8_t* s, std::uint8_t* d, std::int32_t width,
                                                   std::int32_t radius, const Mean& mean, typename Mean::Sum* sums) {
  // Pixels radius .. width - radius - 1 have their whole window in the row.
  const std::int32_t begin = std::min(radius, width) * 3;
  const std::int32_t end = std::max(begin, (width - radius) * 3);
  for (std::int32_t j = begin; j < end; ++j) sums[j] = s[j - 3 * radius];
  for (std::int32_t k = 1 - radius; k <= radius; ++k) {
    const std::uint8_t* line = s + 3 * k;
    for (std::int32_t j = begin; j < end; ++j) sums[j] = static_cast<typename Mean::Sum>(sums[j] + line[j]);
  }
  for (std::int32_t j = begin; j < end; ++j) d[j] = mean(sums[j]);
  // The pixels before and after them.
  auto edge = [&](std::int32_t from, std::int32_t to) {
    for (std::int32_t j = from; j < to; ++j) d[j] = EdgeMean(s, width, j / 3, j % 3, radius, mean);
  };
  edge(0, begin);
  edge(end, width * 3);
}

// One row with a running sum per channel (wide windows).
template <typename Mean>
void BlurRowRunning(const std::uint8_t* s, std::uint8_t* d, std::int32_t width, std::int32_t radius, const Mean& mean) {
  for (int c = 0; c < 3; ++c) {
    typename Mean::Sum sum = 0;
    for (std::int32_t k = -radius; k <= radius; ++k) sum += s[ClampIndex(k, width) * 3 + c];
    for (std::int32_t x = 0; x < width; ++x) {
      d[x * 3 + c] = mean(sum);
      sum += s[ClampIndex(x + radius + 1, width) * 3 + c] - s[ClampIndex(x - radius, width) * 3 + c];
    }
  }
}

template <typename Mean>
[[gnu::always_inline]] inline int BlurRows(const PictureView& source, const PictureView& destination,
                                           std::int32_t radius, const Mean& mean, StopCheck& stop) {
  std::vector<typename Mean::Sum> sums(static_cast<std::size_t>(source.width) * 3);
  for (std::int32_t y = 0; y < source.height; ++y) {
    if (2 * radius + 1 <= HalfWordMean::kLargestWindow) {
      BlurRowDirectly(source.Row(y), destination.Row(y), source.width, radius, mean, sums.data());
    } else {
      BlurRowRunning(source.Row(y), destination.Row(y), source.width, radius, mean);
    }
    if (stop.AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

// Every column of `across` into `destination`, a running sum per byte.
template <typename Mean>
[[gnu::always_inline]] inline int BlurColumns(const PictureView& across, const PictureView& destination,
                                              std::int32_t radius, const Mean& mean, StopCheck& stop) {
  using Sum = typename Mean::Sum;
  const std::int32_t bytes = across.width * 3;
  const std::int32_t height = across.height;
  std::vector<Sum> sums(static_cast<std::size_t>(bytes), 0);
  Sum* sum = sums.data();
  for (std::int32_t k = -radius; k <= radius; ++k) {
    const std::uint8_t* line = across.Row(ClampIndex(k, height));
    for (std::int32_t x = 0; x < bytes; ++x) sum[x] = static_cast<Sum>(sum[x] + line[x]);
  }
  for (std::int32_t y = 0; y < height; ++y) {
    std::uint8_t* d = destination.Row(y);
    const std::uint8_t* entering = across.Row(ClampIndex(y + radius + 1, height));
    const std::uint8_t* leaving = across.Row(ClampIndex(y - radius, height));
    for (std::int32_t x = 0; x < bytes; ++x) {
      d[x] = mean(sum[x]);
      sum[x] = static_cast<Sum>(sum[x] + entering[x] - leaving[x]);
    }
    if (stop.AfterRows(1)) return kEffectStopped;
  }
  return kEffectDone;
}

template <typename Mean>
[[gnu::always_inline]] inline int BlurWith(const PictureView& source, const PictureView& destination,
                                           std::int32_t radius, StopCheck& stop) {
  const Mean mean(2 * radius + 1);
  PictureBuffer across(source.width, source.height);
  if (BlurRows(source, across.view(), radius, mean, stop) == kEffectStopped) return kEffectStopped;
  return BlurColumns(across.view(), destination, radius, mean, stop);
}

template <typename Mean>
int BlurPlain(const PictureView& source, const PictureView& destination, std::int32_t radius, StopCheck& stop) {
  return BlurWith<Mean>(source, destination, radius, stop);
}

#if defined(__x86_64__) || defined(__i386__)
template <typename Mean>
__attribute__((target("avx2"))) int BlurAvx2(const PictureView& source, const PictureView& destination,
                                             std::int32_t radius, StopCheck& stop) {
  return BlurWith<Mean>(source, destination, radius, stop);
}
#endif

template <typename Mean>
int Blur(const PictureView& source, const PictureView& destination, std::int32_t radius, StopCheck& stop) {
#if defined(__x86_64__) || defined(__i386__)
  if (Processor().avx2) return BlurAvx2<Mean>(source, destination, radius, stop);
#endif
  return BlurPlain<Mean>(source, destination, radius, stop);
}

}  // namespace

int BoxBlur(const PictureView& source, const PictureView& destination, std::int32_t radius, StopCheck& stop) {
  if (radius <= 0) {
    CopyPixels(source, destination);
    return kEffectDone;
  }
  const std::int64_t count = 2 * static_cast<std::int64_t>(radius) + 1;
  if (count <= HalfWordMean::kLargestWindow) return Blur<HalfWordMean>(source, destination, radius, stop);
  if (count <= WordMean::kLargestWindow) return Blur<WordMean>(source, destination, radius, stop);
  return Blur<DividedMean>(source, destination, radius, stop);
}

}  // namespace sprocket

#include "imagelib/drawing/mask_blend.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imagelib/dib_header.h"
#include "imagelib/locked_dib_view.h"
#include "platform/global_memory.h"

namespace sprocket {

namespace {

constexpr int kFullWeight = 128;
constexpr int kWeightShift = 7;
constexpr int kMask8Step = 1;
constexpr int kMask24Step = 3;
constexpr std::int32_t kMask24PixelOffset = kDibHeaderSize;

std::uint8_t Mix(std::uint8_t s, std::uint8_t d, int w) {
  return static_cast<std::uint8_t>((s * w + d * (kFullWeight - w)) >> kWeightShift);
}

// One row, pixel by pixel; w = 0 and w = 128 skip the multiplication.
void BlendRowPlain(const std::uint8_t* s, std::uint8_t* d, const std::uint8_t* m, std::int32_t pixels, int maskStep,
                   std::vector<std::uint8_t>& /*weights*/) {
  for (std::int32_t p = 0; p < pixels; ++p, s += 3, d += 3, m += maskStep) {
    const int w = std::min<int>(*m, kFullWeight);
    if (w == 0) continue;
    if (w == kFullWeight) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      continue;
    }
    d[0] = Mix(s[0], d[0], w);
    d[1] = Mix(s[1], d[1], w);
    d[2] = Mix(s[2], d[2], w);
  }
}

// One row as a flat run of bytes: the weights are spread to one per byte and
// the formula is applied to every byte without branches. At w = 0 it gives d
// and at w = 128 it gives s, so the bytes equal those of BlendRowPlain.
void BlendRowWide(const std::uint8_t* s, std::uint8_t* d, const std::uint8_t* m, std::int32_t pixels, int maskStep,
                  std::vector<std::uint8_t>& weights) {
  const std::size_t bytes = static_cast<std::size_t>(pixels) * 3;
  weights.resize(bytes);
  std::uint8_t* wt = weights.data();
  for (std::int32_t p = 0; p < pixels; ++p, m += maskStep, wt += 3) {
    const std::uint8_t w = std::min<std::uint8_t>(*m, kFullWeight);
    wt[0] = w;
    wt[1] = w;
    wt[2] = w;
  }
  wt = weights.data();
  std::size_t i = 0;
#if defined(__SSE2__)
  // s * w + d * (128 - w) <= 255 * 128, so 16-bit lanes hold every sum.
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(kFullWeight);
  for (; i + 16 <= bytes; i += 16) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i wv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wt + i));
    const __m128i wLow = _mm_unpacklo_epi8(wv, zero);
    const __m128i wHigh = _mm_unpackhi_epi8(wv, zero);
    const __m128i low =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, zero), wLow),
                                     _mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), _mm_sub_epi16(full, wLow))),
                       kWeightShift);
    const __m128i high =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, zero), wHigh),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), _mm_sub_epi16(full, wHigh))),
                       kWeightShift);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(low, high));
  }
#endif
  for (; i < bytes; ++i) d[i] = Mix(s[i], d[i], wt[i]);
}

using RowBlender = void (*)(const std::uint8_t*, std::uint8_t*, const std::uint8_t*, std::int32_t, int,
                            std::vector<std::uint8_t>&);

std::size_t BlockBytes(const void* block) { return GlobalSize(GlobalHandle(block)); }

// The null-mask case: the source replaces the destination, header and all.
// A destination block too small for the whole source gets the rows both
// pictures hold, and keeps its header.
void CopySourceOver(const std::uint8_t* source, std::uint8_t* destination) {
  const LockedDibView from = ViewLockedDib(source);
  const LockedDibView to = ViewLockedDib(destination);
  if (!from || !to) return;
  const DibInfoHeader header = ReadDibHeader(source);
  const std::size_t whole = std::size_t{header.biSize} + header.biSizeImage;
  if (whole <= BlockBytes(source) && whole <= BlockBytes(destination)) {
    std::memmove(destination, source, whole);
    return;
  }
  const std::int32_t rows = std::min(from.rows, to.rows);
  const std::size_t rowBytes = static_cast<std::size_t>(std::min(from.stride, to.stride));
  for (std::int32_t y = 0; y < rows; ++y) std::memmove(to.Row(y), from.Row(y), rowBytes);
}

int Blend(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask, std::int32_t maskPixelOffset,
          int maskStep, RowBlender blendRow) {
  if (mask == nullptr) {
    CopySourceOver(source, destination);
    return 0;
  }
  const LockedDibView from = ViewLockedDib(source);
  const LockedDibView to = ViewLockedDib(destination);
  if (!from) return 0;
  const LockedDibView weights = ViewLockedDib(mask, maskPixelOffset, from.rows);
  if (!to || !weights) return 0;
  const std::int32_t rows = std::min({from.rows, to.rows, weights.rows});
  const std::int32_t pixels =
      std::min({from.width, to.width, from.stride / 3, to.stride / 3, weights.stride / maskStep});
  std::vector<std::uint8_t> scratch;
  for (std::int32_t y = 0; y < rows; ++y) {
    blendRow(from.Row(y), to.Row(y), weights.Row(y), pixels, maskStep, scratch);
  }
  return 0;
}

}  // namespace

int BlendUnderMask(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask) {
  return Blend(source, destination, mask, kDibMaskPixelOffset, kMask8Step, BlendRowWide);
}

int BlendUnderMask24(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask) {
  return Blend(source, destination, mask, kMask24PixelOffset, kMask24Step, BlendRowWide);
}

int BlendUnderMaskPlain(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask) {
  return Blend(source, destination, mask, kDibMaskPixelOffset, kMask8Step, BlendRowPlain);
}

int BlendUnderMask24Plain(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask) {
  return Blend(source, destination, mask, kMask24PixelOffset, kMask24Step, BlendRowPlain);
}

int MakeMaskDib(const std::uint8_t* source, std::uint8_t* destination) {
  const LockedDibView from = ViewLockedDib(source);
  if (!from) return 0;
  const LockedDibView to = ViewLockedDib(destination, kDibMaskPixelOffset, from.rows);
  if (!to) return 0;
  std::uint8_t* palette = destination + kDibHeaderSize;
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t entry[4] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                   static_cast<std::uint8_t>(i), 0};
    std::memcpy(palette + 4 * i, entry, sizeof(entry));
  }
  const std::int32_t pixels = std::min({from.width, from.stride / 3, to.stride});
  for (std::int32_t y = 0; y < from.rows; ++y) {
    const std::uint8_t* s = from.Row(y);
    std::uint8_t* d = to.Row(y);
    for (std::int32_t x = 0; x < pixels; ++x) d[x] = s[3 * x];
  }
  return 0;
}

}  // namespace sprocket

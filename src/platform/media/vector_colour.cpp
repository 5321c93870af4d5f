#include "platform/media/vector_colour.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/processor_features.h"

namespace sprocket::media_detail {
namespace {

// The matrix in the fixed point of the exact road's full-chroma output:
// luma and chroma come in at 15 bits, red, green and blue leave at 30 bits
// (then 8). Made from the scaler's own table of the matrix.
struct Coefficients {
  int yOffset = 0;
  int yScale = 0;
  int vToRed = 0;
  int vToGreen = 0;
  int uToGreen = 0;
  int uToBlue = 0;
};

int RoundedTo16Bits(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>((value + (1 << 15)) >> 16, -32768, 32767));
}

Coefficients CoefficientsOf(int matrix, bool fullRange) {
  const int* table = sws_getCoefficients(matrix);  // 16-bit: V to red, U to blue, U and V to green
  std::int64_t vToRed = table[0];
  std::int64_t uToBlue = table[1];
  std::int64_t uToGreen = -table[2];
  std::int64_t vToGreen = -table[3];
  std::int64_t yScale = 1 << 16;
  std::int64_t yOffset = 0;
  if (fullRange) {
    vToRed = vToRed * 224 / 255;
    uToBlue = uToBlue * 224 / 255;
    uToGreen = uToGreen * 224 / 255;
    vToGreen = vToGreen * 224 / 255;
  } else {
    yScale = yScale * 255 / 219;
    yOffset = 16 << 16;
  }
  Coefficients c;
  c.yOffset = RoundedTo16Bits(yOffset << 9);
  c.yScale = RoundedTo16Bits(yScale << 13);
  c.vToRed = RoundedTo16Bits(vToRed << 13);
  c.vToGreen = RoundedTo16Bits(vToGreen << 13);
  c.uToGreen = RoundedTo16Bits(uToGreen << 13);
  c.uToBlue = RoundedTo16Bits(uToBlue << 13);
  return c;
}

// Half-width chroma brought to full width at 15 bits with the bicubic kernel
// (B 0, C 0.6) at double rate: pixel 2k from chroma k - 2 .. k + 1, pixel
// 2k + 1 from chroma k - 1 .. k + 2, in 14-bit fixed point; chroma beyond
// the right edge repeats the edge. The first pixels' windows are cut at the
// left edge and weighted anew.
constexpr std::array<int, 4> kEvenTaps = {-461, 3943, 14284, -1382};
constexpr std::array<int, 4> kOddTaps = {-1382, 14284, 3943, -461};
constexpr std::array<int, 2> kFirstPixelTaps = {17729, -1345};
constexpr std::array<int, 3> kThirdPixelTaps = {3835, 13894, -1345};
constexpr int kSmallestHalvedWidth = 14;
// Room before and after a row of chroma for the repeated edge samples.
constexpr int kChromaBefore = 2;
constexpr int kChromaAfter = 10;  // the vector steps read 8 past the last

inline int Filtered15(int sum) { return std::min(sum >> 7, 32767); }

// `padded` holds the row's chroma from kChromaBefore samples before it;
// `even` and `odd` receive pixels 2k and 2k + 1 at 15 bits.
// From chroma sample `from` on; the edge pixels always.
void DoubleChroma(const std::int16_t* __restrict padded, int from, int chroma, std::int16_t* __restrict even,
                  std::int16_t* __restrict odd) {
  const std::int16_t* c = padded + kChromaBefore;
  for (int k = from; k < chroma; ++k) {
    int sumEven = 0;
    int sumOdd = 0;
    for (int j = 0; j < 4; ++j) {
      sumEven += kEvenTaps[j] * c[k - 2 + j];
      sumOdd += kOddTaps[j] * c[k - 1 + j];
    }
    even[k] = static_cast<std::int16_t>(Filtered15(sumEven));
    odd[k] = static_cast<std::int16_t>(Filtered15(sumOdd));
  }
  even[0] = static_cast<std::int16_t>(Filtered15(kFirstPixelTaps[0] * c[0] + kFirstPixelTaps[1] * c[1]));
  even[1] = static_cast<std::int16_t>(
      Filtered15(kThirdPixelTaps[0] * c[0] + kThirdPixelTaps[1] * c[1] + kThirdPixelTaps[2] * c[2]));
}

[[gnu::always_inline]] inline std::uint8_t Channel8(std::uint32_t value30) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<std::int32_t>(value30), 0, (1 << 30) - 1) >> 22);
}

// One pixel from 8-bit luma and 15-bit chroma into blue, green, red bytes.
// The sums wrap as 32-bit words before they are clamped, as the exact
// road's do.
[[gnu::always_inline]] inline void WritePixel(int luma8, int u15, int v15, const Coefficients& k,
                                              std::uint8_t* __restrict bgr) {
  const std::uint32_t y =
      static_cast<std::uint32_t>(((luma8 << 9) - k.yOffset) * k.yScale) + (static_cast<std::uint32_t>(1) << 21);
  const auto u = static_cast<std::uint32_t>((u15 - (128 << 7)) * 4);
  const auto v = static_cast<std::uint32_t>((v15 - (128 << 7)) * 4);
  bgr[0] = Channel8(y + u * static_cast<std::uint32_t>(k.uToBlue));
  bgr[1] = Channel8(y + v * static_cast<std::uint32_t>(k.vToGreen) + u * static_cast<std::uint32_t>(k.uToGreen));
  bgr[2] = Channel8(y + v * static_cast<std::uint32_t>(k.vToRed));
}

// One row of pixels from its luma and its chroma at 15 bits, pixel x's
// chroma at u(x), v(x).
template <typename Chroma>
[[gnu::always_inline]] inline void WritePixels(const std::uint8_t* luma, int from, int width, Chroma u, Chroma v,
                                               const Coefficients& k, std::uint8_t* bgr) {
  for (int x = from; x < width; ++x) WritePixel(luma[x], u(x), v(x), k, bgr + 3 * x);
}

struct HalfWidthRow {
  const std::int16_t* even;
  const std::int16_t* odd;
  // (Written without a choice between the two pointers: GCC 12 with signed
  // overflow checks took the wrong row at -O2.)
  int operator()(int x) const { return (x & 1) != 0 ? odd[x >> 1] : even[x >> 1]; }
};

struct FullWidthRow {
  const std::uint8_t* chroma;
  int operator()(int x) const { return chroma[x] << 7; }
};

#if defined(__x86_64__) || defined(__i386__)
#define SPROCKET_AVX2 __attribute__((target("avx2")))

// Eight pixels a step: 32-bit lanes hold every sum as the plain code's
// 32-bit words do.
struct Avx2Pixels {
  SPROCKET_AVX2 static __m256i Channel(__m256i value30) {
    const __m256i clamped =
        _mm256_max_epi32(_mm256_min_epi32(value30, _mm256_set1_epi32((1 << 30) - 1)), _mm256_setzero_si256());
    return _mm256_srli_epi32(clamped, 22);
  }

  // Pixels from eight luma bytes and eight 15-bit chroma samples of each
  // plane, in pixel order.
  SPROCKET_AVX2 static void Write8(const std::uint8_t* luma, __m128i u15, __m128i v15, const Coefficients& k,
                                   std::uint8_t* bgr) {
    const __m256i luma8 = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma)));
    const __m256i y =
        _mm256_add_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(_mm256_slli_epi32(luma8, 9), _mm256_set1_epi32(k.yOffset)),
                                            _mm256_set1_epi32(k.yScale)),
                         _mm256_set1_epi32(1 << 21));
    const __m256i middle = _mm256_set1_epi32(128 << 7);
    const __m256i u = _mm256_slli_epi32(_mm256_sub_epi32(_mm256_cvtepi16_epi32(u15), middle), 2);
    const __m256i v = _mm256_slli_epi32(_mm256_sub_epi32(_mm256_cvtepi16_epi32(v15), middle), 2);
    const __m256i blue = Channel(_mm256_add_epi32(y, _mm256_mullo_epi32(u, _mm256_set1_epi32(k.uToBlue))));
    const __m256i green =
        Channel(_mm256_add_epi32(_mm256_add_epi32(y, _mm256_mullo_epi32(v, _mm256_set1_epi32(k.vToGreen))),
                                 _mm256_mullo_epi32(u, _mm256_set1_epi32(k.uToGreen))));
    const __m256i red = Channel(_mm256_add_epi32(y, _mm256_mullo_epi32(v, _mm256_set1_epi32(k.vToRed))));
    const __m256i pixels =
        _mm256_or_si256(blue, _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(red, 16)));
    // Four pixels of three bytes at the start of each half, then stored so
    // that the second half's store overwrites the first's four spare bytes.
    const __m256i packed =
        _mm256_shuffle_epi8(pixels, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4,
                                                     5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(packed, 1));
  }

  // 16-bit pairs (a[m], b[m]) for m = 0 .. 7, in order.
  SPROCKET_AVX2 static __m256i Pairs(__m128i a, __m128i b) {
    return _mm256_set_m128i(_mm_unpackhi_epi16(a, b), _mm_unpacklo_epi16(a, b));
  }

  SPROCKET_AVX2 static __m128i Load8(const std::int16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }

  SPROCKET_AVX2 static __m256i TapPair(int first, int second) {
    return _mm256_set1_epi32(
        static_cast<int>((static_cast<unsigned>(second) << 16) | (static_cast<unsigned>(first) & 0xFFFF)));
  }

  SPROCKET_AVX2 static __m256i Filtered(__m256i sum) {
    return _mm256_min_epi32(_mm256_srai_epi32(sum, 7), _mm256_set1_epi32(32767));
  }

  // Whole groups of sixteen bytes widened to 16 bits; answers how many.
  SPROCKET_AVX2 static int Widen(const std::uint8_t* in, int count, std::int16_t* out) {
    int k = 0;
    for (; k + 16 <= count; k += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), _mm256_cvtepu8_epi16(bytes));
    }
    return k;
  }

  // DoubleChroma eight chroma samples a step.
  SPROCKET_AVX2 static void Double(const std::int16_t* padded, int chroma, std::int16_t* even, std::int16_t* odd) {
    const std::int16_t* c = padded + kChromaBefore;
    int k = 0;
    // Reads reach chroma k + 9, inside the room after the row.
    for (; k + 8 <= chroma; k += 8) {
      const __m128i from2Before = Load8(c + k - 2);
      const __m128i from1Before = Load8(c + k - 1);
      const __m128i from0 = Load8(c + k);
      const __m128i from1After = Load8(c + k + 1);
      const __m128i from2After = Load8(c + k + 2);
      const __m256i evenSum =
          _mm256_add_epi32(_mm256_madd_epi16(Pairs(from2Before, from1Before), TapPair(kEvenTaps[0], kEvenTaps[1])),
                           _mm256_madd_epi16(Pairs(from0, from1After), TapPair(kEvenTaps[2], kEvenTaps[3])));
      const __m256i oddSum =
          _mm256_add_epi32(_mm256_madd_epi16(Pairs(from1Before, from0), TapPair(kOddTaps[0], kOddTaps[1])),
                           _mm256_madd_epi16(Pairs(from1After, from2After), TapPair(kOddTaps[2], kOddTaps[3])));
      // Packing interleaves the halves: even samples end in the low half.
      const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(Filtered(evenSum), Filtered(oddSum)), 0xD8);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(even + k), _mm256_castsi256_si128(words));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(odd + k), _mm256_extracti128_si256(words, 1));
    }
    DoubleChroma(padded, k, chroma, even, odd);
  }

  // Four samples of even pixels and four of odd ones, in pixel order.
  SPROCKET_AVX2 static __m128i PixelOrder(const std::int16_t* even, const std::int16_t* odd) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(even)),
                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(odd)));
  }

  // Eight 8-bit samples at 15 bits.
  SPROCKET_AVX2 static __m128i Widened(const std::uint8_t* chroma) {
    return _mm_slli_epi16(_mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(chroma))), 7);
  }

  // The last step writes 28 bytes from its first pixel: it stays in the row.
  static bool StepFits(int x, int width) { return x + 8 + 2 <= width; }

  SPROCKET_AVX2 static void HalfWidth(const std::uint8_t* luma, const HalfWidthRow& u, const HalfWidthRow& v, int width,
                                      const Coefficients& k, std::uint8_t* bgr) {
    int x = 0;
    for (; StepFits(x, width); x += 8) {
      const int i = x / 2;
      Write8(luma + x, PixelOrder(u.even + i, u.odd + i), PixelOrder(v.even + i, v.odd + i), k, bgr + 3 * x);
    }
    WritePixels(luma, x, width, u, v, k, bgr);
  }

  SPROCKET_AVX2 static void FullWidth(const std::uint8_t* luma, const FullWidthRow& u, const FullWidthRow& v, int width,
                                      const Coefficients& k, std::uint8_t* bgr) {
    int x = 0;
    for (; StepFits(x, width); x += 8) {
      Write8(luma + x, Widened(u.chroma + x), Widened(v.chroma + x), k, bgr + 3 * x);
    }
    WritePixels(luma, x, width, u, v, k, bgr);
  }
};

#endif

struct Rows {
  std::int16_t* paddedU;
  std::int16_t* paddedV;
  std::int16_t* evenU;
  std::int16_t* oddU;
  std::int16_t* evenV;
  std::int16_t* oddV;
};

void PadChroma(bool vector, const std::uint8_t* in, int chroma, std::int16_t* padded) {
  int k = 0;
#if defined(__x86_64__) || defined(__i386__)
  if (vector && Processor().avx2) k = Avx2Pixels::Widen(in, chroma, padded + kChromaBefore);
#endif
  for (; k < chroma; ++k) padded[kChromaBefore + k] = in[k];
  for (k = 0; k < kChromaBefore; ++k) padded[k] = in[0];
  for (int k = 0; k < kChromaAfter; ++k) padded[kChromaBefore + chroma + k] = in[chroma - 1];
}

void DoubleRow(bool vector, const std::int16_t* padded, int chroma, std::int16_t* even, std::int16_t* odd) {
#if defined(__x86_64__) || defined(__i386__)
  if (vector && Processor().avx2) {
    Avx2Pixels::Double(padded, chroma, even, odd);
    return;
  }
#endif
  DoubleChroma(padded, 0, chroma, even, odd);
}

template <typename Chroma>
void WriteRow(bool vector, const std::uint8_t* luma, const Chroma& u, const Chroma& v, int width, const Coefficients& k,
              std::uint8_t* bgr) {
#if defined(__x86_64__) || defined(__i386__)
  if (vector && Processor().avx2) {
    if constexpr (std::is_same_v<Chroma, HalfWidthRow>) {
      Avx2Pixels::HalfWidth(luma, u, v, width, k, bgr);
    } else {
      Avx2Pixels::FullWidth(luma, u, v, width, k, bgr);
    }
    return;
  }
#endif
  WritePixels(luma, 0, width, u, v, k, bgr);
}

const std::uint8_t* PlaneRow(const AVFrame* frame, int plane, int row) {
  return frame->data[plane] + static_cast<std::ptrdiff_t>(frame->linesize[plane]) * row;
}

std::uint8_t* DibRow(std::uint8_t* pixels, std::int32_t stride, int height, int row) {
  return pixels + static_cast<std::ptrdiff_t>(stride) * (height - 1 - row);
}

void ConvertHalfWidthChroma(bool vector, const AVFrame* frame, const Coefficients& k, const Rows& rows,
                            std::uint8_t* pixels, std::int32_t stride) {
  const int chroma = frame->width / 2;
  for (int y = 0; y < frame->height; ++y) {
    PadChroma(vector, PlaneRow(frame, 1, y), chroma, rows.paddedU);
    PadChroma(vector, PlaneRow(frame, 2, y), chroma, rows.paddedV);
    DoubleRow(vector, rows.paddedU, chroma, rows.evenU, rows.oddU);
    DoubleRow(vector, rows.paddedV, chroma, rows.evenV, rows.oddV);
    WriteRow(vector, PlaneRow(frame, 0, y), HalfWidthRow{rows.evenU, rows.oddU}, HalfWidthRow{rows.evenV, rows.oddV},
             frame->width, k, DibRow(pixels, stride, frame->height, y));
  }
}

void ConvertFullWidthChroma(bool vector, const AVFrame* frame, const Coefficients& k, std::uint8_t* pixels,
                            std::int32_t stride) {
  for (int y = 0; y < frame->height; ++y) {
    WriteRow(vector, PlaneRow(frame, 0, y), FullWidthRow{PlaneRow(frame, 1, y)}, FullWidthRow{PlaneRow(frame, 2, y)},
             frame->width, k, DibRow(pixels, stride, frame->height, y));
  }
}

}  // namespace

bool VectorYuvToBgr::Takes(AVPixelFormat format, int width) {
  return format == AV_PIX_FMT_YUV444P ||
         (format == AV_PIX_FMT_YUV422P && width >= kSmallestHalvedWidth && width % 2 == 0);
}

bool VectorYuvToBgr::Convert(const AVFrame* frame, AVPixelFormat format, int matrix, bool fullRange,
                             std::uint8_t* pixels, std::int32_t stride) {
  const int width = frame->width;
  if (!Takes(format, width) || frame->height < 1 || stride < 3 * width) return false;
  const Coefficients k = CoefficientsOf(matrix, fullRange);
  const bool vector = instructions_ == Instructions::kBest;
  if (format == AV_PIX_FMT_YUV444P) {
    ConvertFullWidthChroma(vector, frame, k, pixels, stride);
    return true;
  }
  const std::size_t chroma = static_cast<std::size_t>(width) / 2;
  const std::size_t padded = chroma + kChromaBefore + kChromaAfter;
  scratch_.resize(2 * padded + 4 * chroma);
  Rows rows{};
  rows.paddedU = scratch_.data();
  rows.paddedV = rows.paddedU + padded;
  rows.evenU = rows.paddedV + padded;
  rows.oddU = rows.evenU + chroma;
  rows.evenV = rows.oddU + chroma;
  rows.oddV = rows.evenV + chroma;
  ConvertHalfWidthChroma(vector, frame, k, rows, pixels, stride);
  return true;
}

}  // namespace sprocket::media_detail

#include "platform/media/vector_bgr_to_yuv.h"

#include <algorithm>
#include <array>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/processor_features.h"

namespace sprocket::media_detail {
namespace {

// BT.601 weights (to three decimals) scaled to the limited range, in 15-bit
// fixed point: the exact road's table for this matrix.
constexpr int Weight(double weight, double range) { return static_cast<int>(weight * range / 255 * (1 << 15) + 0.5); }
constexpr int kRy = Weight(0.299, 219);
constexpr int kGy = Weight(0.587, 219);
constexpr int kBy = Weight(0.114, 219);
constexpr int kRu = -Weight(0.169, 224);
constexpr int kGu = -Weight(0.331, 224);
constexpr int kBu = Weight(0.500, 224);
constexpr int kRv = Weight(0.500, 224);
constexpr int kGv = -Weight(0.419, 224);
constexpr int kBv = -Weight(0.081, 224);
// What the weighted sums start from: the 8-bit value of black (luma) or of
// no colour (chroma) at 15 bits, and half the step of the 9-bit shift that
// brings the sums to 14 bits.
constexpr int kLumaStart = (16 << 15) + (1 << 8);
constexpr int kChromaStart = (128 << 15) + (1 << 8);

// Chroma of a row of pixels is filtered down to one sample a pair with the
// bicubic kernel (B 0, C 0.6) at half rate, centred between the pair: eight
// taps in 14-bit fixed point along rows, 12-bit down columns, rounded with
// the error carried from tap to tap. Samples beyond the edges repeat the
// edge sample.
constexpr int kTaps = 8;
constexpr int kTapsBefore = 3;  // taps left of (above) the pair's first pixel
constexpr int kTapsAfter = kTaps - kTapsBefore - 2;
constexpr std::array<int, kTaps> kRowTaps = {-230, -692, 1972, 7142, 7142, 1972, -692, -230};
constexpr std::array<int, kTaps> kColumnTaps = {-58, -172, 492, 1786, 1786, 492, -172, -58};
// Room after a row of chroma for the repeated edge samples and for whole
// groups of vector reads.
constexpr int kRowRoomAfter = 32;

inline int Sample14(int r, int g, int b, int wr, int wg, int wb, int start) {
  return (wr * r + wg * g + wb * b + start) >> 9;
}

// Full range from limited at 15 bits: 16..235 (luma) and 16..240 (chroma)
// stretched to 0..255 by 255/219 and 255/224 in fixed point.
constexpr int kLumaStretchLimit = 30189;
constexpr int kLumaStretch = 19077;  // 14-bit fraction
constexpr int kLumaStretchOffset = 39057361;
constexpr int kChromaStretchLimit = 30775;
constexpr int kChromaStretch = 4663;  // 12-bit fraction
constexpr int kChromaStretchOffset = 9289992;
inline int StretchLuma15(int value) {
  return (std::min(value, kLumaStretchLimit) * kLumaStretch - kLumaStretchOffset) >> 14;
}
inline int StretchChroma15(int value) {
  return (std::min(value, kChromaStretchLimit) * kChromaStretch - kChromaStretchOffset) >> 12;
}

inline std::uint8_t Rounded8(int value15) { return static_cast<std::uint8_t>(std::clamp((value15 + 64) >> 7, 0, 255)); }

// The row primitives, one pixel or sample at a time from `from` on (the
// vector primitives below finish their rows with them).
struct PlainRows {
  // Luma of BGR pixels at 8 bits, chroma at 14.
  template <bool kFullRange>
  static void Split(const std::uint8_t* bgr, int from, int width, std::uint8_t* luma, std::int16_t* u,
                    std::int16_t* v) {
    for (int x = from; x < width; ++x) {
      const int b = bgr[3 * x];
      const int g = bgr[3 * x + 1];
      const int r = bgr[3 * x + 2];
      const int y15 = Sample14(r, g, b, kRy, kGy, kBy, kLumaStart) * 2;
      luma[x] = Rounded8(kFullRange ? StretchLuma15(y15) : y15);
      u[x] = static_cast<std::int16_t>(Sample14(r, g, b, kRu, kGu, kBu, kChromaStart));
      v[x] = static_cast<std::int16_t>(Sample14(r, g, b, kRv, kGv, kBv, kChromaStart));
    }
  }

  // Chroma at 14 bits (kTapsBefore repeated samples before the row) filtered
  // to one 15-bit sample a pair.
  template <bool kFullRange>
  static int HalvedSample(const std::int16_t* padded, int pair) {
    int sum = 0;
    for (int j = 0; j < kTaps; ++j) sum += kRowTaps[j] * padded[2 * pair + j];
    const int value = std::min(sum >> 13, 32767);
    return kFullRange ? StretchChroma15(value) : value;
  }

  template <bool kFullRange>
  static void Halve(const std::int16_t* padded, int from, int pairs, std::int16_t* out15) {
    for (int i = from; i < pairs; ++i) out15[i] = static_cast<std::int16_t>(HalvedSample<kFullRange>(padded, i));
  }

  template <bool kFullRange>
  static void HalveAndRound(const std::int16_t* padded, int from, int pairs, std::uint8_t* out) {
    for (int i = from; i < pairs; ++i) out[i] = Rounded8(HalvedSample<kFullRange>(padded, i));
  }

  // Unfiltered chroma at 14 bits taken to 15 as it is, rounded to 8.
  template <bool kFullRange>
  static void Widen(const std::int16_t* chroma14, int from, int count, std::uint8_t* out) {
    for (int x = from; x < count; ++x) {
      const int value = 2 * chroma14[x];
      out[x] = Rounded8(kFullRange ? StretchChroma15(value) : value);
    }
  }

  // One row of 4:2:0 chroma from kTaps rows of halved samples.
  static void Columns(const std::array<const std::int16_t*, kTaps>& rows, int from, int pairs, std::uint8_t* out) {
    for (int i = from; i < pairs; ++i) {
      int sum = 64 << 12;
      for (int k = 0; k < kTaps; ++k) sum += kColumnTaps[k] * rows[k][i];
      out[i] = static_cast<std::uint8_t>(std::clamp(sum >> 19, 0, 255));
    }
  }

  template <bool kFullRange>
  static void Split(const std::uint8_t* bgr, int width, std::uint8_t* luma, std::int16_t* u, std::int16_t* v) {
    Split<kFullRange>(bgr, 0, width, luma, u, v);
  }
  template <bool kFullRange>
  static void Halve(const std::int16_t* padded, int pairs, std::int16_t* out15) {
    Halve<kFullRange>(padded, 0, pairs, out15);
  }
  template <bool kFullRange>
  static void HalveAndRound(const std::int16_t* padded, int pairs, std::uint8_t* out) {
    HalveAndRound<kFullRange>(padded, 0, pairs, out);
  }
  template <bool kFullRange>
  static void Widen(const std::int16_t* chroma14, int count, std::uint8_t* out) {
    Widen<kFullRange>(chroma14, 0, count, out);
  }
  static void Columns(const std::array<const std::int16_t*, kTaps>& rows, int pairs, std::uint8_t* out) {
    Columns(rows, 0, pairs, out);
  }
};

#if defined(__x86_64__) || defined(__i386__)
#define SPROCKET_SSE41 __attribute__((target("sse4.1")))

// Eight pixels or samples a step: weighted pairs of 16-bit values summed in
// 32-bit lanes (pmaddwd) hold every product of the fixed-point steps above.
struct Sse41Rows {
  // A pair of 16-bit weights for each 32-bit lane: `low` times the lane's
  // low half, `high` times its high half.
  SPROCKET_SSE41 static __m128i Pair(int low, int high) {
    return _mm_set1_epi32(
        static_cast<int>((static_cast<unsigned>(high) << 16) | (static_cast<unsigned>(low) & 0xFFFF)));
  }

  SPROCKET_SSE41 static __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

  // The stretch of 15-bit values that fit in 16 bits, in 32-bit lanes.
  SPROCKET_SSE41 static __m128i Stretch(__m128i value, int limit, int factor, int offset, int shift) {
    const __m128i product = _mm_madd_epi16(_mm_min_epi32(value, _mm_set1_epi32(limit)), Pair(factor, 0));
    return _mm_srai_epi32(_mm_sub_epi32(product, _mm_set1_epi32(offset)), shift);
  }

  // Two groups of four 15-bit values rounded to eight bytes.
  SPROCKET_SSE41 static void StoreRounded(__m128i low, __m128i high, std::uint8_t* out) {
    const __m128i bias = _mm_set1_epi32(64);
    const __m128i words =
        _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(low, bias), 7), _mm_srai_epi32(_mm_add_epi32(high, bias), 7));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
  }

  // Four pixels of the 16 bytes at `bgr`: luma, u and v at 14 bits.
  SPROCKET_SSE41 static void Samples4(const std::uint8_t* bgr, __m128i* y, __m128i* u, __m128i* v) {
    const __m128i bytes = Load(bgr);
    const __m128i blueGreen =
        _mm_shuffle_epi8(bytes, _mm_setr_epi8(0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1));
    const __m128i red =
        _mm_shuffle_epi8(bytes, _mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1));
    auto dot = [&](int wr, int wg, int wb, int start) {
      const __m128i sum = _mm_add_epi32(_mm_madd_epi16(blueGreen, Pair(wb, wg)), _mm_madd_epi16(red, Pair(wr, 0)));
      return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(start)), 9);
    };
    *y = dot(kRy, kGy, kBy, kLumaStart);
    *u = dot(kRu, kGu, kBu, kChromaStart);
    *v = dot(kRv, kGv, kBv, kChromaStart);
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static __m128i Luma15(__m128i luma14) {
    const __m128i value = _mm_add_epi32(luma14, luma14);
    return kFullRange ? Stretch(value, kLumaStretchLimit, kLumaStretch, kLumaStretchOffset, 14) : value;
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static __m128i Chroma15(__m128i chroma15) {
    return kFullRange ? Stretch(chroma15, kChromaStretchLimit, kChromaStretch, kChromaStretchOffset, 12) : chroma15;
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static void Split(const std::uint8_t* bgr, int width, std::uint8_t* luma, std::int16_t* u,
                                   std::int16_t* v) {
    int x = 0;
    // Each group of four reads 16 bytes: the last group ends inside the row.
    for (; x + 8 + 2 <= width; x += 8) {
      __m128i y0, u0, v0, y1, u1, v1;
      Samples4(bgr + 3 * x, &y0, &u0, &v0);
      Samples4(bgr + 3 * x + 12, &y1, &u1, &v1);
      StoreRounded(Luma15<kFullRange>(y0), Luma15<kFullRange>(y1), luma + x);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(u + x), _mm_packs_epi32(u0, u1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(v + x), _mm_packs_epi32(v0, v1));
    }
    PlainRows::Split<kFullRange>(bgr, x, width, luma, u, v);
  }

  // Four halved samples from pair `pair` on, at 15 bits in 32-bit lanes.
  template <bool kFullRange>
  SPROCKET_SSE41 static __m128i Halved4(const std::int16_t* padded, int pair) {
    const std::int16_t* in = padded + 2 * pair;
    __m128i sum = _mm_madd_epi16(Load(in), Pair(kRowTaps[0], kRowTaps[1]));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(Load(in + 2), Pair(kRowTaps[2], kRowTaps[3])));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(Load(in + 4), Pair(kRowTaps[4], kRowTaps[5])));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(Load(in + 6), Pair(kRowTaps[6], kRowTaps[7])));
    return Chroma15<kFullRange>(_mm_min_epi32(_mm_srai_epi32(sum, 13), _mm_set1_epi32(32767)));
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static void Halve(const std::int16_t* padded, int pairs, std::int16_t* out15) {
    int i = 0;
    for (; i + 8 <= pairs; i += 8) {
      const __m128i words = _mm_packs_epi32(Halved4<kFullRange>(padded, i), Halved4<kFullRange>(padded, i + 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out15 + i), words);
    }
    PlainRows::Halve<kFullRange>(padded, i, pairs, out15);
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static void HalveAndRound(const std::int16_t* padded, int pairs, std::uint8_t* out) {
    int i = 0;
    for (; i + 8 <= pairs; i += 8) {
      StoreRounded(Halved4<kFullRange>(padded, i), Halved4<kFullRange>(padded, i + 4), out + i);
    }
    PlainRows::HalveAndRound<kFullRange>(padded, i, pairs, out);
  }

  template <bool kFullRange>
  SPROCKET_SSE41 static void Widen(const std::int16_t* chroma14, int count, std::uint8_t* out) {
    int x = 0;
    for (; x + 8 <= count; x += 8) {
      const __m128i words = Load(chroma14 + x);
      const __m128i low = _mm_cvtepi16_epi32(words);
      const __m128i high = _mm_cvtepi16_epi32(_mm_srli_si128(words, 8));
      StoreRounded(Chroma15<kFullRange>(_mm_add_epi32(low, low)), Chroma15<kFullRange>(_mm_add_epi32(high, high)),
                   out + x);
    }
    PlainRows::Widen<kFullRange>(chroma14, x, count, out);
  }

  SPROCKET_SSE41 static void Columns(const std::array<const std::int16_t*, kTaps>& rows, int pairs, std::uint8_t* out) {
    int i = 0;
    for (; i + 8 <= pairs; i += 8) {
      __m128i low = _mm_set1_epi32(64 << 12);
      __m128i high = low;
      for (int k = 0; k < kTaps; k += 2) {
        const __m128i a = Load(rows[k] + i);
        const __m128i b = Load(rows[k + 1] + i);
        const __m128i taps = Pair(kColumnTaps[k], kColumnTaps[k + 1]);
        low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), taps));
        high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), taps));
      }
      const __m128i words = _mm_packs_epi32(_mm_srai_epi32(low, 19), _mm_srai_epi32(high, 19));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
    }
    PlainRows::Columns(rows, i, pairs, out);
  }
};

#define SPROCKET_AVX2 __attribute__((target("avx2")))

// The same steps as Sse41Rows on sixteen pixels or samples a step.
struct Avx2Rows {
  SPROCKET_AVX2 static __m256i Pair(int low, int high) {
    return _mm256_set1_epi32(
        static_cast<int>((static_cast<unsigned>(high) << 16) | (static_cast<unsigned>(low) & 0xFFFF)));
  }

  SPROCKET_AVX2 static __m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

  SPROCKET_AVX2 static __m256i Stretch(__m256i value, int limit, int factor, int offset, int shift) {
    const __m256i product = _mm256_madd_epi16(_mm256_min_epi32(value, _mm256_set1_epi32(limit)), Pair(factor, 0));
    return _mm256_srai_epi32(_mm256_sub_epi32(product, _mm256_set1_epi32(offset)), shift);
  }

  // Two groups of eight 32-bit values (in order) narrowed to sixteen 16-bit
  // values in order: the packing interleaves the halves of the groups.
  SPROCKET_AVX2 static __m256i Narrow(__m256i low, __m256i high) {
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(low, high), 0xD8);
  }

  SPROCKET_AVX2 static void StoreBytes(__m256i words, std::uint8_t* out) {
    const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  }

  // Two groups of eight 15-bit values rounded to sixteen bytes.
  SPROCKET_AVX2 static void StoreRounded(__m256i low, __m256i high, std::uint8_t* out) {
    const __m256i bias = _mm256_set1_epi32(64);
    StoreBytes(
        Narrow(_mm256_srai_epi32(_mm256_add_epi32(low, bias), 7), _mm256_srai_epi32(_mm256_add_epi32(high, bias), 7)),
        out);
  }

  // Weighted sums of 16-bit blue, green pairs and red values, at 14 bits.
  SPROCKET_AVX2 static __m256i Dot(__m256i blueGreen, __m256i red, int wr, int wg, int wb, int start) {
    const __m256i sum =
        _mm256_add_epi32(_mm256_madd_epi16(blueGreen, Pair(wb, wg)), _mm256_madd_epi16(red, Pair(wr, 0)));
    return _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(start)), 9);
  }

  // Eight pixels of the 28 bytes at `bgr` (four in each half of the
  // registers): luma, u and v at 14 bits.
  SPROCKET_AVX2 static void Samples8(const std::uint8_t* bgr, __m256i* y, __m256i* u, __m256i* v) {
    const __m256i bytes =
        _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr))),
                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 12)), 1);
    const __m256i blueGreen =
        _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1, 0, -1, 1,
                                                    -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1));
    const __m256i red =
        _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1, 2, -1,
                                                    -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1));
    *y = Dot(blueGreen, red, kRy, kGy, kBy, kLumaStart);
    *u = Dot(blueGreen, red, kRu, kGu, kBu, kChromaStart);
    *v = Dot(blueGreen, red, kRv, kGv, kBv, kChromaStart);
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static __m256i Luma15(__m256i luma14) {
    const __m256i value = _mm256_add_epi32(luma14, luma14);
    return kFullRange ? Stretch(value, kLumaStretchLimit, kLumaStretch, kLumaStretchOffset, 14) : value;
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static __m256i Chroma15(__m256i chroma15) {
    return kFullRange ? Stretch(chroma15, kChromaStretchLimit, kChromaStretch, kChromaStretchOffset, 12) : chroma15;
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static void Split(const std::uint8_t* bgr, int width, std::uint8_t* luma, std::int16_t* u,
                                  std::int16_t* v) {
    int x = 0;
    // Each group of four reads 16 bytes: the last group ends inside the row.
    for (; x + 16 + 2 <= width; x += 16) {
      __m256i y0, u0, v0, y1, u1, v1;
      Samples8(bgr + 3 * x, &y0, &u0, &v0);
      Samples8(bgr + 3 * x + 24, &y1, &u1, &v1);
      StoreRounded(Luma15<kFullRange>(y0), Luma15<kFullRange>(y1), luma + x);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(u + x), Narrow(u0, u1));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(v + x), Narrow(v0, v1));
    }
    Sse41Rows::Split<kFullRange>(bgr + 3 * x, width - x, luma + x, u + x, v + x);
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static __m256i Halved8(const std::int16_t* padded, int pair) {
    const std::int16_t* in = padded + 2 * pair;
    __m256i sum = _mm256_madd_epi16(Load(in), Pair(kRowTaps[0], kRowTaps[1]));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(Load(in + 2), Pair(kRowTaps[2], kRowTaps[3])));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(Load(in + 4), Pair(kRowTaps[4], kRowTaps[5])));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(Load(in + 6), Pair(kRowTaps[6], kRowTaps[7])));
    return Chroma15<kFullRange>(_mm256_min_epi32(_mm256_srai_epi32(sum, 13), _mm256_set1_epi32(32767)));
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static void Halve(const std::int16_t* padded, int pairs, std::int16_t* out15) {
    int i = 0;
    for (; i + 16 <= pairs; i += 16) {
      const __m256i words = Narrow(Halved8<kFullRange>(padded, i), Halved8<kFullRange>(padded, i + 8));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out15 + i), words);
    }
    Sse41Rows::Halve<kFullRange>(padded + 2 * i, pairs - i, out15 + i);
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static void HalveAndRound(const std::int16_t* padded, int pairs, std::uint8_t* out) {
    int i = 0;
    for (; i + 16 <= pairs; i += 16) {
      StoreRounded(Halved8<kFullRange>(padded, i), Halved8<kFullRange>(padded, i + 8), out + i);
    }
    Sse41Rows::HalveAndRound<kFullRange>(padded + 2 * i, pairs - i, out + i);
  }

  template <bool kFullRange>
  SPROCKET_AVX2 static void Widen(const std::int16_t* chroma14, int count, std::uint8_t* out) {
    int x = 0;
    for (; x + 16 <= count; x += 16) {
      const __m256i words = Load(chroma14 + x);
      const __m256i low = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(words));
      const __m256i high = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(words, 1));
      StoreRounded(Chroma15<kFullRange>(_mm256_add_epi32(low, low)), Chroma15<kFullRange>(_mm256_add_epi32(high, high)),
                   out + x);
    }
    Sse41Rows::Widen<kFullRange>(chroma14 + x, count - x, out + x);
  }

  SPROCKET_AVX2 static void Columns(const std::array<const std::int16_t*, kTaps>& rows, int pairs, std::uint8_t* out) {
    int i = 0;
    for (; i + 16 <= pairs; i += 16) {
      __m256i low = _mm256_set1_epi32(64 << 12);
      __m256i high = low;
      for (int k = 0; k < kTaps; k += 2) {
        const __m256i a = Load(rows[k] + i);
        const __m256i b = Load(rows[k + 1] + i);
        const __m256i taps = Pair(kColumnTaps[k], kColumnTaps[k + 1]);
        low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), taps));
        high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), taps));
      }
      // The unpacking took each half's samples apart in the same way: the
      // packing puts them back in order.
      StoreBytes(_mm256_packs_epi32(_mm256_srai_epi32(low, 19), _mm256_srai_epi32(high, 19)), out + i);
    }
    std::array<const std::int16_t*, kTaps> rest{};
    for (int k = 0; k < kTaps; ++k) rest[k] = rows[k] + i;
    Sse41Rows::Columns(rest, pairs - i, out + i);
  }
};

#endif

std::uint8_t* PlaneRow(AVFrame* frame, int plane, int row) {
  return frame->data[plane] + static_cast<std::ptrdiff_t>(frame->linesize[plane]) * row;
}

const std::uint8_t* DibRow(const std::uint8_t* pixels, std::int32_t stride, int height, int row) {
  return pixels + static_cast<std::ptrdiff_t>(stride) * (height - 1 - row);
}

// The working space of one picture: a row of chroma at 14 bits per plane
// with room for the repeated edges, and the halved rows (for 4:2:0 a ring of
// kTaps rows per plane).
struct Scratch {
  std::int16_t* u;
  std::int16_t* v;
  std::int16_t* halfU;
  std::int16_t* halfV;
  int rowRoom;
  int halfRoom;
};

int RowRoom(int width) { return kTapsBefore + width + kRowRoomAfter; }
int HalfRoom(int width) { return width / 2 + kRowRoomAfter; }

std::size_t ScratchSize(int width, int halfRows) {
  return 2 * static_cast<std::size_t>(RowRoom(width)) + 2 * static_cast<std::size_t>(halfRows) * HalfRoom(width);
}

Scratch CarveScratch(std::int16_t* base, int width, int halfRows) {
  Scratch s{};
  s.rowRoom = RowRoom(width);
  s.halfRoom = HalfRoom(width);
  s.u = base;
  s.v = s.u + s.rowRoom;
  s.halfU = s.v + s.rowRoom;
  s.halfV = s.halfU + static_cast<std::ptrdiff_t>(halfRows) * s.halfRoom;
  return s;
}

void RepeatEdges(std::int16_t* padded, int width) {
  std::fill(padded, padded + kTapsBefore, padded[kTapsBefore]);
  std::fill(padded + kTapsBefore + width, padded + kTapsBefore + width + kTapsAfter, padded[kTapsBefore + width - 1]);
}

// One row of pixels split into luma (written to the target) and chroma at
// 14 bits in the scratch rows, edges repeated.
template <typename Rows, bool kFullRange>
void SplitRow(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target, int y, const Scratch& s) {
  const int width = target->width;
  Rows::template Split<kFullRange>(DibRow(pixels, stride, target->height, y), width, PlaneRow(target, 0, y),
                                   s.u + kTapsBefore, s.v + kTapsBefore);
  RepeatEdges(s.u, width);
  RepeatEdges(s.v, width);
}

template <typename Rows, bool kFullRange>
void FullWidthChromaRows(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target, const Scratch& s) {
  for (int y = 0; y < target->height; ++y) {
    SplitRow<Rows, kFullRange>(pixels, stride, target, y, s);
    Rows::template Widen<kFullRange>(s.u + kTapsBefore, target->width, PlaneRow(target, 1, y));
    Rows::template Widen<kFullRange>(s.v + kTapsBefore, target->width, PlaneRow(target, 2, y));
  }
}

template <typename Rows, bool kFullRange>
void HalfWidthChromaRows(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target, const Scratch& s) {
  for (int y = 0; y < target->height; ++y) {
    SplitRow<Rows, kFullRange>(pixels, stride, target, y, s);
    Rows::template HalveAndRound<kFullRange>(s.u, target->width / 2, PlaneRow(target, 1, y));
    Rows::template HalveAndRound<kFullRange>(s.v, target->width / 2, PlaneRow(target, 2, y));
  }
}

template <typename Rows, bool kFullRange>
void QuarterChromaRows(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target, const Scratch& s) {
  const int height = target->height;
  const int pairs = target->width / 2;
  // Each chroma row of output reads kTaps consecutive halved rows (edges
  // repeated): a ring of kTaps rows per plane holds them.
  auto ringRow = [&s](std::int16_t* base, int row) {
    return base + static_cast<std::ptrdiff_t>(row % kTaps) * s.halfRoom;
  };
  int rowsHalved = 0;
  for (int chromaRow = 0; chromaRow < height / 2; ++chromaRow) {
    const int first = 2 * chromaRow - kTapsBefore;
    const int last = std::min(first + kTaps - 1, height - 1);
    for (; rowsHalved <= last; ++rowsHalved) {
      SplitRow<Rows, kFullRange>(pixels, stride, target, rowsHalved, s);
      Rows::template Halve<kFullRange>(s.u, pairs, ringRow(s.halfU, rowsHalved));
      Rows::template Halve<kFullRange>(s.v, pairs, ringRow(s.halfV, rowsHalved));
    }
    std::array<const std::int16_t*, kTaps> rowsU{};
    std::array<const std::int16_t*, kTaps> rowsV{};
    for (int k = 0; k < kTaps; ++k) {
      const int row = std::clamp(first + k, 0, height - 1);
      rowsU[k] = ringRow(s.halfU, row);
      rowsV[k] = ringRow(s.halfV, row);
    }
    Rows::Columns(rowsU, pairs, PlaneRow(target, 1, chromaRow));
    Rows::Columns(rowsV, pairs, PlaneRow(target, 2, chromaRow));
  }
}

struct Layout {
  int log2ChromaWidth = 0;
  int log2ChromaHeight = 0;
  bool fullRange = false;
  bool known = false;
};

Layout LayoutOf(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_YUVJ444P:
      return {0, 0, true, true};
    case AV_PIX_FMT_YUVJ422P:
      return {1, 0, true, true};
    case AV_PIX_FMT_YUVJ420P:
      return {1, 1, true, true};
    case AV_PIX_FMT_YUV444P:
      return {0, 0, false, true};
    case AV_PIX_FMT_YUV422P:
      return {1, 0, false, true};
    case AV_PIX_FMT_YUV420P:
      return {1, 1, false, true};
    default:
      return {};
  }
}

template <typename Rows, bool kFullRange>
void ConvertRows(const Layout& layout, const std::uint8_t* pixels, std::int32_t stride, AVFrame* target,
                 const Scratch& s) {
  if (layout.log2ChromaWidth == 0) {
    FullWidthChromaRows<Rows, kFullRange>(pixels, stride, target, s);
  } else if (layout.log2ChromaHeight == 0) {
    HalfWidthChromaRows<Rows, kFullRange>(pixels, stride, target, s);
  } else {
    QuarterChromaRows<Rows, kFullRange>(pixels, stride, target, s);
  }
}

template <typename Rows>
void ConvertRows(const Layout& layout, const std::uint8_t* pixels, std::int32_t stride, AVFrame* target,
                 const Scratch& s) {
  if (layout.fullRange) {
    ConvertRows<Rows, true>(layout, pixels, stride, target, s);
  } else {
    ConvertRows<Rows, false>(layout, pixels, stride, target, s);
  }
}

constexpr int kSmallestHalvedSide = 12;

bool HalvesWell(int side) { return side >= kSmallestHalvedSide && side % 2 == 0; }

}  // namespace

bool VectorBgrToYuv::Takes(AVPixelFormat format, int width, int height) {
  const Layout layout = LayoutOf(format);
  if (!layout.known || width < 1 || height < 1) return false;
  if (layout.log2ChromaWidth == 1 && !HalvesWell(width)) return false;
  return layout.log2ChromaHeight == 0 || HalvesWell(height);
}

bool VectorBgrToYuv::Convert(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target) {
  const auto format = static_cast<AVPixelFormat>(target->format);
  if (pixels == nullptr || !Takes(format, target->width, target->height) || stride < 3 * target->width) return false;
  const Layout layout = LayoutOf(format);
  const int halfRows = layout.log2ChromaHeight == 1 ? kTaps : 1;
  scratch_.resize(ScratchSize(target->width, halfRows));
  const Scratch s = CarveScratch(scratch_.data(), target->width, halfRows);
#if defined(__x86_64__) || defined(__i386__)
  if (Processor().avx2 && instructions_ == Instructions::kBest) {
    ConvertRows<Avx2Rows>(layout, pixels, stride, target, s);
    return true;
  }
  if (Processor().sse41 && instructions_ != Instructions::kPlain) {
    ConvertRows<Sse41Rows>(layout, pixels, stride, target, s);
    return true;
  }
#endif
  ConvertRows<PlainRows>(layout, pixels, stride, target, s);
  return true;
}

}  // namespace sprocket::media_detail

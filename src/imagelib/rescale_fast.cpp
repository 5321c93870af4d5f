// The faster rescaler passes. They give the same bytes as the plain passes:
// the weights come from the same contributor lists and every sum is the same
// integer sum, only computed in another order.
//  - Contributor lists are flattened into arrays, built once per size pair
//    and filter on each thread and kept for the next picture (a movie's
//    frames are all scaled alike), with each band's scratch.
//  - The row pass filters 32 rows at once from a column-ordered copy. With
//    AVX2 each pixel of the copy takes four bytes (the fourth 0), pixels move
//    in and out of column order by 8 x 8 transposes of 32-bit lanes, and the
//    pixel rules act on whole lanes.
//  - The column pass runs row by row: every pixel of an output row shares
//    one contributor list, so each output row is a weighted sum of whole
//    temporary rows. With AVX2 the pixel rules read each byte's neighbours
//    in its pixel through masks of the byte's place.
//  - Sums take 32 bytes at a time with AVX2 where the processor has it, two
//    contributors at a time with 16-bit multiply-adds when every weight fits
//    16 bits; contributors of weight 0 are left out of the sums (they still
//    count for the pixel rules). Whether a byte lies near the first
//    contributor's comes from the largest and smallest contributor byte, and
//    a chunk of nearly flat pixels copies the first contributor's bytes
//    without summing.
//  - Both passes split their rows into bands on the process's worker pool
//    when the picture is large enough to pay for them, except on the
//    threads that make pictures ahead, which have other frames beside them.

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imagelib/rescale_internal.h"
#include "imagelib/rescale_kernels.h"
#include "platform/processor_features.h"
#include "platform/run_ahead.h"
#include "platform/worker_pool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace sprocket::rescale_detail {
namespace {

// Work (multiply-adds) below which another thread does not pay.
constexpr std::int64_t kWorkPerThread = 1 << 16;
constexpr unsigned kMaxThreads = 8;

struct FlatContributors {
  std::vector<std::int32_t> start;  // output i uses [start[i], start[i + 1])
  std::vector<std::int32_t> pixel;
  // The contributors of nonzero weight, which alone add to the sums: output i
  // sums [summedStart[i], summedStart[i + 1]).
  std::vector<std::int32_t> summedStart;
  std::vector<std::int32_t> summedPixel;
  std::vector<std::int32_t> summedWeight;
  // Every weight fits a signed 16-bit lane, so sums can take pairs of
  // 16-bit products at once.
  bool weightsFit16 = true;

  std::int32_t Count(std::int32_t i) const { return start[i + 1] - start[i]; }
  std::int32_t SummedCount(std::int32_t i) const { return summedStart[i + 1] - summedStart[i]; }
};

DibResult Flatten(std::int32_t outputLength, std::int32_t inputLength, RescaleFilter filter, FlatContributors& flat) {
  std::vector<ContributorList> lists;
  const DibResult built = BuildContributors(outputLength, inputLength, filter, lists);
  if (built != kDibDone) return built;
  flat = FlatContributors{};
  flat.start.assign(1, 0);
  flat.summedStart.assign(1, 0);
  for (const ContributorList& list : lists) {
    for (const Contributor& c : list) {
      flat.pixel.push_back(c.pixel);
      if (c.intWeight == 0) continue;
      flat.summedPixel.push_back(c.pixel);
      flat.summedWeight.push_back(c.intWeight);
      flat.weightsFit16 = flat.weightsFit16 && c.intWeight >= INT16_MIN && c.intWeight <= INT16_MAX;
    }
    flat.start.push_back(static_cast<std::int32_t>(flat.pixel.size()));
    flat.summedStart.push_back(static_cast<std::int32_t>(flat.summedPixel.size()));
  }
  return kDibDone;
}

// The contributors of one output pixel (row pass) or row (column pass) as
// lines: all of them for the pixel rules (lines[0] the first contributor's,
// lines[count - 1] the last's), those of nonzero weight for the sums.
struct Taps {
  std::vector<const std::uint8_t*> lines;
  std::vector<const std::uint8_t*> summed;
  const std::int32_t* weights = nullptr;
  bool weightsFit16 = true;

  // Output i of `flat`, its contributor p being the line at base + p * step.
  void Point(const FlatContributors& flat, std::int32_t i, const std::uint8_t* base, std::ptrdiff_t step) {
    lines.resize(static_cast<std::size_t>(flat.Count(i)));
    for (std::size_t k = 0; k < lines.size(); ++k) lines[k] = base + flat.pixel[flat.start[i] + k] * step;
    summed.resize(static_cast<std::size_t>(flat.SummedCount(i)));
    for (std::size_t k = 0; k < summed.size(); ++k) summed[k] = base + flat.summedPixel[flat.summedStart[i] + k] * step;
    weights = flat.summedWeight.data() + flat.summedStart[i];
    weightsFit16 = flat.weightsFit16;
  }
  std::int32_t Count() const { return static_cast<std::int32_t>(lines.size()); }
  std::int32_t SummedCount() const { return static_cast<std::int32_t>(summed.size()); }
};

std::int32_t BandCount(std::int32_t rows, std::int64_t workPerRow) {
  const std::int64_t byWork = std::max<std::int64_t>(1, rows * workPerRow / kWorkPerThread);
  // Pictures made ahead have other frames in flight beside them: one band.
  const unsigned threads = ParallelFrameWork() && !OnRunAheadThread() ? SharedWorkerPool().Workers() + 1 : 1u;
  return static_cast<std::int32_t>(std::min<std::int64_t>({byWork, std::min(threads, kMaxThreads), rows}));
}

// Calls body(band, begin, end) for `bands` bands covering rows 0..rows - 1,
// on the process's worker pool and the calling thread.
template <typename Body>
void RunBands(std::int32_t rows, std::int32_t bands, const Body& body) {
  SharedWorkerPool().Run(bands, [&](std::int32_t band) {
    const std::int32_t begin = static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * band / bands);
    const std::int32_t end = static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * (band + 1) / bands);
    body(band, begin, end);
  });
}

const std::uint8_t* SourceRow(const RescaleJob& job, std::int32_t y) {
  return job.source + static_cast<std::ptrdiff_t>(job.sourceY + y) * job.sourceStride +
         static_cast<std::ptrdiff_t>(job.sourceX) * 3;
}

std::uint8_t* TempRow(const RescaleJob& job, std::int32_t y) {
  return job.temp + static_cast<std::ptrdiff_t>(y) * job.tempStride;
}

std::uint8_t* DestinationRow(const RescaleJob& job, std::int32_t y) {
  return job.destination + static_cast<std::ptrdiff_t>(job.destinationY + y) * job.destinationStride +
         static_cast<std::ptrdiff_t>(job.destinationX) * 3;
}

// Bytes around the flags of a row: the pixel rule reads two bytes either side.
constexpr std::int32_t kMargin = 2;
constexpr std::int32_t kChunk = 32;

// Where each byte of a row of whole pixels sits in its pixel, as masks
// (0xFF where true): a byte at place 0 shares its pixel with the next two,
// one at place 2 with the two before it.
struct PixelPlaces {
  std::vector<std::uint8_t> first;     // place 0
  std::vector<std::uint8_t> notLast;   // place 0 or 1
  std::vector<std::uint8_t> notFirst;  // place 1 or 2
  std::vector<std::uint8_t> last;      // place 2

  explicit PixelPlaces(std::int32_t bytes) : first(bytes), notLast(bytes), notFirst(bytes), last(bytes) {
    for (std::int32_t j = 0; j < bytes; ++j) {
      const std::int32_t place = j % 3;
      first[j] = place == 0 ? 0xFF : 0;
      notLast[j] = place != 2 ? 0xFF : 0;
      notFirst[j] = place != 0 ? 0xFF : 0;
      last[j] = place == 2 ? 0xFF : 0;
    }
  }
};

// One band's bytes of an output row (or group of rows) before the pixel rule.
struct ByteScratch {
  std::vector<std::uint8_t> value;  // the clamped, shifted sum
  std::vector<std::uint8_t> rough;  // 0xFF where a byte differs from the first contributor's by more than 1
  std::vector<std::uint8_t> far;    // 0xFF where the value lies more than 4 from the last contributor's byte
  std::vector<std::int32_t> sums;   // the weighted sums, while they are made
  std::vector<std::uint8_t> low;    // the smallest contributor byte
  std::vector<std::uint8_t> high;   // the largest contributor byte
  Taps taps;

  explicit ByteScratch(std::int32_t bytes)
      : value(bytes), rough(bytes + 2 * kMargin), far(bytes + 2 * kMargin), sums(bytes), low(bytes), high(bytes) {}
};

// The flags and values of bytes begin .. end - 1 of the contributors'
// lines, one line at a time over the whole range (loops the compiler turns
// into vector code on any processor).
void SumBytes(std::int32_t begin, std::int32_t end, ByteScratch& scratch) {
  const Taps& taps = scratch.taps;
  std::int32_t* sums = scratch.sums.data();
  std::fill(sums + begin, sums + end, 0);
  for (std::int32_t k = 0; k < taps.SummedCount(); ++k) {
    const std::uint8_t* line = taps.summed[k];
    const std::int32_t weight = taps.weights[k];
    for (std::int32_t j = begin; j < end; ++j) sums[j] += line[j] * weight;
  }
  const std::uint8_t* first = taps.lines[0];
  std::uint8_t* low = scratch.low.data();
  std::uint8_t* high = scratch.high.data();
  std::copy(first + begin, first + end, low + begin);
  std::copy(first + begin, first + end, high + begin);
  for (const std::uint8_t* line : taps.lines) {
    for (std::int32_t j = begin; j < end; ++j) {
      low[j] = std::min(low[j], line[j]);
      high[j] = std::max(high[j], line[j]);
    }
  }
  const std::uint8_t* last = taps.lines.back();
  for (std::int32_t j = begin; j < end; ++j) {
    const std::int32_t value = std::clamp(sums[j] >> 14, 0, 255);
    scratch.value[j] = static_cast<std::uint8_t>(value);
    scratch.rough[kMargin + j] = high[j] - first[j] > 1 || first[j] - low[j] > 1 ? 0xFF : 0;
    scratch.far[kMargin + j] = std::abs(value - last[j]) > 4 ? 0xFF : 0;
  }
}

// Output byte j by the pixel rule: a nearly flat pixel copies the first
// contributor's, a value within 4 of the last contributor's pixel in every
// channel becomes that pixel, any other takes the value.
inline std::uint8_t PixelRuleByte(const Taps& taps, const PixelPlaces& places, const ByteScratch& scratch,
                                  std::int32_t j) {
  auto any = [&](const std::vector<std::uint8_t>& flags) {
    const std::uint8_t* f = flags.data() + kMargin + j;
    return (f[0] | (f[1] & places.notLast[j]) | (f[2] & places.first[j]) | (f[-1] & places.notFirst[j]) |
            (f[-2] & places.last[j])) != 0;
  };
  if (!any(scratch.rough)) return taps.lines[0][j];
  return any(scratch.far) ? scratch.value[j] : taps.lines.back()[j];
}

// The bytes of one pass's output row (or row group) on any processor.
void FilterBytesPlain(std::int32_t bytes, const PixelPlaces& places, ByteScratch& scratch, std::uint8_t* out) {
  SumBytes(0, bytes, scratch);
  for (std::int32_t j = 0; j < bytes; ++j) out[j] = PixelRuleByte(scratch.taps, places, scratch, j);
}

#if defined(__x86_64__) || defined(__i386__)
#define SPROCKET_AVX2 __attribute__((target("avx2")))

SPROCKET_AVX2 inline __m256i Load32(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

SPROCKET_AVX2 inline void Store32(std::uint8_t* p, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }

// 0xFF in the bytes of `a` above `limit`.
SPROCKET_AVX2 inline __m256i Above(__m256i a, std::uint8_t limit) {
  const __m256i kept = _mm256_subs_epu8(a, _mm256_set1_epi8(static_cast<char>(limit)));
  return _mm256_xor_si256(_mm256_cmpeq_epi8(kept, _mm256_setzero_si256()), _mm256_set1_epi8(-1));
}

SPROCKET_AVX2 inline __m256i AbsoluteDifference(__m256i a, __m256i b) {
  return _mm256_or_si256(_mm256_subs_epu8(a, b), _mm256_subs_epu8(b, a));
}

// Weighted sums of bytes j .. j + 31 in 32-bit lanes, one 32-bit product at a
// time: sums[q] holds bytes 8q .. 8q + 7.
SPROCKET_AVX2 inline void SumWide(const Taps& taps, std::int32_t j, __m256i sums[4]) {
  for (std::int32_t k = 0; k < taps.SummedCount(); ++k) {
    const __m256i weight = _mm256_set1_epi32(taps.weights[k]);
    for (int q = 0; q < 4; ++q) {
      const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps.summed[k] + j + 8 * q));
      sums[q] = _mm256_add_epi32(sums[q], _mm256_mullo_epi32(_mm256_cvtepu8_epi32(eight), weight));
    }
  }
}

// Adds two lines' bytes times their 16-bit weights (packed in `pair`) to the
// sums in the lane order of SumPairs.
SPROCKET_AVX2 inline void AddPair(__m256i a, __m256i b, __m256i pair, __m256i sums[4]) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i aLow = _mm256_unpacklo_epi8(a, zero);
  const __m256i aHigh = _mm256_unpackhi_epi8(a, zero);
  const __m256i bLow = _mm256_unpacklo_epi8(b, zero);
  const __m256i bHigh = _mm256_unpackhi_epi8(b, zero);
  sums[0] = _mm256_add_epi32(sums[0], _mm256_madd_epi16(_mm256_unpacklo_epi16(aLow, bLow), pair));
  sums[1] = _mm256_add_epi32(sums[1], _mm256_madd_epi16(_mm256_unpackhi_epi16(aLow, bLow), pair));
  sums[2] = _mm256_add_epi32(sums[2], _mm256_madd_epi16(_mm256_unpacklo_epi16(aHigh, bHigh), pair));
  sums[3] = _mm256_add_epi32(sums[3], _mm256_madd_epi16(_mm256_unpackhi_epi16(aHigh, bHigh), pair));
}

// Two 16-bit weights side by side in every 32-bit lane.
SPROCKET_AVX2 inline __m256i WeightPair(std::int32_t first, std::int32_t second) {
  return _mm256_set1_epi32(
      static_cast<std::int32_t>(static_cast<std::uint16_t>(first) | (static_cast<std::uint32_t>(second) << 16)));
}

// The same sums two lines at a time with 16-bit multiply-adds (each pair of
// products is exact in 32 bits). The lanes come out in the order the
// unpacking leaves them, which the packing in ValueChunk undoes: sums[0] holds
// bytes 0-3 and 16-19, sums[1] 4-7 and 20-23, sums[2] 8-11 and 24-27,
// sums[3] 12-15 and 28-31.
SPROCKET_AVX2 inline void SumPairs(const Taps& taps, std::int32_t j, __m256i sums[4]) {
  std::int32_t k = 0;
  for (; k + 1 < taps.SummedCount(); k += 2) {
    AddPair(Load32(taps.summed[k] + j), Load32(taps.summed[k + 1] + j),
            WeightPair(taps.weights[k], taps.weights[k + 1]), sums);
  }
  if (k < taps.SummedCount())
    AddPair(Load32(taps.summed[k] + j), _mm256_setzero_si256(), WeightPair(taps.weights[k], 0), sums);
}

// 0xFF in bytes j .. j + 31 that differ from the first contributor's by more
// than 1, from the largest and smallest contributor byte.
SPROCKET_AVX2 inline __m256i RoughChunk(const Taps& taps, std::int32_t j) {
  const __m256i first = Load32(taps.lines[0] + j);
  __m256i largest = first;
  __m256i smallest = first;
  for (const std::uint8_t* line : taps.lines) {
    const __m256i bytes = Load32(line + j);
    largest = _mm256_max_epu8(largest, bytes);
    smallest = _mm256_min_epu8(smallest, bytes);
  }
  return Above(_mm256_max_epu8(_mm256_subs_epu8(largest, first), _mm256_subs_epu8(first, smallest)), 1);
}

// The weighted sums of bytes j .. j + 31, shifted, then narrowed with
// saturation: the clamp to 0..255.
SPROCKET_AVX2 inline __m256i ValueChunk(const Taps& taps, std::int32_t j) {
  __m256i sums[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  if (taps.weightsFit16) {
    SumPairs(taps, j, sums);
    const __m256i low = _mm256_packs_epi32(_mm256_srai_epi32(sums[0], 14), _mm256_srai_epi32(sums[1], 14));
    const __m256i high = _mm256_packs_epi32(_mm256_srai_epi32(sums[2], 14), _mm256_srai_epi32(sums[3], 14));
    return _mm256_packus_epi16(low, high);
  }
  SumWide(taps, j, sums);
  const __m256i low = _mm256_packs_epi32(_mm256_srai_epi32(sums[0], 14), _mm256_srai_epi32(sums[1], 14));
  const __m256i high = _mm256_packs_epi32(_mm256_srai_epi32(sums[2], 14), _mm256_srai_epi32(sums[3], 14));
  return _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// 0xFF in the bytes of `value` more than 4 from the last contributor's.
SPROCKET_AVX2 inline __m256i FarChunk(const Taps& taps, std::int32_t j, __m256i value) {
  return Above(AbsoluteDifference(value, Load32(taps.lines.back() + j)), 4);
}

// Whether any byte of each byte's pixel is flagged, in the byte.
SPROCKET_AVX2 inline __m256i AnyInPixel(const std::uint8_t* flags, const PixelPlaces& places, std::int32_t j) {
  const std::uint8_t* f = flags + kMargin + j;
  __m256i any = Load32(f);
  any = _mm256_or_si256(any, _mm256_and_si256(Load32(f + 1), Load32(places.notLast.data() + j)));
  any = _mm256_or_si256(any, _mm256_and_si256(Load32(f + 2), Load32(places.first.data() + j)));
  any = _mm256_or_si256(any, _mm256_and_si256(Load32(f - 1), Load32(places.notFirst.data() + j)));
  return _mm256_or_si256(any, _mm256_and_si256(Load32(f - 2), Load32(places.last.data() + j)));
}

// Whether any of bytes j - 2 .. j + 33 is flagged: then the pixels that
// bytes j .. j + 31 belong to may need their sums.
SPROCKET_AVX2 inline bool AnyNear(const std::uint8_t* flags, std::int32_t j) {
  const std::uint8_t* f = flags + kMargin + j;
  const __m256i any = _mm256_or_si256(Load32(f - 2), Load32(f + 2));
  return _mm256_testz_si256(any, any) == 0;
}

// First the roughness of every byte, then the sums only of chunks near a
// rough byte: a chunk of nearly flat pixels copies the first contributor's.
// A rough pixel's bytes all lie in chunks that are summed, so the pixel rule
// never reads flags of a chunk that was skipped (stale from an earlier row)
// except for pixels that are nearly flat.
SPROCKET_AVX2 void FilterBytesAvx2(std::int32_t bytes, const PixelPlaces& places, ByteScratch& scratch,
                                   std::uint8_t* out) {
  const Taps& taps = scratch.taps;
  const std::int32_t chunked = bytes - bytes % kChunk;
  for (std::int32_t j = 0; j < chunked; j += kChunk) Store32(scratch.rough.data() + kMargin + j, RoughChunk(taps, j));
  SumBytes(chunked, bytes, scratch);
  for (std::int32_t j = 0; j < chunked; j += kChunk) {
    if (!AnyNear(scratch.rough.data(), j)) {
      Store32(out + j, Load32(taps.lines[0] + j));
      continue;
    }
    const __m256i value = ValueChunk(taps, j);
    Store32(scratch.value.data() + j, value);
    Store32(scratch.far.data() + kMargin + j, FarChunk(taps, j, value));
  }
  for (std::int32_t j = 0; j < chunked; j += kChunk) {
    if (!AnyNear(scratch.rough.data(), j)) continue;
    const __m256i rough = AnyInPixel(scratch.rough.data(), places, j);
    const __m256i far = AnyInPixel(scratch.far.data(), places, j);
    const __m256i snapped = _mm256_blendv_epi8(Load32(taps.lines.back() + j), Load32(scratch.value.data() + j), far);
    Store32(out + j, _mm256_blendv_epi8(Load32(taps.lines[0] + j), snapped, rough));
  }
  for (std::int32_t j = chunked; j < bytes; ++j) out[j] = PixelRuleByte(taps, places, scratch, j);
}

#endif

// The output bytes of `bytes` / 3 pixels from the contributors' lines in
// scratch.taps.
void FilterBytes(std::int32_t bytes, const PixelPlaces& places, ByteScratch& scratch, std::uint8_t* out) {
#if defined(__x86_64__) || defined(__i386__)
  if (Processor().avx2) {
    FilterBytesAvx2(bytes, places, scratch, out);
    return;
  }
#endif
  FilterBytesPlain(bytes, places, scratch, out);
}

// Rows filtered together by the row pass: the group's pixels are laid out
// column by column, so that one output pixel of all its rows is a weighted
// sum of whole short vectors.
constexpr std::int32_t kRowsTogether = 32;
constexpr std::int32_t kGroupBytes = kRowsTogether * 3;
// A column of the group holds one spare byte beyond its pixels (see FilterRowGroup).
constexpr std::int32_t kColumnStride = kGroupBytes + 4;

// Pixels of the column-ordered copy take four bytes with AVX2 (see
// FilterWideRowGroup), three otherwise.
constexpr std::int32_t kWideColumnStride = kRowsTogether * 4;  // pixel x of row r at x * stride + r * 4
constexpr std::int32_t kLanes = 8;

struct RowScratch {
  std::vector<std::uint8_t> columns;  // input pixel x of row r at x * kColumnStride + r * 3 (or the wide layout)
  ByteScratch bytes{kGroupBytes};
  std::uint8_t result[kGroupBytes + 4];
  alignas(32) std::uint8_t results[kLanes][kWideColumnStride];  // kLanes output pixels of the group's rows (wide)
};

// Rows y .. y + rows - 1 of the source rectangle into the same rows of the
// temporary picture.
void FilterRowGroup(const RescaleJob& job, const FlatContributors& flat, const PixelPlaces& places, std::int32_t y,
                    std::int32_t rows, RowScratch& scratch) {
  std::uint8_t* columns = scratch.columns.data();
  // Pixels move four bytes at a time: the fourth lands in the next row's
  // place (written after it) or in the column's spare byte.
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::uint8_t* in = SourceRow(job, y + r);
    std::int32_t x = 0;
    for (; x + 1 < job.sw; ++x) std::memcpy(columns + x * kColumnStride + r * 3, in + x * 3, 4);
    std::memcpy(columns + x * kColumnStride + r * 3, in + x * 3, 3);
  }
  for (std::int32_t i = 0; i < job.dw; ++i) {
    scratch.bytes.taps.Point(flat, i, columns, kColumnStride);
    FilterBytes(kGroupBytes, places, scratch.bytes, scratch.result);
    // The fourth byte lands on the next pixel of the row, written after it.
    if (i + 1 < job.dw) {
      for (std::int32_t r = 0; r < rows; ++r) std::memcpy(TempRow(job, y + r) + i * 3, scratch.result + r * 3, 4);
    } else {
      for (std::int32_t r = 0; r < rows; ++r) std::memcpy(TempRow(job, y + r) + i * 3, scratch.result + r * 3, 3);
    }
  }
}

#if defined(__x86_64__) || defined(__i386__)
// The row pass with AVX2 keeps each pixel of the column-ordered copy in four
// bytes (the fourth 0, which sums to 0 and raises no flag), so that the
// pixel rules act on whole 32-bit lanes, and pixels move into and out of the
// column order by transposes of 8 x 8 lanes.
// v[a] lane b becomes v[b] lane a.
SPROCKET_AVX2 inline void Transpose8x8(__m256i v[kLanes]) {
  const __m256i t0 = _mm256_unpacklo_epi32(v[0], v[1]);
  const __m256i t1 = _mm256_unpackhi_epi32(v[0], v[1]);
  const __m256i t2 = _mm256_unpacklo_epi32(v[2], v[3]);
  const __m256i t3 = _mm256_unpackhi_epi32(v[2], v[3]);
  const __m256i t4 = _mm256_unpacklo_epi32(v[4], v[5]);
  const __m256i t5 = _mm256_unpackhi_epi32(v[4], v[5]);
  const __m256i t6 = _mm256_unpacklo_epi32(v[6], v[7]);
  const __m256i t7 = _mm256_unpackhi_epi32(v[6], v[7]);
  const __m256i u0 = _mm256_unpacklo_epi64(t0, t2);
  const __m256i u1 = _mm256_unpackhi_epi64(t0, t2);
  const __m256i u2 = _mm256_unpacklo_epi64(t1, t3);
  const __m256i u3 = _mm256_unpackhi_epi64(t1, t3);
  const __m256i u4 = _mm256_unpacklo_epi64(t4, t6);
  const __m256i u5 = _mm256_unpackhi_epi64(t4, t6);
  const __m256i u6 = _mm256_unpacklo_epi64(t5, t7);
  const __m256i u7 = _mm256_unpackhi_epi64(t5, t7);
  v[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
  v[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
  v[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
  v[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
  v[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
  v[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
  v[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
  v[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

// The 8 pixels at p (24 bytes; 32 are read) in four bytes each.
SPROCKET_AVX2 inline __m256i WidenPixels(const std::uint8_t* p) {
  const __m256i halves = _mm256_permutevar8x32_epi32(Load32(p), _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6));
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0, 1, 2, -128,
                                          3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  return _mm256_shuffle_epi8(halves, spread);
}

// Writes the 8 four-byte pixels of v as 24 bytes at p.
SPROCKET_AVX2 inline void StoreNarrowed(std::uint8_t* p, __m256i v) {
  const __m256i squeeze = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128, 0, 1, 2, 4,
                                           5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
  const __m256i packed =
      _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(v, squeeze), _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(packed));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm256_extracti128_si256(packed, 1));
}

// Rows y .. y + rows - 1 of the source rectangle into the column order.
// Blocks of 8 x 8 pixels move while a 32-byte read stays inside the row; a
// block past the group's last row repeats that row.
SPROCKET_AVX2 void LayOutColumns(const RescaleJob& job, std::int32_t y, std::int32_t rows, std::uint8_t* columns) {
  std::int32_t x = 0;
  for (; (x + kLanes) * 3 + 8 <= job.sw * 3; x += kLanes) {
    for (std::int32_t block = 0; block * kLanes < rows; ++block) {
      __m256i v[kLanes];
      for (std::int32_t r = 0; r < kLanes; ++r) {
        v[r] = WidenPixels(SourceRow(job, y + std::min(block * kLanes + r, rows - 1)) + x * 3);
      }
      Transpose8x8(v);
      for (std::int32_t p = 0; p < kLanes; ++p) Store32(columns + (x + p) * kWideColumnStride + block * 32, v[p]);
    }
  }
  for (; x < job.sw; ++x) {
    for (std::int32_t r = 0; r < rows; ++r) {
      std::uint8_t* to = columns + x * kWideColumnStride + r * 4;
      std::memcpy(to, SourceRow(job, y + r) + x * 3, 3);
      to[3] = 0;
    }
  }
}

// Output pixel i of the group's rows into `out` (four bytes a pixel) by the
// pixel rules on whole lanes.
SPROCKET_AVX2 void FilterWidePixel(const FlatContributors& flat, std::int32_t i, RowScratch& scratch,
                                   std::uint8_t* out) {
  Taps& taps = scratch.bytes.taps;
  taps.Point(flat, i, scratch.columns.data(), kWideColumnStride);
  const __m256i zero = _mm256_setzero_si256();
  for (std::int32_t j = 0; j < kWideColumnStride; j += kChunk) {
    const __m256i first = Load32(taps.lines[0] + j);
    const __m256i rough = RoughChunk(taps, j);
    if (_mm256_testz_si256(rough, rough) != 0) {
      Store32(out + j, first);
      continue;
    }
    const __m256i value = ValueChunk(taps, j);
    const __m256i smooth = _mm256_cmpeq_epi32(rough, zero);
    const __m256i near = _mm256_cmpeq_epi32(FarChunk(taps, j, value), zero);
    const __m256i snapped = _mm256_blendv_epi8(value, Load32(taps.lines.back() + j), near);
    Store32(out + j, _mm256_blendv_epi8(snapped, first, smooth));
  }
}

// Rows y .. y + rows - 1 of the source rectangle into the same rows of the
// temporary picture, kLanes output pixels at a time.
SPROCKET_AVX2 void FilterWideRowGroup(const RescaleJob& job, const FlatContributors& flat, std::int32_t y,
                                      std::int32_t rows, RowScratch& scratch) {
  LayOutColumns(job, y, rows, scratch.columns.data());
  for (std::int32_t i = 0; i < job.dw; i += kLanes) {
    const std::int32_t pixels = std::min(kLanes, job.dw - i);
    for (std::int32_t p = 0; p < pixels; ++p) FilterWidePixel(flat, i + p, scratch, scratch.results[p]);
    if (pixels < kLanes) {
      for (std::int32_t p = 0; p < pixels; ++p) {
        for (std::int32_t r = 0; r < rows; ++r) {
          std::memcpy(TempRow(job, y + r) + (i + p) * 3, scratch.results[p] + r * 4, 3);
        }
      }
      continue;
    }
    for (std::int32_t block = 0; block * kLanes < rows; ++block) {
      __m256i v[kLanes];
      for (std::int32_t p = 0; p < kLanes; ++p) v[p] = Load32(scratch.results[p] + block * 32);
      Transpose8x8(v);
      for (std::int32_t r = 0; r < kLanes && block * kLanes + r < rows; ++r) {
        StoreNarrowed(TempRow(job, y + block * kLanes + r) + i * 3, v[r]);
      }
    }
  }
}
#endif

// Rows y .. y + rows - 1 (at most kRowsTogether) of the source rectangle
// into the same rows of the temporary picture.
void FilterGroup(const RescaleJob& job, const FlatContributors& across, const PixelPlaces& places, std::int32_t y,
                 std::int32_t rows, RowScratch& scratch) {
#if defined(__x86_64__) || defined(__i386__)
  if (Processor().avx2) {
    FilterWideRowGroup(job, across, y, rows, scratch);
    return;
  }
#endif
  FilterRowGroup(job, across, places, y, rows, scratch);
}

// One output row of the column pass: the weighted sum of whole temporary rows.
void FilterRows(const RescaleJob& job, const FlatContributors& flat, const PixelPlaces& places, std::int32_t i,
                ByteScratch& scratch, std::uint8_t* out) {
  scratch.taps.Point(flat, i, job.temp, job.tempStride);
  FilterBytes(job.dw * 3, places, scratch, out);
}

// One output row of the 2:1 column reduction.
void HalveRows(const RescaleJob& job, std::int32_t i, std::uint8_t* out) {
  const std::uint8_t* a = TempRow(job, i == 0 ? 0 : 2 * i - 2);
  const std::uint8_t* b = TempRow(job, i == 0 ? 0 : 2 * i - 1);
  const std::uint8_t* c = TempRow(job, 2 * i);
  const std::uint8_t* d = TempRow(job, 2 * i + 1);
  const std::int32_t bytes = job.dw * 3;
  for (std::int32_t j = 0; j < bytes; ++j) out[j] = HalveChannel(a[j], b[j], c[j], d[j]);
}

// One output row of the 2:1 column enlargement (the pairs of DoubleLine).
void DoubleRows(const RescaleJob& job, std::int32_t i, std::uint8_t* out) {
  const std::int32_t k = job.dh;
  const std::int32_t pair = i & ~1;
  const std::int32_t cur = std::min(pair / 2, k / 2 - 1);
  const std::int32_t prev = pair == 0 ? 0 : std::min(pair / 2 - 1, k / 2 - 1);
  const std::uint8_t* nearRow = TempRow(job, (i & 1) == 0 ? prev : cur);
  const std::uint8_t* farRow = TempRow(job, (i & 1) == 0 ? cur : prev);
  const std::int32_t bytes = job.dw * 3;
  for (std::int32_t j = 0; j < bytes; ++j) out[j] = DoubleChannel(nearRow[j], farRow[j]);
}

DibResult RunShortcut(const RescaleJob& job) {
  const bool widen = job.sw < job.dw;
  RunBands(job.sh, BandCount(job.sh, job.dw * 6), [&](std::int32_t, std::int32_t begin, std::int32_t end) {
    for (std::int32_t y = begin; y < end; ++y) {
      if (widen) {
        DoubleLine(SourceRow(job, y), job.dw, TempRow(job, y));
      } else {
        HalveLine(SourceRow(job, y), job.dw, TempRow(job, y));
      }
    }
  });
  const bool heighten = job.sh < job.dh;
  RunBands(job.dh, BandCount(job.dh, job.dw * 6), [&](std::int32_t, std::int32_t begin, std::int32_t end) {
    for (std::int32_t i = begin; i < end; ++i) {
      if (heighten) {
        DoubleRows(job, i, DestinationRow(job, i));
      } else {
        HalveRows(job, i, DestinationRow(job, i));
      }
    }
  });
  return kDibDone;
}

// The tables of one size pair and filter: the flattened contributors of
// both passes and the byte places of the widest row; and the scratch of
// each band, kept for the next picture with them.
struct PassTables {
  std::int32_t sw = 0, sh = 0, dw = 0, dh = 0;
  RescaleFilter filter = kFilterMitchell;
  FlatContributors across;
  FlatContributors down;
  std::unique_ptr<PixelPlaces> places;
  std::vector<RowScratch> rowScratch;
  std::vector<ByteScratch> columnScratch;

  bool Fit(const RescaleJob& job) const {
    return places && sw == job.sw && sh == job.sh && dw == job.dw && dh == job.dh && filter == job.filter;
  }

  // Scratch for `bands` bands of each pass.
  void ReserveBands(std::int32_t bands) {
    const std::size_t count = static_cast<std::size_t>(bands);
    for (std::size_t band = rowScratch.size(); band < count; ++band) {
      rowScratch.emplace_back().columns.resize(static_cast<std::size_t>(sw) *
                                               std::max(kColumnStride, kWideColumnStride));
    }
    while (columnScratch.size() < count) columnScratch.emplace_back(dw * 3);
  }
};

// The job's tables: those of the thread's last job when the sizes and the
// filter are the same, else built now (and kept for the next job).
DibResult TablesFor(const RescaleJob& job, PassTables** tables) {
  thread_local PassTables last;
  if (!last.Fit(job)) {
    last.places.reset();  // not a fit until every table is built
    last.rowScratch.clear();
    last.columnScratch.clear();
    DibResult result = Flatten(job.dw, job.sw, job.filter, last.across);
    if (result == kDibDone) result = Flatten(job.dh, job.sh, job.filter, last.down);
    if (result != kDibDone) return result;
    last.sw = job.sw;
    last.sh = job.sh;
    last.dw = job.dw;
    last.dh = job.dh;
    last.filter = job.filter;
    last.places = std::make_unique<PixelPlaces>(std::max(kGroupBytes, job.dw * 3));
  }
  *tables = &last;
  return kDibDone;
}

DibResult RunGeneral(const RescaleJob& job) {
  PassTables* tables = nullptr;
  const DibResult result = TablesFor(job, &tables);
  if (result != kDibDone) return result;
  const FlatContributors& across = tables->across;
  const FlatContributors& down = tables->down;
  const PixelPlaces& places = *tables->places;
  const std::int32_t rowBands = BandCount(job.sh, static_cast<std::int64_t>(across.pixel.size()) * 3);
  const std::int32_t columnBands =
      BandCount(job.dh, static_cast<std::int64_t>(down.pixel.size()) / job.dh * job.dw * 3);
  tables->ReserveBands(std::max(rowBands, columnBands));
  RunBands(job.sh, rowBands, [&](std::int32_t band, std::int32_t begin, std::int32_t end) {
    for (std::int32_t y = begin; y < end; y += kRowsTogether) {
      FilterGroup(job, across, places, y, std::min(kRowsTogether, end - y), tables->rowScratch[band]);
    }
  });
  RunBands(job.dh, columnBands, [&](std::int32_t band, std::int32_t begin, std::int32_t end) {
    for (std::int32_t i = begin; i < end; ++i) {
      FilterRows(job, down, places, i, tables->columnScratch[band], DestinationRow(job, i));
    }
  });
  return kDibDone;
}

}  // namespace

DibResult RunFastPasses(const RescaleJob& job) {
  try {
    return UsesHalvingShortcut(job) ? RunShortcut(job) : RunGeneral(job);
  } catch (const std::bad_alloc&) {
    return kDibNoMemory;
  }
}

}  // namespace sprocket::rescale_detail

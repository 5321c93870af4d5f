// The faster rescaler passes. They give the same bytes as the plain passes:
// the weights come from the same contributor lists and every sum is the same
// integer sum, only computed in another order.
//  - Contributor lists are flattened into arrays.
//  - The row pass filters 32 rows at once from a column-ordered copy.
//  - The column pass runs row by row: every pixel of an output row shares
//    one contributor list, so each output row is a weighted sum of whole
//    temporary rows, in loops the compiler vectorises.
//  - Both passes split their rows into bands on the process's worker pool
//    when the picture is large enough to pay for them.

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/rescale_internal.h"
#include "imagelib/rescale_kernels.h"
#include "platform/worker_pool.h"

namespace sprocket::rescale_detail {
namespace {

// Work (multiply-adds) below which another thread does not pay.
constexpr std::int64_t kWorkPerThread = 1 << 16;
constexpr unsigned kMaxThreads = 8;

struct FlatContributors {
  std::vector<std::int32_t> start;  // output i uses [start[i], start[i + 1])
  std::vector<std::int32_t> pixel;
  std::vector<std::int32_t> weight;

  std::int32_t Count(std::int32_t i) const { return start[i + 1] - start[i]; }
};

DibResult Flatten(std::int32_t outputLength, std::int32_t inputLength, RescaleFilter filter,
                  FlatContributors& flat) {
  std::vector<ContributorList> lists;
  const DibResult built = BuildContributors(outputLength, inputLength, filter, lists);
  if (built != kDibDone) return built;
  flat.start.assign(1, 0);
  flat.pixel.clear();
  flat.weight.clear();
  for (const ContributorList& list : lists) {
    for (const Contributor& c : list) {
      flat.pixel.push_back(c.pixel);
      flat.weight.push_back(c.intWeight);
    }
    flat.start.push_back(static_cast<std::int32_t>(flat.pixel.size()));
  }
  return kDibDone;
}

std::int32_t BandCount(std::int32_t rows, std::int64_t workPerRow) {
  const std::int64_t byWork = std::max<std::int64_t>(1, rows * workPerRow / kWorkPerThread);
  const unsigned threads = ParallelFrameWork() ? SharedWorkerPool().Workers() + 1 : 1u;
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

// Sums of whole pixels, byte by byte, and what the flat and snap rules need.
// The hot loops run over plain arrays that never overlap, so the compiler
// vectorises them; their callers come in two copies, one for processors with
// AVX2, chosen at load time (integer arithmetic: the same bytes either way).
#define SPROCKET_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))

struct ByteSums {
  std::vector<std::int32_t> sum;
  std::vector<std::uint8_t> rough;  // nonzero where a byte differs from the first contributor's by more than 1
  std::vector<std::uint8_t> value;  // the clamped, shifted sum
  std::vector<std::uint8_t> near;   // nonzero where the value lies within 4 of the last contributor's byte

  explicit ByteSums(std::size_t bytes) : sum(bytes), rough(bytes), value(bytes), near(bytes) {}
};

inline __attribute__((always_inline)) void ClearSums(ByteSums& sums, std::int32_t count) {
  std::fill_n(sums.sum.data(), count, 0);
  std::fill_n(sums.rough.data(), count, 0);
}

// sum[j] += row[j] x weight; marks the bytes more than 1 away from the first contributor's.
inline __attribute__((always_inline)) void Accumulate(std::int32_t* __restrict sum,
                                                      std::uint8_t* __restrict rough,
                                                      const std::uint8_t* __restrict row,
                                                      const std::uint8_t* __restrict first,
                                                      std::int32_t weight, std::int32_t count) {
  for (std::int32_t j = 0; j < count; ++j) {
    sum[j] += row[j] * weight;
    rough[j] |= static_cast<std::uint8_t>(static_cast<unsigned>(row[j] - first[j] + 1) > 2u);
  }
}

// The output bytes of `count` / 3 pixels: a nearly flat pixel copies the
// first contributor's, a value within 4 of the last contributor's pixel in
// every channel becomes that pixel, any other takes the value.
inline __attribute__((always_inline)) void Finish(ByteSums& sums, const std::uint8_t* __restrict first,
                                                  const std::uint8_t* __restrict last,
                                                  std::uint8_t* __restrict out, std::int32_t count) {
  const std::int32_t* __restrict sum = sums.sum.data();
  const std::uint8_t* __restrict rough = sums.rough.data();
  std::uint8_t* __restrict value = sums.value.data();
  std::uint8_t* __restrict near = sums.near.data();
  for (std::int32_t j = 0; j < count; ++j) {
    const std::int32_t v = std::clamp(sum[j] >> 14, 0, 255);
    value[j] = static_cast<std::uint8_t>(v);
    near[j] = static_cast<std::uint8_t>(static_cast<unsigned>(v - last[j] + 4) <= 8u);
  }
  for (std::int32_t j = 0; j < count; j += 3) {
    const bool nearlyFlat = (rough[j] | rough[j + 1] | rough[j + 2]) == 0;
    const bool snap = (near[j] & near[j + 1] & near[j + 2]) != 0;
    const std::uint8_t* from = nearlyFlat ? first + j : (snap ? last + j : value + j);
    out[j] = from[0];
    out[j + 1] = from[1];
    out[j + 2] = from[2];
  }
}

// Rows filtered together by the row pass: the group's pixels are laid out
// column by column, so that one output pixel of all its rows is a weighted
// sum of whole short vectors.
constexpr std::int32_t kRowsTogether = 32;

struct RowScratch {
  std::vector<std::uint8_t> columns;  // input pixel x of row r at x * 3 * rows + r * 3
  ByteSums sums{kRowsTogether * 3};
  std::uint8_t result[kRowsTogether * 3];
};

// Rows y .. y + rows - 1 of the source rectangle into the same rows of the
// temporary picture.
SPROCKET_VECTOR_CLONES void FilterRowGroup(const RescaleJob& job, const FlatContributors& flat,
                                           std::int32_t y, std::int32_t rows, RowScratch& scratch) {
  const std::int32_t width = rows * 3;
  std::uint8_t* columns = scratch.columns.data();
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::uint8_t* in = SourceRow(job, y + r);
    for (std::int32_t x = 0; x < job.sw; ++x) std::memcpy(columns + x * width + r * 3, in + x * 3, 3);
  }
  for (std::int32_t i = 0; i < job.dw; ++i) {
    const std::int32_t begin = flat.start[i];
    const std::int32_t end = flat.start[i + 1];
    const std::uint8_t* first = columns + flat.pixel[begin] * width;
    ClearSums(scratch.sums, width);
    for (std::int32_t k = begin; k < end; ++k) {
      Accumulate(scratch.sums.sum.data(), scratch.sums.rough.data(), columns + flat.pixel[k] * width,
                 first, flat.weight[k], width);
    }
    Finish(scratch.sums, first, columns + flat.pixel[end - 1] * width, scratch.result, width);
    for (std::int32_t r = 0; r < rows; ++r) {
      std::memcpy(TempRow(job, y + r) + i * 3, scratch.result + r * 3, 3);
    }
  }
}

// One output row of the column pass: the weighted sum of whole temporary rows.
SPROCKET_VECTOR_CLONES void FilterRows(const RescaleJob& job, const FlatContributors& flat,
                                       std::int32_t i, ByteSums& sums, std::uint8_t* out) {
  const std::int32_t bytes = job.dw * 3;
  ClearSums(sums, bytes);
  const std::int32_t begin = flat.start[i];
  const std::int32_t end = flat.start[i + 1];
  const std::uint8_t* first = TempRow(job, flat.pixel[begin]);
  for (std::int32_t k = begin; k < end; ++k) {
    Accumulate(sums.sum.data(), sums.rough.data(), TempRow(job, flat.pixel[k]), first, flat.weight[k],
               bytes);
  }
  Finish(sums, first, TempRow(job, flat.pixel[end - 1]), out, bytes);
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

DibResult RunGeneral(const RescaleJob& job) {
  FlatContributors across;
  DibResult result = Flatten(job.dw, job.sw, job.filter, across);
  if (result != kDibDone) return result;
  const std::int64_t rowWork = static_cast<std::int64_t>(across.pixel.size()) * 3;
  const std::int32_t rowBands = BandCount(job.sh, rowWork);
  std::vector<RowScratch> rowScratch(static_cast<std::size_t>(rowBands));
  for (RowScratch& s : rowScratch) s.columns.resize(static_cast<std::size_t>(job.sw) * 3 * kRowsTogether);
  RunBands(job.sh, rowBands, [&](std::int32_t band, std::int32_t begin, std::int32_t end) {
    for (std::int32_t y = begin; y < end; y += kRowsTogether) {
      FilterRowGroup(job, across, y, std::min(kRowsTogether, end - y), rowScratch[band]);
    }
  });

  FlatContributors down;
  result = Flatten(job.dh, job.sh, job.filter, down);
  if (result != kDibDone) return result;
  const std::int64_t columnWork =
      static_cast<std::int64_t>(down.pixel.size()) / job.dh * job.dw * 3;
  const std::int32_t bands = BandCount(job.dh, columnWork);
  std::vector<ByteSums> scratch(static_cast<std::size_t>(bands), ByteSums(static_cast<std::size_t>(job.dw) * 3));
  RunBands(job.dh, bands, [&](std::int32_t band, std::int32_t begin, std::int32_t end) {
    for (std::int32_t i = begin; i < end; ++i) FilterRows(job, down, i, scratch[band], DestinationRow(job, i));
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

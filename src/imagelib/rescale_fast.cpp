// The faster rescaler passes. They give the same bytes as the plain passes:
// the weights come from the same contributor lists and every sum is the same
// integer sum, only computed in another order.
//  - Contributor lists are flattened into arrays.
//  - The column pass runs row by row: every pixel of an output row shares
//    one contributor list, so each output row is a weighted sum of whole
//    temporary rows, in loops the compiler vectorises.
//  - Both passes split their rows into bands on several threads when the
//    picture is large enough to pay for them.

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "imagelib/rescale_internal.h"
#include "imagelib/rescale_kernels.h"

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
  const unsigned hardware = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<std::int32_t>(
      std::min<std::int64_t>({byWork, std::min(hardware, kMaxThreads), rows}));
}

// Calls body(band, begin, end) for `bands` bands covering rows 0..rows - 1,
// each on its own thread but the last, which runs on the calling thread. A
// band whose thread cannot be started runs on the calling thread as well.
template <typename Body>
void RunBands(std::int32_t rows, std::int32_t bands, const Body& body) {
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(bands));
  for (std::int32_t band = 0; band < bands; ++band) {
    const std::int32_t begin = static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * band / bands);
    const std::int32_t end = static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * (band + 1) / bands);
    if (band + 1 < bands) {
      try {
        threads.emplace_back(body, band, begin, end);
        continue;
      } catch (const std::system_error&) {
        // Fall through: run the band here.
      }
    }
    body(band, begin, end);
  }
  for (std::thread& thread : threads) thread.join();
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

// One row through flattened contributor lists (pixel indices along the row).
void FilterRow(const std::uint8_t* in, const FlatContributors& flat, std::int32_t outputs,
               std::uint8_t* out) {
  for (std::int32_t i = 0; i < outputs; ++i, out += 3) {
    const std::int32_t begin = flat.start[i];
    const std::int32_t end = flat.start[i + 1];
    const std::uint8_t* first = in + flat.pixel[begin] * 3;
    bool nearlyFlat = true;
    for (std::int32_t k = begin + 1; k < end && nearlyFlat; ++k) nearlyFlat = WithinOne(in + flat.pixel[k] * 3, first);
    if (nearlyFlat) {
      std::memcpy(out, first, 3);
      continue;
    }
    std::int32_t blue = 0, green = 0, red = 0;
    for (std::int32_t k = begin; k < end; ++k) {
      const std::uint8_t* p = in + flat.pixel[k] * 3;
      const std::int32_t w = flat.weight[k];
      blue += p[0] * w;
      green += p[1] * w;
      red += p[2] * w;
    }
    StoreFiltered(out, blue, green, red, in + flat.pixel[end - 1] * 3);
  }
}

// Scratch of one band of the column pass.
struct ColumnScratch {
  std::vector<std::int32_t> sum;
  std::vector<std::uint8_t> rough;  // nonzero where a byte differs from the first row's by more than 1
};

// One output row of the column pass: the weighted sum of whole temporary rows.
void FilterRows(const RescaleJob& job, const FlatContributors& flat, std::int32_t i,
                ColumnScratch& scratch, std::uint8_t* out) {
  const std::int32_t bytes = job.dw * 3;
  std::int32_t* sum = scratch.sum.data();
  std::uint8_t* rough = scratch.rough.data();
  std::fill_n(sum, bytes, 0);
  std::fill_n(rough, bytes, 0);
  const std::int32_t begin = flat.start[i];
  const std::int32_t end = flat.start[i + 1];
  const std::uint8_t* first = TempRow(job, flat.pixel[begin]);
  for (std::int32_t k = begin; k < end; ++k) {
    const std::uint8_t* row = TempRow(job, flat.pixel[k]);
    const std::int32_t w = flat.weight[k];
    for (std::int32_t j = 0; j < bytes; ++j) {
      sum[j] += row[j] * w;
      rough[j] |= static_cast<std::uint8_t>(static_cast<unsigned>(row[j] - first[j] + 1) > 2u);
    }
  }
  const std::uint8_t* last = TempRow(job, flat.pixel[end - 1]);
  for (std::int32_t j = 0; j < bytes; j += 3) {
    if ((rough[j] | rough[j + 1] | rough[j + 2]) == 0) {
      std::memcpy(out + j, first + j, 3);
    } else {
      StoreFiltered(out + j, sum[j], sum[j + 1], sum[j + 2], last + j);
    }
  }
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
  RunBands(job.sh, BandCount(job.sh, rowWork), [&](std::int32_t, std::int32_t begin, std::int32_t end) {
    for (std::int32_t y = begin; y < end; ++y) FilterRow(SourceRow(job, y), across, job.dw, TempRow(job, y));
  });

  FlatContributors down;
  result = Flatten(job.dh, job.sh, job.filter, down);
  if (result != kDibDone) return result;
  const std::int64_t columnWork =
      static_cast<std::int64_t>(down.pixel.size()) / job.dh * job.dw * 3;
  const std::int32_t bands = BandCount(job.dh, columnWork);
  std::vector<ColumnScratch> scratch(static_cast<std::size_t>(bands));
  for (ColumnScratch& s : scratch) {
    s.sum.resize(static_cast<std::size_t>(job.dw) * 3);
    s.rough.resize(static_cast<std::size_t>(job.dw) * 3);
  }
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

// The plain rescaler passes: every line (a row, or a column gathered into a
// buffer) is scaled pixel by pixel. The faster passes are checked against
// these for identical bytes.

#include <cstring>
#include <new>
#include <vector>

#include "imagelib/rescale_internal.h"
#include "imagelib/rescale_kernels.h"

namespace sprocket::rescale_detail {
namespace {

// Scales a line through its contributor lists: nearly flat neighbourhoods
// (all within 1 of the first contributor) copy the first contributor.
void FilterLine(const std::uint8_t* in, const std::vector<ContributorList>& lists, std::uint8_t* out) {
  for (const ContributorList& list : lists) {
    const std::uint8_t* first = in + list.front().pixel * 3;
    bool flat = true;
    for (const Contributor& c : list) flat = flat && WithinOne(in + c.pixel * 3, first);
    if (flat) {
      std::memcpy(out, first, 3);
    } else {
      std::int32_t sum[3] = {0, 0, 0};
      for (const Contributor& c : list) {
        const std::uint8_t* p = in + c.pixel * 3;
        for (int k = 0; k < 3; ++k) sum[k] += p[k] * c.intWeight;
      }
      StoreFiltered(out, sum[0], sum[1], sum[2], in + list.back().pixel * 3);
    }
    out += 3;
  }
}

}  // namespace

// 2:1 reduction of a line of at least 2k pixels to k pixels.
void HalveLine(const std::uint8_t* in, std::int32_t k, std::uint8_t* out) {
  for (std::int32_t i = 0; i < k; ++i) {
    const std::int32_t ia = i == 0 ? 0 : 2 * i - 2;
    const std::int32_t ib = i == 0 ? 0 : 2 * i - 1;
    const std::uint8_t* a = in + ia * 3;
    const std::uint8_t* b = in + ib * 3;
    const std::uint8_t* c = in + (2 * i) * 3;
    const std::uint8_t* d = in + (2 * i + 1) * 3;
    for (int ch = 0; ch < 3; ++ch) out[i * 3 + ch] = HalveChannel(a[ch], b[ch], c[ch], d[ch]);
  }
}

// 2:1 enlargement of a line of k / 2 pixels to k pixels. With an odd k the
// last place takes the first value of its pair only.
void DoubleLine(const std::uint8_t* in, std::int32_t k, std::uint8_t* out) {
  const std::uint8_t* prev = in;
  for (std::int32_t i = 0; i < k; i += 2) {
    const std::int32_t index = std::min(i / 2, k / 2 - 1);
    const std::uint8_t* cur = in + index * 3;
    for (int ch = 0; ch < 3; ++ch) out[i * 3 + ch] = DoubleChannel(prev[ch], cur[ch]);
    if (i + 1 < k) {
      for (int ch = 0; ch < 3; ++ch) out[(i + 1) * 3 + ch] = DoubleChannel(cur[ch], prev[ch]);
    }
    prev = cur;
  }
}

DibResult RunPlainPasses(const RescaleJob& job) {
  const bool shortcut = UsesHalvingShortcut(job);
  try {
    std::vector<ContributorList> lists;
    if (!shortcut) {
      const DibResult built = BuildContributors(job.dw, job.sw, job.filter, lists);
      if (built != kDibDone) return built;
    }
    for (std::int32_t y = 0; y < job.sh; ++y) {
      const std::uint8_t* in = job.source + static_cast<std::ptrdiff_t>(job.sourceY + y) * job.sourceStride +
                               static_cast<std::ptrdiff_t>(job.sourceX) * 3;
      std::uint8_t* out = job.temp + static_cast<std::ptrdiff_t>(y) * job.tempStride;
      if (!shortcut) {
        FilterLine(in, lists, out);
      } else if (job.sw < job.dw) {
        DoubleLine(in, job.dw, out);
      } else {
        HalveLine(in, job.dw, out);
      }
    }

    if (!shortcut) {
      const DibResult built = BuildContributors(job.dh, job.sh, job.filter, lists);
      if (built != kDibDone) return built;
    }
    std::vector<std::uint8_t> column(static_cast<std::size_t>(job.sh) * 3);
    std::vector<std::uint8_t> result(static_cast<std::size_t>(job.dh) * 3);
    for (std::int32_t x = 0; x < job.dw; ++x) {
      for (std::int32_t y = 0; y < job.sh; ++y) {
        std::memcpy(&column[static_cast<std::size_t>(y) * 3],
                    job.temp + static_cast<std::ptrdiff_t>(y) * job.tempStride + x * 3, 3);
      }
      // Each axis takes its own direction of the 2:1 path.
      if (!shortcut) {
        FilterLine(column.data(), lists, result.data());
      } else if (job.sh < job.dh) {
        DoubleLine(column.data(), job.dh, result.data());
      } else {
        HalveLine(column.data(), job.dh, result.data());
      }
      std::uint8_t* out = job.destination + static_cast<std::ptrdiff_t>(job.destinationY) * job.destinationStride +
                          static_cast<std::ptrdiff_t>(job.destinationX + x) * 3;
      for (std::int32_t y = 0; y < job.dh; ++y) {
        std::memcpy(out + static_cast<std::ptrdiff_t>(y) * job.destinationStride,
                    &result[static_cast<std::size_t>(y) * 3], 3);
      }
    }
  } catch (const std::bad_alloc&) {
    return kDibNoMemory;
  }
  return kDibDone;
}

}  // namespace sprocket::rescale_detail

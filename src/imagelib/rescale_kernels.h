#pragma once
// Filter kernels of the rescaler and the contributor lists built from them.

#include <cstdint>
#include <vector>

#include "imagelib/pixel_types.h"
#include "imagelib/rescale_types.h"

namespace sprocket {

// Half-width of the kernel in source pixels at scale 1; 0 for a filter
// number outside 0..7.
float RescaleSupport(RescaleFilter filter);

// The kernel's value at distance t (source pixels); filter 0 is Hermite.
float RescaleKernel(RescaleFilter filter, float t);

// One source pixel that contributes to an output pixel. The integer weight is
// in units of 1/16384.
struct Contributor {
  std::int32_t pixel = 0;
  float weight = 0.0f;
  std::int32_t intWeight = 0;
};

// The contributors of one output pixel, in the order they were added.
using ContributorList = std::vector<Contributor>;

// The lists of one pass: `outputLength` outputs from `inputLength` inputs,
// source indices clamped to 0..inputLength - 1. Returns kDibNoMemory when
// memory is short, kDibBadSize for a length below 1 or a bad filter number.
DibResult BuildContributors(std::int32_t outputLength, std::int32_t inputLength, RescaleFilter filter,
                            std::vector<ContributorList>& lists);

}  // namespace sprocket

#include "imagelib/rescale_kernels.h"

#include <cmath>
#include <new>

namespace sprocket {
namespace {

float Hermite(float t) {
  t = std::fabs(t);
  if (t < 1.0f) return (2.0f * t - 3.0f) * t * t + 1.0f;
  return 0.0f;
}

float Box(float t) { return (t > -0.5f && t <= 0.5f) ? 1.0f : 0.0f; }

float Triangle(float t) {
  t = std::fabs(t);
  return t < 1.0f ? 1.0f - t : 0.0f;
}

float Bell(float t) {
  t = std::fabs(t);
  if (t < 0.5f) return 0.75f - t * t;
  if (t < 1.5f) {
    t = t - 1.5f;
    return 0.5f * (t * t);
  }
  return 0.0f;
}

float BSpline(float t) {
  t = std::fabs(t);
  if (t < 1.0f) return (0.5f * t - 1.0f) * (t * t) + 0.6666667f;
  if (t < 2.0f) {
    t = 2.0f - t;
    return t * t * t * 0.16666667f;
  }
  return 0.0f;
}

float Sinc(float x) {
  x *= 3.1415925f;
  return x != 0.0f ? std::sin(x) / x : 1.0f;
}

float Lanczos3(float t) {
  t = std::fabs(t);
  return t < 3.0f ? Sinc(t) * Sinc(t * 0.33333334f) : 0.0f;
}

float Mitchell(float t) {
  constexpr float B = 0.33333334f;
  constexpr float C = 0.33333334f;
  t = std::fabs(t);
  const float tt = t * t;
  if (t < 1.0f) {
    const float v = (12.0f - 9.0f * B - 6.0f * C) * (t * tt) + (-18.0f + 12.0f * B + 6.0f * C) * tt + (6.0f - 2.0f * B);
    return v / 6.0f;
  }
  if (t < 2.0f) {
    const float v = (-B - 6.0f * C) * (t * tt) + (6.0f * B + 30.0f * C) * tt + (-12.0f * B - 48.0f * C) * t +
                    (8.0f * B + 24.0f * C);
    return v / 6.0f;
  }
  return 0.0f;
}

}  // namespace

float RescaleSupport(RescaleFilter filter) {
  switch (filter) {
    case kFilterNearest:
    case kFilterHermite:
    case kFilterTriangle:
      return 1.0f;
    case kFilterBox:
      return 0.5f;
    case kFilterBell:
      return 1.5f;
    case kFilterBSpline:
    case kFilterMitchell:
      return 2.0f;
    case kFilterLanczos3:
      return 3.0f;
  }
  return 0.0f;
}

float RescaleKernel(RescaleFilter filter, float t) {
  switch (filter) {
    case kFilterNearest:
    case kFilterHermite:
      return Hermite(t);
    case kFilterBox:
      return Box(t);
    case kFilterTriangle:
      return Triangle(t);
    case kFilterBell:
      return Bell(t);
    case kFilterBSpline:
      return BSpline(t);
    case kFilterLanczos3:
      return Lanczos3(t);
    case kFilterMitchell:
      return Mitchell(t);
  }
  return 0.0f;
}

DibResult BuildContributors(std::int32_t outputLength, std::int32_t inputLength, RescaleFilter filter,
                            std::vector<ContributorList>& lists) {
  if (outputLength < 1 || inputLength < 1) return kDibBadSize;
  if (filter < 0 || filter >= kRescaleFilterCount) return kDibBadSize;
  const float n = static_cast<float>(outputLength);
  const float m = static_cast<float>(inputLength);
  const float scale = n / m;
  float width = RescaleSupport(filter);
  float stretch = 1.0f;
  if (scale < 1.0f) {
    width = width / scale;
    stretch = 1.0f / scale;
  }
  try {
    lists.assign(static_cast<std::size_t>(outputLength), ContributorList{});
    for (std::int32_t i = 0; i < outputLength; ++i) {
      const float center = (static_cast<float>(i) + 0.5f) / n * m;
      const auto left = static_cast<std::int32_t>(std::floor(center - width));
      const auto right = static_cast<std::int32_t>(std::floor(center + width));
      ContributorList& list = lists[static_cast<std::size_t>(i)];
      list.reserve(static_cast<std::size_t>(right - left + 1));
      float sum = 0.0f;
      for (std::int32_t j = left; j <= right; ++j) {
        const float weight = RescaleKernel(filter, (center - (static_cast<float>(j) + 0.5f)) / stretch) / stretch;
        const std::int32_t pixel = j < 0 ? 0 : (j >= inputLength ? inputLength - 1 : j);
        list.push_back(Contributor{pixel, weight, 0});
        sum += weight;
      }
      const float magnitude = std::fabs(sum);
      if (magnitude != 0.0f) {
        for (Contributor& c : list) {
          // The quotient is rounded to float, then scaled and rounded exactly.
          const float share = c.weight / magnitude;
          c.intWeight = static_cast<std::int32_t>(std::floor(static_cast<double>(share) * 16384.0 + 0.5));
        }
      }
    }
  } catch (const std::bad_alloc&) {
    lists.clear();
    return kDibNoMemory;
  }
  return kDibDone;
}

}  // namespace sprocket

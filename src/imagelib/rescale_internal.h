#pragma once
// Internal to the rescaler: the two passes over locked pictures, in a plain
// version and a faster version that gives the same bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "imagelib/dib_image.h"
#include "imagelib/picture_scopes.h"
#include "imagelib/pixel_types.h"
#include "imagelib/rescale_types.h"

namespace sprocket::rescale_detail {

// Locked pictures and normalised rectangles of one RescaleFiltered call.
// Rows are addressed as bits + y * stride; the first pass scales the source
// rectangle's rows into the temporary picture (dw x sh), the second scales
// its columns into the destination rectangle.
struct RescaleJob {
  const std::uint8_t* source = nullptr;
  std::int32_t sourceStride = 0;
  std::int32_t sourceX = 0;
  std::int32_t sourceY = 0;
  std::uint8_t* temp = nullptr;
  std::int32_t tempStride = 0;
  std::uint8_t* destination = nullptr;
  std::int32_t destinationStride = 0;
  std::int32_t destinationX = 0;
  std::int32_t destinationY = 0;
  std::int32_t sw = 0, sh = 0, dw = 0, dh = 0;
  RescaleFilter filter = kFilterMitchell;
};

// The exact 2:1 path: the Mitchell filter when both axes halve or double.
inline bool UsesHalvingShortcut(const RescaleJob& job) {
  return job.filter == kFilterMitchell && (job.dw / 2 == job.sw || job.sw / 2 == job.dw) &&
         (job.dh / 2 == job.sh || job.sh / 2 == job.dh);
}

DibResult RunPlainPasses(const RescaleJob& job);
DibResult RunFastPasses(const RescaleJob& job);

// 2:1 reduction of a line of at least 2k pixels to k pixels.
void HalveLine(const std::uint8_t* in, std::int32_t k, std::uint8_t* out);
// 2:1 enlargement of a line of k / 2 pixels to k pixels.
void DoubleLine(const std::uint8_t* in, std::int32_t k, std::uint8_t* out);

// One channel of the 2:1 reduction: weights 1/8, 3/8, 3/8, 1/8 with each
// term rounded down separately.
inline std::uint8_t HalveChannel(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  const int v = (a >> 3) + (b >> 2) + (b >> 3) + (c >> 2) + (c >> 3) + (d >> 3);
  return static_cast<std::uint8_t>(std::min(v, 255));
}

// One channel of the 2:1 enlargement: 3/4 of `near` and 1/4 of `far`, each
// term rounded down separately.
inline std::uint8_t DoubleChannel(std::uint8_t near, std::uint8_t far) {
  const int v = (far >> 2) + (near >> 2) + (near >> 1);
  return static_cast<std::uint8_t>(std::min(v, 255));
}

inline bool WithinOne(const std::uint8_t* p, const std::uint8_t* q) {
  return std::abs(p[0] - q[0]) <= 1 && std::abs(p[1] - q[1]) <= 1 && std::abs(p[2] - q[2]) <= 1;
}

inline std::uint8_t ClampShifted(std::int32_t sum) {
  const std::int32_t v = sum >> 14;
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Finishes a filtered pixel from its three weighted sums: a result within 4
// of the last contributor's pixel in every channel becomes that pixel.
inline void StoreFiltered(std::uint8_t* out, std::int32_t sumBlue, std::int32_t sumGreen, std::int32_t sumRed,
                          const std::uint8_t* last) {
  const std::uint8_t v[3] = {ClampShifted(sumBlue), ClampShifted(sumGreen), ClampShifted(sumRed)};
  const bool snap = std::abs(v[0] - last[0]) < 5 && std::abs(v[1] - last[1]) < 5 && std::abs(v[2] - last[2]) < 5;
  const std::uint8_t* from = snap ? last : v;
  out[0] = from[0];
  out[1] = from[1];
  out[2] = from[2];
}

}  // namespace sprocket::rescale_detail

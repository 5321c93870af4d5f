#pragma once
// Scan conversion of a quadrilateral: every destination pixel whose centre
// lies inside the quadrilateral is filled from the source position found by
// interpolating the corners' source positions linearly along the edges and
// then along the row. Pictures are 8- or 24-bit DIBs given by the address of
// their locked block; every row and span is clipped to the pictures.

#include <array>
#include <cstdint>

#include "imagelib/dib_geometry.h"
#include "imagelib/quadmap/quad_edges.h"
#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

// How a source position becomes a pixel.
enum QuadSampling : std::int32_t {
  kQuadNearest = 0,    // the pixel under the position
  kQuadBlendRows = 2,  // mixed with the next row by the position's fraction
};

// Fills the quadrilateral `corners` of `destination` with the whole of
// `source` (corner 0 shows the source's (0, 0), corner 1 (width, 0), corner 2
// (width, height), corner 3 (0, height)). The two pictures must have the same
// depth. Returns the number of rows written; 0 at once when either picture is
// empty or unusable.
std::int32_t ScanQuad(std::uint8_t* destination, const std::uint8_t* source, const QuadCorners& corners,
                      QuadSampling mode);

// The same with two 24-bit sources mixed: each pixel is
// (first x (256 - level) + second x level + 128) >> 8, level 0..256.
std::int32_t ScanQuadBlend(std::uint8_t* destination, const std::uint8_t* first, const std::uint8_t* second,
                           const QuadCorners& corners, QuadSampling mode, std::int32_t level);

// The scan itself on checked geometries: corner i of `corners` shows the
// source position (sourceCorners.x[i], sourceCorners.y[i]) in pixels.
// `destination` and `source` must not share pixels.
std::int32_t ScanQuadPixels(const PictureGeometry& destination, const PictureGeometry& source,
                            const QuadCorners& corners, const QuadCorners& sourceCorners, QuadSampling mode);

}  // namespace sprocket

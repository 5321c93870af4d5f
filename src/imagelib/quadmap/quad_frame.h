#pragma once
// Placing one or two source pictures into a quadrilateral of a target
// picture, optionally turned, as one frame of a moving picture-in-picture.
// All pictures are 24-bit DIBs given by the address of their locked block.

#include <cstdint>

#include "imagelib/quadmap/quad_scan.h"
#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

// What the corners of a target quadrilateral describe.
enum QuadPlacement : std::int32_t {
  kQuadPlacementNone = 0,       // no area (all corners on one line), or a corner beyond +-10000
  kQuadPlacementRectangle = 1,  // an upright rectangle
  kQuadPlacementConvex = 2,     // the diagonals cross
  kQuadPlacementFolded = 3,     // the diagonals do not cross: a concave or self-crossing outline
};

struct QuadFrameParams {
  QuadCorners target;      // where the source's corners go in the target
  double degrees = 0;      // turn of the drawn quadrilateral about the centre of its box
  QuadPoint displacement;  // moves the result within the target
  QuadSampling mode = kQuadNearest;
  std::int32_t level = 0;  // share of the second source, 0..256
};

QuadPlacement ClassifyQuad(const QuadCorners& corners);

// Draws `first` (mixed with `second` by params.level when `second` is not
// null) into the target quadrilateral on a black working picture the size of
// the quadrilateral's bounding box, turns it by params.degrees when that is
// beyond +-0.01, and copies the working picture into the target at the box's
// place moved by params.displacement, clipped to the target. 0 when drawn or
// when the quadrilateral has no area; -1 for unusable pictures, corners
// beyond +-10000 or short memory.
std::int32_t QuadMapFrame(std::uint8_t* target, const std::uint8_t* first, const std::uint8_t* second,
                          const QuadFrameParams& params);

// Copies the pixels of a 24-bit picture into another displaced by (dx, dy),
// limited to where the two overlap. 0, or -1 for unusable pictures.
std::int32_t ShiftCopyDib(const std::uint8_t* source, std::uint8_t* destination, std::int32_t dx, std::int32_t dy);

}  // namespace sprocket

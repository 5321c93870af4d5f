#pragma once
// The edges of a quadrilateral as two chains from its top corner to its
// bottom corner, and the row-by-row stepping along an edge.

#include <array>
#include <cstdint>

#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

// A corner of a destination quadrilateral (x, y) with the source position
// (u, v) that it shows.
struct QuadVertex {
  float x = 0;
  float y = 0;
  float u = 0;
  float v = 0;
};
using QuadChain = std::array<QuadVertex, 4>;

// Writes `count` points (x + i * xStep, y + i * yStep). Returns 0.
int StepEdge(EdgePoint* points, float x, float y, float xStep, float yStep, std::int32_t count);

// Splits the quadrilateral into its two sides from the corner with the
// smallest y (a flat top edge starts the chains at its two ends) to the one
// with the largest y. Each chain is monotone in y, and both have their points
// at the same four y values: where a corner of one side lies at a y the other
// lacks, a point on the other side's edge is inserted there (repeated end
// points fill the rest).
void SplitQuadChains(const std::array<QuadVertex, 4>& corners, QuadChain& first, QuadChain& second);

// The same for integer corners (inserted x values truncated). Axis 0 splits
// along y; axis 1 along x, with the roles of x and y exchanged. False, with
// the chains untouched, when a corner lies beyond +-10000.
bool SplitQuadEdges(int axis, std::array<QuadPoint, 4>& first, std::array<QuadPoint, 4>& second,
                    const std::array<QuadPoint, 4>& corners);

}  // namespace sprocket

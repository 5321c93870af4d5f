#include "imagelib/quadmap/quad_edges.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace sprocket {

namespace {

// The corners walked from `start` in the direction `step` (+1 or -1 around
// the quadrilateral), stopping at the first bottom corner and never going
// back up: such steps repeat the point before them.
QuadChain WalkChain(const std::array<QuadVertex, 4>& corners, int start, int step, float bottom) {
  QuadChain chain;
  chain[0] = corners[static_cast<std::size_t>(start)];
  for (int i = 1; i < 4; ++i) {
    const QuadVertex& next = corners[static_cast<std::size_t>((start + step * i + 8) % 4)];
    const QuadVertex& previous = chain[static_cast<std::size_t>(i - 1)];
    chain[static_cast<std::size_t>(i)] = previous.y >= bottom || next.y < previous.y ? previous : next;
  }
  return chain;
}

// The point of a monotone chain at height y: interpolated on the first edge
// that reaches y, the chain's first point above it, its last point below it.
QuadVertex PointAt(const QuadChain& chain, float y) {
  if (y <= chain[0].y) return chain[0];
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    const QuadVertex& from = chain[i];
    const QuadVertex& to = chain[i + 1];
    if (to.y <= from.y || y > to.y) continue;
    const float t = (y - from.y) / (to.y - from.y);
    return QuadVertex{from.x + (to.x - from.x) * t, y, from.u + (to.u - from.u) * t, from.v + (to.v - from.v) * t};
  }
  return chain.back();
}

// The four shared heights: the distinct y values of both chains in order,
// the last repeated when there are fewer than four.
std::array<float, 4> Breakpoints(const QuadChain& first, const QuadChain& second) {
  std::vector<float> heights;
  for (const QuadChain* chain : {&first, &second}) {
    for (const QuadVertex& point : *chain) heights.push_back(point.y);
  }
  std::sort(heights.begin(), heights.end());
  heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
  std::array<float, 4> result{};
  for (std::size_t i = 0; i < result.size(); ++i) result[i] = heights[std::min(i, heights.size() - 1)];
  return result;
}

}  // namespace

int StepEdge(EdgePoint* points, float x, float y, float xStep, float yStep, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    points[i] = EdgePoint{x + static_cast<float>(i) * xStep, y + static_cast<float>(i) * yStep};
  }
  return 0;
}

void SplitQuadChains(const std::array<QuadVertex, 4>& corners, QuadChain& first, QuadChain& second) {
  int top = 0;
  float bottom = corners[0].y;
  for (int i = 1; i < 4; ++i) {
    if (corners[static_cast<std::size_t>(i)].y < corners[static_cast<std::size_t>(top)].y) top = i;
    bottom = std::max(bottom, corners[static_cast<std::size_t>(i)].y);
  }
  const float topY = corners[static_cast<std::size_t>(top)].y;
  int firstStart = top;
  int secondStart = top;
  if (corners[static_cast<std::size_t>((top + 1) % 4)].y == topY) {
    firstStart = (top + 1) % 4;
  } else if (corners[static_cast<std::size_t>((top + 3) % 4)].y == topY) {
    secondStart = (top + 3) % 4;
  }
  const QuadChain walkedFirst = WalkChain(corners, firstStart, +1, bottom);
  const QuadChain walkedSecond = WalkChain(corners, secondStart, -1, bottom);
  const std::array<float, 4> heights = Breakpoints(walkedFirst, walkedSecond);
  for (std::size_t i = 0; i < heights.size(); ++i) {
    first[i] = PointAt(walkedFirst, heights[i]);
    second[i] = PointAt(walkedSecond, heights[i]);
  }
}

bool SplitQuadEdges(int axis, std::array<QuadPoint, 4>& first, std::array<QuadPoint, 4>& second,
                    const std::array<QuadPoint, 4>& corners) {
  const bool swapAxes = axis == 1;
  std::array<QuadVertex, 4> vertices;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const QuadPoint& corner = corners[i];
    if (std::abs(corner.x) > kQuadSearchBound || std::abs(corner.y) > kQuadSearchBound) return false;
    const float along = static_cast<float>(swapAxes ? corner.x : corner.y);
    const float across = static_cast<float>(swapAxes ? corner.y : corner.x);
    vertices[i] = QuadVertex{across, along, 0, 0};
  }
  QuadChain chainFirst;
  QuadChain chainSecond;
  SplitQuadChains(vertices, chainFirst, chainSecond);
  auto toPoint = [swapAxes](const QuadVertex& vertex) {
    const auto across = static_cast<std::int32_t>(vertex.x);
    const auto along = static_cast<std::int32_t>(vertex.y);
    return swapAxes ? QuadPoint{along, across} : QuadPoint{across, along};
  };
  for (std::size_t i = 0; i < chainFirst.size(); ++i) {
    first[i] = toPoint(chainFirst[i]);
    second[i] = toPoint(chainSecond[i]);
  }
  return true;
}

}  // namespace sprocket

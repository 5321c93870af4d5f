#include "imagelib/quadmap/quad_edges.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace sprocket {

namespace {

// The height of a corner of either kind of chain.
template <typename Vertex>
using Height = decltype(Vertex::y);

// The corners walked from `start` in the direction `step` (+1 or -1 around
// the quadrilateral), stopping at the first bottom corner and never going
// back up: such steps repeat the point before them.
template <typename Vertex>
std::array<Vertex, 4> WalkChain(const std::array<Vertex, 4>& corners, int start, int step, Height<Vertex> bottom) {
  std::array<Vertex, 4> chain;
  chain[0] = corners[static_cast<std::size_t>(start)];
  for (int i = 1; i < 4; ++i) {
    const Vertex& next = corners[static_cast<std::size_t>((start + step * i + 8) % 4)];
    const Vertex& previous = chain[static_cast<std::size_t>(i - 1)];
    chain[static_cast<std::size_t>(i)] = previous.y >= bottom || next.y < previous.y ? previous : next;
  }
  return chain;
}

// The point of a monotone chain at height y: interpolated on the first edge
// that reaches y, the chain's first point above it, its last point below it.
template <typename Vertex, typename Interpolate>
Vertex PointAt(const std::array<Vertex, 4>& chain, Height<Vertex> y, Interpolate interpolate) {
  if (y <= chain[0].y) return chain[0];
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    const Vertex& from = chain[i];
    const Vertex& to = chain[i + 1];
    if (to.y <= from.y || y > to.y) continue;
    return interpolate(from, to, y);
  }
  return chain.back();
}

// The four shared heights: the distinct y values of both chains in order,
// the last repeated when there are fewer than four.
template <typename Vertex>
std::array<Height<Vertex>, 4> Breakpoints(const std::array<Vertex, 4>& first, const std::array<Vertex, 4>& second) {
  std::vector<Height<Vertex>> heights;
  for (const std::array<Vertex, 4>* chain : {&first, &second}) {
    for (const Vertex& point : *chain) heights.push_back(point.y);
  }
  std::sort(heights.begin(), heights.end());
  heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
  std::array<Height<Vertex>, 4> result{};
  for (std::size_t i = 0; i < result.size(); ++i) result[i] = heights[std::min(i, heights.size() - 1)];
  return result;
}

// The corner where a flat top edge ends, walking from the top corner `top`
// in the direction `step`: the last of the corners at the top's height
// (at most three steps, so a quadrilateral flat as a line stops).
template <typename Vertex>
int FlatTopEnd(const std::array<Vertex, 4>& corners, int top, int step) {
  int end = top;
  for (int i = 1; i < 3; ++i) {
    const int next = (top + step * i + 8) % 4;
    if (corners[static_cast<std::size_t>(next)].y != corners[static_cast<std::size_t>(top)].y) break;
    end = next;
  }
  return end;
}

// Splits corners of either kind into two chains with shared breakpoints;
// `interpolate` places a point on an edge at a height.
template <typename Vertex, typename Interpolate>
void SplitChains(const std::array<Vertex, 4>& corners, std::array<Vertex, 4>& first, std::array<Vertex, 4>& second,
                 Interpolate interpolate) {
  int top = 0;
  Height<Vertex> bottom = corners[0].y;
  for (int i = 1; i < 4; ++i) {
    if (corners[static_cast<std::size_t>(i)].y < corners[static_cast<std::size_t>(top)].y) top = i;
    bottom = std::max(bottom, corners[static_cast<std::size_t>(i)].y);
  }
  // A flat top edge, of two corners or three, starts the chains at its two ends.
  const std::array<Vertex, 4> walkedFirst = WalkChain(corners, FlatTopEnd(corners, top, +1), +1, bottom);
  const std::array<Vertex, 4> walkedSecond = WalkChain(corners, FlatTopEnd(corners, top, -1), -1, bottom);
  const std::array<Height<Vertex>, 4> heights = Breakpoints(walkedFirst, walkedSecond);
  for (std::size_t i = 0; i < heights.size(); ++i) {
    first[i] = PointAt(walkedFirst, heights[i], interpolate);
    second[i] = PointAt(walkedSecond, heights[i], interpolate);
  }
}

QuadVertex InterpolateVertex(const QuadVertex& from, const QuadVertex& to, float y) {
  const float t = (y - from.y) / (to.y - from.y);
  return QuadVertex{from.x + (to.x - from.x) * t, y, from.u + (to.u - from.u) * t, from.v + (to.v - from.v) * t};
}

// The point of an edge at an integer height, its x computed exactly and
// then truncated (a float step could land just below an exact integer).
QuadPoint InterpolatePoint(const QuadPoint& from, const QuadPoint& to, std::int32_t y) {
  const std::int64_t height = std::int64_t{to.y} - from.y;
  const std::int64_t scaled = std::int64_t{from.x} * height + (std::int64_t{to.x} - from.x) * (y - from.y);
  return QuadPoint{static_cast<std::int32_t>(scaled / height), y};
}

}  // namespace

int StepEdge(EdgePoint* points, float x, float y, float xStep, float yStep, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    points[i] = EdgePoint{x + static_cast<float>(i) * xStep, y + static_cast<float>(i) * yStep};
  }
  return 0;
}

void SplitQuadChains(const std::array<QuadVertex, 4>& corners, QuadChain& first, QuadChain& second) {
  SplitChains(corners, first, second, InterpolateVertex);
}

bool SplitQuadEdges(int axis, std::array<QuadPoint, 4>& first, std::array<QuadPoint, 4>& second,
                    const std::array<QuadPoint, 4>& corners) {
  // Axis 1 splits along x: the points are split with x and y exchanged.
  const bool swapAxes = axis == 1;
  auto swapped = [swapAxes](const QuadPoint& point) { return swapAxes ? QuadPoint{point.y, point.x} : point; };
  std::array<QuadPoint, 4> along;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    if (std::abs(corners[i].x) > kQuadSearchBound || std::abs(corners[i].y) > kQuadSearchBound) return false;
    along[i] = swapped(corners[i]);
  }
  SplitChains(along, first, second, InterpolatePoint);
  for (std::size_t i = 0; i < first.size(); ++i) {
    first[i] = swapped(first[i]);
    second[i] = swapped(second[i]);
  }
  return true;
}

}  // namespace sprocket

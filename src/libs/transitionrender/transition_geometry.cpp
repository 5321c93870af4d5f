#include "libs/transitionrender/transition_geometry.h"

#include <algorithm>
#include <cmath>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

namespace {

struct Direction {
  std::int32_t x;
  std::int32_t y;
};

// Left, right, up, down, up-left, up-right, down-left, down-right.
constexpr Direction kDirections[] = {{-1, 0}, {1, 0}, {0, 1}, {0, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, -1}};

std::int32_t Wrap(std::int32_t value, std::int32_t size) {
  const std::int32_t r = value % size;
  return r < 0 ? r + size : r;
}

bool Inside(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  return x >= 0 && x < width && y >= 0 && y < height;
}

std::int32_t Weight256(double percentTimes) {
  return std::clamp(static_cast<std::int32_t>(std::lround(percentTimes)), 0, 256);
}

}  // namespace

bool IsMoveTransition(std::int32_t id) {
  using namespace effect_id;
  return (id >= kPushLeft && id <= kPushDownRight) || (id >= kSlideLeft && id <= kSlideDownRight) ||
         (id >= kUncoverLeft && id <= kUncoverDown);
}

MovePlacement PlaceMove(std::int32_t id, float percent, std::int32_t width, std::int32_t height) {
  MovePlacement placement;
  if (!IsMoveTransition(id)) return placement;
  placement.kind = id < effect_id::kSlideLeft     ? MoveKind::kPush
                   : id < effect_id::kUncoverLeft ? MoveKind::kSlide
                                                  : MoveKind::kUncover;
  const Direction direction = kDirections[id % 10];
  placement.directionX = direction.x;
  placement.directionY = direction.y;
  const double fraction = ClampPercent(percent) / 100.0;
  placement.offsetX = direction.x * static_cast<std::int32_t>(std::lround(fraction * width));
  placement.offsetY = direction.y * static_cast<std::int32_t>(std::lround(fraction * height));
  return placement;
}

MoveSample SampleMove(const MovePlacement& placement, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height) {
  switch (placement.kind) {
    case MoveKind::kPush: {
      // A and a plane of B behind it move together.
      const std::int32_t ax = x - placement.offsetX;
      const std::int32_t ay = y - placement.offsetY;
      if (Inside(ax, ay, width, height)) return {false, ax, ay};
      return {true, Wrap(ax, width), Wrap(ay, height)};
    }
    case MoveKind::kSlide: {
      const std::int32_t bx = x - placement.offsetX + placement.directionX * width;
      const std::int32_t by = y - placement.offsetY + placement.directionY * height;
      if (Inside(bx, by, width, height)) return {true, bx, by};
      return {false, x, y};
    }
    case MoveKind::kUncover: {
      const std::int32_t ax = x - placement.offsetX;
      const std::int32_t ay = y - placement.offsetY;
      if (Inside(ax, ay, width, height)) return {false, ax, ay};
      return {true, x, y};
    }
  }
  return {false, x, y};
}

std::int32_t DissolveWeight(float percent) { return Weight256(ClampPercent(percent) * 2.56); }
std::int32_t FadeOutWeight(float percent) { return Weight256((100.0 - ClampPercent(percent)) * 5.12); }
std::int32_t FadeInWeight(float percent) { return Weight256(ClampPercent(percent) * 5.12); }

std::int32_t DipWeight(float percent) {
  const double p = ClampPercent(percent);
  return p < 50.0 ? Weight256(p * 5.12) : Weight256((p - 50.0) * 5.12);
}

}  // namespace sprocket

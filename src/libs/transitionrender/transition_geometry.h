#pragma once
// Where the pictures of the moving transitions (push, slide, uncover) stand
// at a percent, and the blend weights of the dissolves. The transition
// renderer and the fast path both take them from here, so they place every
// pixel alike.

#include <cstdint>

namespace sprocket {

enum class MoveKind : std::uint8_t { kPush, kSlide, kUncover };

struct MovePlacement {
  MoveKind kind = MoveKind::kPush;
  std::int32_t directionX = 0;  // -1 left, 0, 1 right: the way the moving picture goes
  std::int32_t directionY = 0;  // -1 down, 0, 1 up (rows count upwards)
  std::int32_t offsetX = 0;     // pixels moved so far: directionX x round(t x width)
  std::int32_t offsetY = 0;
};

// True for push (60..67), slide (70..77) and uncover (80..83).
bool IsMoveTransition(std::int32_t transitionId);

// The placement at a percent (0..100) for pictures of width x height.
MovePlacement PlaceMove(std::int32_t transitionId, float percent, std::int32_t width, std::int32_t height);

// What a pixel of the result shows: A or B, and from which pixel of it.
struct MoveSample {
  bool fromB = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
};
MoveSample SampleMove(const MovePlacement& placement, std::int32_t x, std::int32_t y, std::int32_t width,
                      std::int32_t height);

// B's weight of the cross dissolve in 256ths at a percent: round(percent x 2.56).
std::int32_t DissolveWeight(float percent);
// A's and B's weights (256ths) of the additive and non-additive dissolves:
// each picture at full strength over its half of the transition.
std::int32_t FadeOutWeight(float percent);
std::int32_t FadeInWeight(float percent);
// The weight of the dips: over the first half A fades to the colour (the
// weight of the colour), over the second half B rises from it (B's weight).
std::int32_t DipWeight(float percent);

}  // namespace sprocket

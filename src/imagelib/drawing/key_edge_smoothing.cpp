#include "imagelib/drawing/key_edge_smoothing.h"

#include <cstring>

namespace sprocket {

namespace {

constexpr COLORREF kRepeatStep = 0x050505;

// The byte of a COLORREF that matches pixel byte `channel` (0 blue, 1 green, 2 red).
std::uint8_t ChannelByte(COLORREF colour, int channel) {
  return static_cast<std::uint8_t>(colour >> (16 - 8 * channel));
}

bool IsKey(const std::uint8_t* pixel, COLORREF key) {
  return pixel[0] == ChannelByte(key, 0) && pixel[1] == ChannelByte(key, 1) && pixel[2] == ChannelByte(key, 2);
}

// Whether the 8-bit sums of the neighbours of `pixel` are all below the thresholds.
bool NeighboursBelow(const std::uint8_t* pixel, std::ptrdiff_t stride, COLORREF thresholds) {
  for (int c = 0; c < 3; ++c) {
    const std::uint8_t* p = pixel + c;
    const auto sum = static_cast<std::uint8_t>(p[-stride - 3] + p[-stride] + p[-stride + 3] + p[-3] + p[3] +
                                               p[stride - 3] + p[stride] + p[stride + 3]);
    if (sum >= ChannelByte(thresholds, c)) return false;
  }
  return true;
}

}  // namespace

void SmoothKeyEdges(int mode, std::int32_t rows, std::int32_t stride, COLORREF thresholds, COLORREF key, COLORREF mark,
                    std::uint8_t* picture, std::uint8_t* work) {
  if (picture == nullptr || work == nullptr || rows < 1 || stride < 3) return;
  std::memset(work, 0, static_cast<std::size_t>(rows - 1) * static_cast<std::size_t>(stride));
  const std::int32_t columns = stride / 3;
  const bool marks = mode == 0 && (rows < 2 || rows >= 4);
  for (std::int32_t y = 1; marks && y < rows - 1; ++y) {
    for (std::int32_t x = 1; x < columns - 1; ++x) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * stride + x * 3;
      if (!IsKey(picture + at, key) || NeighboursBelow(picture + at, stride, thresholds)) continue;
      for (int c = 0; c < 3; ++c) work[at + c] = ChannelByte(mark, c);
    }
  }
  if (rows == 1 || rows == 2) return;
  for (std::int32_t y = 1; y < rows - 1; ++y) {
    for (std::int32_t x = 1; x < columns - 1; ++x) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * stride + x * 3;
      for (int c = 0; c < 3; ++c) picture[at + c] = static_cast<std::uint8_t>(picture[at + c] + work[at + c]);
    }
  }
}

void SmoothKeyEdgesRepeat(std::int32_t rows, std::int32_t stride, std::uint8_t* picture, std::uint8_t* work,
                          COLORREF colour, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    SmoothKeyEdges(0, rows, stride, kRepeatStep, colour, kRepeatStep, picture, work);
  }
}

}  // namespace sprocket

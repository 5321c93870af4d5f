// The box blur against its definition: every window's mean computed
// directly, over noise, for windows narrow and wide, pictures narrower and
// shorter than the window, and odd strides.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "libs/filterrender/box_blur.h"

namespace sprocket {
namespace {

// The rounded mean of a window (edge pixels repeated), along rows and then
// down columns, straight from the definition.
std::vector<std::uint8_t> DefinedBlur(const PictureView& source, int radius) {
  const int w = source.width;
  const int h = source.height;
  const std::int64_t count = 2 * radius + 1;
  auto clamp = [](int i, int size) { return std::clamp(i, 0, size - 1); };
  std::vector<std::uint8_t> across(static_cast<std::size_t>(w * h * 3));
  std::vector<std::uint8_t> blurred(across.size());
  for (int y = 0; y < h; ++y) {
    for (int j = 0; j < w * 3; ++j) {
      std::int64_t sum = 0;
      for (int k = -radius; k <= radius; ++k) sum += source.Row(y)[clamp(j / 3 + k, w) * 3 + j % 3];
      across[static_cast<std::size_t>(y * w * 3 + j)] = static_cast<std::uint8_t>((sum + count / 2) / count);
    }
  }
  for (int y = 0; y < h; ++y) {
    for (int j = 0; j < w * 3; ++j) {
      std::int64_t sum = 0;
      for (int k = -radius; k <= radius; ++k) sum += across[static_cast<std::size_t>(clamp(y + k, h) * w * 3 + j)];
      blurred[static_cast<std::size_t>(y * w * 3 + j)] = static_cast<std::uint8_t>((sum + count / 2) / count);
    }
  }
  return blurred;
}

TEST(BoxBlur, EveryByteIsTheRoundedMeanOfItsWindows) {
  std::mt19937 random(7);
  struct Size {
    int width;
    int height;
  };
  const RenderPumpCallback noPump;
  for (const Size size : {Size{53, 37}, Size{7, 5}, Size{1, 9}, Size{130, 3}}) {
    PictureBuffer source(size.width, size.height);
    PictureBuffer destination(size.width, size.height);
    for (int y = 0; y < size.height; ++y) {
      // Runs of white and black, noise, and nearly white rows, whose window
      // sums come close to the largest ones (where rounding is hardest).
      for (int j = 0; j < size.width * 3; ++j) {
        const int level = y % 3 == 0   ? j / 30 % 2 * 255
                          : y % 3 == 1 ? static_cast<int>(random() % 256)
                                       : 255 - (random() % 4 == 0 ? static_cast<int>(random() % 40) : 0);
        source.view().Row(y)[j] = static_cast<std::uint8_t>(level);
      }
    }
    for (int radius : {1, 2, 3, 7, 8, 20, 63, 64, 70, 77}) {
      StopCheck stop(noPump);
      ASSERT_EQ(BoxBlur(source.view(), destination.view(), radius, stop), kEffectDone);
      const std::vector<std::uint8_t> expected = DefinedBlur(source.view(), radius);
      int wrong = 0;
      for (int y = 0; y < size.height; ++y) {
        for (int j = 0; j < size.width * 3; ++j) {
          wrong += destination.view().Row(y)[j] != expected[static_cast<std::size_t>(y * size.width * 3 + j)];
        }
      }
      EXPECT_EQ(wrong, 0) << size.width << " x " << size.height << ", radius " << radius;
    }
  }
}

}  // namespace
}  // namespace sprocket

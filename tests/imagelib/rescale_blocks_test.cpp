// The fast rescaler passes against the plain ones where the fast passes cut
// their work up: blocks of 8 pixels and groups of 32 rows with
// partial ends, 32-byte chunks, and chunks of nearly flat pixels next to
// rough ones, which skip the sums.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "imagelib/dib_header.h"
#include "imagelib/rescale.h"
#include "owned_picture.h"
#include "platform/worker_pool.h"

namespace sprocket {
namespace {

using Picture = testing::OwnedPicture;

enum class Fill {
  kNoise,       // every byte random: the sums everywhere
  kBlocks,      // flat blocks with a rough pixel now and then
  kNearlyFlat,  // bands varying by 1 with rare small steps: the flat and snap rules
};

void FillPicture(Picture& picture, Fill fill, std::mt19937& random) {
  const DibSize size = picture.image.GetSize();
  const std::int32_t stride = picture.image.GetStride();
  std::uniform_int_distribution<int> byte(0, 255), roll(0, 39);
  std::uint8_t colours[16][3];
  for (auto& colour : colours) {
    for (std::uint8_t& channel : colour) channel = static_cast<std::uint8_t>(byte(random));
  }
  GlobalLockGuard<std::uint8_t> lock(picture.handle);
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      for (int channel = 0; channel < 3; ++channel) {
        int value = byte(random);
        if (fill == Fill::kBlocks && roll(random) != 0) {
          value = colours[(x / 11 + y / 5 * 7) % 16][channel];
        } else if (fill == Fill::kNearlyFlat) {
          const int step = roll(random) == 0 ? 2 + roll(random) % 5 : roll(random) % 2;
          value = std::min(255, colours[x / 37 % 16][channel] + step);
        }
        lock.get()[kDibHeaderSize + y * stride + x * 3 + channel] = static_cast<std::uint8_t>(value);
      }
    }
  }
}

// Scales `from` of the source into `to` of a dw x dh picture both ways and
// compares every byte of the two results, header and untouched pixels too.
void ExpectSameBytes(Picture& source, DibRect from, int dw, int dh, DibRect to, RescaleFilter filter,
                     const std::string& what) {
  Picture plain(dw, dh);
  Picture fast(dw, dh);
  ASSERT_EQ(RescaleFilteredPlain(plain.image, source.image, to, from, filter), kDibDone) << what;
  ASSERT_EQ(RescaleFiltered(fast.image, source.image, to, from, filter), kDibDone) << what;
  ASSERT_EQ(fast.Bytes(), plain.Bytes()) << what << " filter " << filter;
}

struct SizePair {
  int sw, sh, dw, dh;
};

std::string Describe(const SizePair& c, Fill fill) {
  return std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
         std::to_string(c.dh) + " fill " + std::to_string(static_cast<int>(fill));
}

// Widths around the 8-pixel blocks, heights around the 32-row groups and the
// 8-row blocks within them, one axis keeping its length, 1-pixel pictures,
// and a strong shrink with long contributor lists.
TEST(RescaleFilteredBlocks, FastAndPlainAgreeOverSizePairsFillsAndFilters) {
  std::mt19937 random(2026);
  const SizePair pairs[] = {{8, 8, 8, 8},     {9, 1, 17, 1},     {1, 9, 1, 33},    {1, 1, 11, 3},    {11, 33, 8, 31},
                            {16, 32, 24, 32}, {17, 31, 15, 65},  {24, 40, 23, 40}, {43, 64, 41, 97}, {131, 65, 120, 65},
                            {65, 70, 65, 33}, {96, 33, 203, 66}, {250, 20, 33, 9}, {12, 12, 7, 40}};
  for (const SizePair& pair : pairs) {
    for (const Fill fill : {Fill::kNoise, Fill::kBlocks, Fill::kNearlyFlat}) {
      Picture source(pair.sw, pair.sh);
      FillPicture(source, fill, random);
      for (int f = 0; f < kRescaleFilterCount; ++f) {
        ExpectSameBytes(source, source.Whole(), pair.dw, pair.dh, DibRect{pair.dw - 1, pair.dh - 1, 0, 0},
                        static_cast<RescaleFilter>(f), Describe(pair, fill));
        if (HasFatalFailure()) return;
      }
    }
  }
}

// Rectangles inside larger pictures: the row reads start inside a row and
// stop at the rectangle's end, and only the destination rectangle changes.
TEST(RescaleFilteredBlocks, FastAndPlainAgreeOnRectanglesInsideLargerPictures) {
  std::mt19937 random(77);
  Picture source(61, 45);
  FillPicture(source, Fill::kBlocks, random);
  struct Case {
    DibRect from;
    DibRect to;
  };
  const Case cases[] = {{DibRect{45, 40, 3, 2}, DibRect{50, 38, 7, 5}},
                        {DibRect{60, 44, 13, 11}, DibRect{12, 9, 1, 1}},
                        {DibRect{20, 33, 20, 1}, DibRect{40, 20, 9, 20}}};
  for (const Case& c : cases) {
    for (const RescaleFilter filter : {kFilterBox, kFilterMitchell, kFilterLanczos3}) {
      ExpectSameBytes(source, c.from, 53, 41, c.to, filter, "rectangle");
      if (HasFatalFailure()) return;
    }
  }
}

// Movie frames alike on one thread and on the worker pool, one after another
// with the same size pair: the tables and scratch kept between frames serve
// a changing number of bands.
TEST(RescaleFilteredBlocks, MovieFramesAgreeOnOneThreadAndOnThePool) {
  std::mt19937 random(5);
  for (const bool parallel : {false, true, false}) {
    SetParallelFrameWork(parallel);
    for (const Fill fill : {Fill::kBlocks, Fill::kNoise}) {
      Picture frame(720, 480);
      FillPicture(frame, fill, random);
      for (const RescaleFilter filter : {kFilterMitchell, kFilterLanczos3}) {
        ExpectSameBytes(frame, frame.Whole(), 640, 480, DibRect{639, 479, 0, 0}, filter,
                        parallel ? "pool" : "one thread");
      }
    }
  }
  SetParallelFrameWork(true);
}

}  // namespace
}  // namespace sprocket

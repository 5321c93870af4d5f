// Sample pictures scaled into the cells of a 4 x 4 grid.

#include <gtest/gtest.h>

#include "imagelib/dib_image.h"
#include "timeline/basics/grid_cell.h"

namespace sprocket {
namespace {

struct Picture {
  HGLOBAL block = nullptr;
  CDibImage image;
  Picture(int width, int height) : image(&block) { image.Create(width, height); }
  ~Picture() { GlobalFree(block); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
};

TEST(GridCellTest, SampleFillsItsCellOnly) {
  Picture sample(160, 120);
  sample.image.Fill(0x0000FF);  // red
  Picture grid(160, 120);
  grid.image.Fill(0x00FF00);                                     // green
  EXPECT_EQ(CopyDibToGridCell(sample.block, grid.block, 5), 1);  // column 1, row 1 from the top
  // Cell 5 spans x 40..79 and, counted from the bottom row, y 60..89.
  EXPECT_EQ(grid.image.GetPixel(40, 60), 0x0000FFu);
  EXPECT_EQ(grid.image.GetPixel(79, 89), 0x0000FFu);
  EXPECT_EQ(grid.image.GetPixel(60, 75), 0x0000FFu);
  EXPECT_EQ(grid.image.GetPixel(39, 75), 0x00FF00u);
  EXPECT_EQ(grid.image.GetPixel(80, 75), 0x00FF00u);
  EXPECT_EQ(grid.image.GetPixel(60, 59), 0x00FF00u);
  EXPECT_EQ(grid.image.GetPixel(60, 90), 0x00FF00u);
}

TEST(GridCellTest, FirstCellIsTopLeftAndLastBottomRight) {
  Picture sample(160, 120);
  sample.image.Fill(0xFFFFFF);
  Picture grid(160, 120);
  EXPECT_EQ(CopyDibToGridCell(sample.block, grid.block, 0), 1);
  EXPECT_EQ(CopyDibToGridCell(sample.block, grid.block, 15), 1);
  EXPECT_EQ(grid.image.GetPixel(0, 119), 0xFFFFFFu);
  EXPECT_EQ(grid.image.GetPixel(39, 90), 0xFFFFFFu);
  EXPECT_EQ(grid.image.GetPixel(159, 0), 0xFFFFFFu);
  EXPECT_EQ(grid.image.GetPixel(120, 29), 0xFFFFFFu);
  EXPECT_EQ(grid.image.GetPixel(80, 60), 0u);
}

TEST(GridCellTest, IndexesOutsideTheGridAndMissingPicturesDoNothing) {
  Picture sample(16, 12);
  sample.image.Fill(0xFFFFFF);
  Picture grid(16, 12);
  EXPECT_EQ(CopyDibToGridCell(sample.block, grid.block, -1), 0);
  EXPECT_EQ(CopyDibToGridCell(sample.block, grid.block, 16), 0);
  EXPECT_EQ(CopyDibToGridCell(nullptr, grid.block, 0), 0);
  EXPECT_EQ(CopyDibToGridCell(sample.block, nullptr, 0), 0);
  Picture tiny(3, 3);
  EXPECT_EQ(CopyDibToGridCell(sample.block, tiny.block, 0), 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(grid.image.GetPixel(x, y), 0u);
  }
}

}  // namespace
}  // namespace sprocket

#include <array>
#include <filesystem>

#include <gtest/gtest.h>

#include "frame_test_fixture.h"
#include "render/compose/disk_picture_files.h"
#include "render/compose/disk_render.h"
#include "render/compose/sample_copy.h"
#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "source_test_media.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::ClipPlacement;
using testing::kTestAdd;
using testing::kTestDissolve;
using testing::kTestHalve;
using testing::kTestKey;
using testing::PixelOf;

class DiskRenderTest : public testing::FrameFixture {
protected:
  void SetUp() override {
    FrameFixture::SetUp();
    tempDir_ = dir_ / "scratch";
    std::filesystem::create_directories(tempDir_);
  }

  // The four pictures of a frame of width x height.
  struct Pictures {
    std::array<DibPicture, 4> blocks;
    DibPicture& frame() { return blocks[0]; }
  };
  static Pictures MakePictures(std::int32_t width, std::int32_t height) {
    Pictures pictures;
    for (DibPicture& block : pictures.blocks) block = testing::NewPicture(width, height);
    return pictures;
  }

  DiskRenderArgs DiskArgs(Pictures& pictures, double t) {
    DiskRenderArgs args;
    args.tempDir = tempDir_.string() + "/";
    args.time = t;
    args.head = head_.get();
    args.frame = pictures.blocks[0].data();
    args.destination = pictures.blocks[1].data();
    args.pictureA = pictures.blocks[2].data();
    args.mask = pictures.blocks[3].data();
    args.width = pictures.blocks[0].Width();
    args.height = pictures.blocks[0].Height();
    args.tracks = chain_.get();
    args.effects = &effects_;
    return args;
  }

  Pictures RenderOnDisk(double t, bool quality = false, std::int32_t width = kWidth, std::int32_t height = kHeight) {
    Pictures pictures = MakePictures(width, height);
    DiskRenderArgs args = DiskArgs(pictures, t);
    args.quality = quality;
    EXPECT_EQ(RenderFrameToDisk(args), 0) << t;
    return pictures;
  }

  // The files left in the scratch folder.
  std::vector<std::string> ScratchFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tempDir_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  std::filesystem::path tempDir_;
};

TEST_F(DiskRenderTest, FramesEqualTheCompositors) {
  testing::WriteIndexedAvi(Media("a.avi"), 80, kWidth, kHeight, 0);
  testing::WriteIndexedAvi(Media("b.avi"), 80, kWidth, kHeight, 100);
  testing::WriteIndexedAvi(Media("c.avi"), 80, kWidth, kHeight, 200);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("a.avi"), 1, 0, 2000});
  testing::PlaceClip(head_.get(), ClipPlacement{Media("b.avi"), 3, 0, 2000});
  testing::PlaceTransition(head_.get(), 2, 400, 800,
                           {testing::MakeTestFilter(kTestDissolve), testing::MakeTestFilter(kTestAdd, 10)});
  ClipPlacement keyed{Media("c.avi"), 4, 1200, 1600};
  keyed.filters = {testing::MakeTestFilter(kTestKey)};
  testing::PlaceClip(head_.get(), keyed);
  ClipPlacement filtered{Media("c.avi"), 1, 2000, 2400};
  filtered.filters = {testing::MakeTestFilter(kTestAdd, 30), testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), filtered);
  testing::PlaceTimelineClip(head_.get(), 1, 2400, 2800, 400);
  ClipPlacement sideFilter{Media("a.avi"), 1, 2800, 3200};
  sideFilter.filters = {testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), sideFilter);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("b.avi"), 3, 2800, 3200});
  testing::PlaceTransition(head_.get(), 2, 2800, 3200, {testing::MakeTestFilter(testing::kTestWipe)});

  for (bool chain : {false, true}) {
    if (chain) UseChain();
    for (int t : {200, 440, 600, 760, 1000, 1240, 1400, 2040, 2440, 2560, 2880, 3080}) {
      const DibPicture direct = Render(t);
      for (bool quality : {false, true}) {
        Pictures disk = RenderOnDisk(t, quality);
        EXPECT_TRUE(testing::SamePixels(disk.frame().data(), direct.data()))
            << t << " quality " << quality << " chain " << chain;
      }
    }
  }
  EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(DiskRenderTest, PicturesOfAnotherSizeAreScaledFilteredOrByTheNearestPixel) {
  testing::WriteIndexedAvi(Media("small.avi"), 4, kWidth / 2, kHeight / 2, 7);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("small.avi"), 1, 0, 160});
  const DibPicture direct = Render(40);
  Pictures filtered = RenderOnDisk(40, true);
  EXPECT_TRUE(testing::SamePixels(filtered.frame().data(), direct.data()));
  Pictures nearest = RenderOnDisk(40, false);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      ASSERT_EQ(PixelOf(nearest.frame().data(), x, y), (Bgr{8, x / 2, y / 2})) << x << "," << y;
    }
  }
}

TEST_F(DiskRenderTest, EmptyTimeWritesABlackOutputFile) {
  Pictures pictures = MakePictures(kWidth, kHeight);
  DiskRenderArgs args = DiskArgs(pictures, 500);
  args.outPath = Media("out.dib");
  ASSERT_EQ(RenderFrameToDisk(args), 0);
  DibPicture read = testing::CardPicture(9, kWidth, kHeight);
  ASSERT_TRUE(ReadPictureFile(args.outPath, read.data()));
  EXPECT_EQ(PixelOf(read.data(), 3, 3), (Bgr{0, 0, 0}));
  EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(DiskRenderTest, FailuresOfTheScratchFolderOrTheEffectsFailTheFrame) {
  testing::WriteIndexedAvi(Media("a.avi"), 4, kWidth, kHeight, 0);
  ClipPlacement clip{Media("a.avi"), 1, 0, 160};
  clip.filters = {testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), clip);
  Pictures pictures = MakePictures(kWidth, kHeight);
  DiskRenderArgs args = DiskArgs(pictures, 40);
  args.tempDir = Media("no such folder");
  EXPECT_EQ(RenderFrameToDisk(args), -1);

  effects_.stopAtCall = 1;
  args = DiskArgs(pictures, 40);
  EXPECT_EQ(RenderFrameToDisk(args), -1);
  EXPECT_TRUE(ScratchFiles().empty());

  // Work pictures must have the frame's size.
  effects_.stopAtCall = 0;
  Pictures small = MakePictures(kWidth, kHeight);
  small.blocks[3] = testing::NewPicture(kWidth - 1, kHeight);
  EXPECT_EQ(RenderFrameToDisk(DiskArgs(small, 40)), -1);
}

TEST_F(DiskRenderTest, ASingleCopyableClipIsCopiedAsStoredVideo) {
  ASSERT_EQ(testing::WriteCardAvi(Media("keys.avi"), 3, kWidth, kHeight), "");
  ClipPlacement clip{Media("keys.avi"), 1, 0, 200};
  clip.passThroughKind = kPassThroughCopy;
  testing::PlaceClip(head_.get(), clip);
  std::int32_t copied = -1;
  DibPicture sample;
  for (int k = 0; k < 4; ++k) {
    Pictures pictures = MakePictures(kWidth, kHeight);
    DiskRenderArgs args = DiskArgs(pictures, 40 * k);
    args.copiedFlag = &copied;
    args.rawResult = &sample;
    ASSERT_EQ(RenderFrameToDisk(args), 0);
    // The copy does not go past the source's last sample: that frame (the
    // clip outlasts its media) is rendered.
    EXPECT_EQ(copied, k < 3 ? 1 : 0) << k;
    EXPECT_EQ(static_cast<bool>(sample), k < 3) << k;
    if (k == 3) {
      EXPECT_EQ(PixelOf(pictures.frame().data(), 4, 5), (Bgr{2, 4, 5}));
    }
  }
  EXPECT_TRUE(ScratchFiles().empty());
}

TEST_F(DiskRenderTest, TrailingEffectMatchesTheCompositorsAndStaysInItsFiles) {
  testing::WriteIndexedAvi(Media("low.avi"), 10, kWidth, kHeight, 10);
  testing::WriteIndexedAvi(Media("high.avi"), 10, kWidth, kHeight, 100);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("low.avi"), 1, 0, 400});
  ClipPlacement trailing{Media("high.avi"), 3, 0, 400};
  trailing.filters = {testing::MakeTestFilter(kTestKey), testing::MakeTrailingFilter(1, 100, 0)};
  testing::PlaceClip(head_.get(), trailing);
  UseChain();
  for (auto [t, column] : {std::pair{40, 8}, std::pair{80, 16}, std::pair{120, 4}}) {
    effects_.keyColumn = column;
    const DibPicture direct = Render(t);
    Pictures disk = RenderOnDisk(t);
    EXPECT_TRUE(testing::SamePixels(disk.frame().data(), direct.data())) << t;
  }
  EXPECT_EQ(ScratchFiles().size(), 2u);
  ClearDiskAccumulation(tempDir_.string());
  EXPECT_TRUE(ScratchFiles().empty());

  // A frame of another size starts the trail afresh.
  RenderOnDisk(160);
  Pictures larger = RenderOnDisk(200, false, 2 * kWidth, 2 * kHeight);
  EXPECT_EQ(PixelOf(larger.frame().data(), 1, 1), (Bgr{15, 0, 0}));
}

TEST_F(DiskRenderTest, FieldDoublingRendersAtTwiceTheSize) {
  testing::WriteIndexedAvi(Media("a.avi"), 4, kWidth, kHeight, 3);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("a.avi"), 1, 0, 160});
  Pictures pictures = MakePictures(2 * kWidth, 2 * kHeight);
  DiskRenderArgs args = DiskArgs(pictures, 40);
  args.width = kWidth;
  args.height = kHeight;
  args.fieldDoubling = 1;
  ASSERT_EQ(RenderFrameToDisk(args), 0);
  EXPECT_EQ(PixelOf(pictures.frame().data(), 9, 7), (Bgr{4, 4, 3}));
}

TEST_F(DiskRenderTest, InterlacedClipsGiveTheFieldTheWindowAsksFor) {
  testing::WriteIndexedAvi(Media("i.avi"), 4, kWidth, kHeight, 40);
  TLEvent* clip = testing::PlaceClip(head_.get(), ClipPlacement{Media("i.avi"), 1, 0, 160});
  clip->header->SetFieldOrder(2);
  const DibPicture card = testing::CardPicture(41, kWidth, kHeight);
  for (std::int32_t selector : {0, 1}) {
    Pictures pictures = MakePictures(kWidth, kHeight);
    DiskRenderArgs args = DiskArgs(pictures, 40);
    args.fieldSelector = selector;
    ASSERT_EQ(RenderFrameToDisk(args), 0);
    // Mode 2: the odd lines for the second field, the even ones for the first.
    const DibPicture expected = FieldPicture(card.data(), selector == 0);
    EXPECT_TRUE(testing::SamePixels(pictures.frame().data(), expected.data())) << selector;
  }
}

TEST_F(DiskRenderTest, EntryPicturesOfEachSide) {
  testing::WriteIndexedAvi(Media("a.avi"), 4, kWidth, kHeight, 20);
  RenderEntry entry;
  entry.trackLetter = kTrackTransition;
  entry.sideA.fileName = Media("a.avi");
  entry.sideA.sourceFrame = 3;
  entry.sideB.fileName = Media("clip.xyz");
  Pictures pictures = MakePictures(kWidth, kHeight);
  const DiskRenderArgs args = DiskArgs(pictures, 0);
  DibPicture destination = testing::NewPicture(kWidth, kHeight);
  EXPECT_EQ(GetEntryPicture(args, entry, kEntrySideA, destination.data()), 1);
  EXPECT_EQ(PixelOf(destination.data(), 6, 2), (Bgr{23, 6, 2}));
  EXPECT_EQ(GetEntryPicture(args, entry, kEntrySideB, destination.data()), 0);
  EXPECT_EQ(GetEntryPicture(args, entry, 7, destination.data()), 0);
}

}  // namespace
}  // namespace sprocket

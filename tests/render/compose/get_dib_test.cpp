#include <array>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "frame_test_fixture.h"
#include "platform/imagefile/image_file_library.h"
#include "render/compose/get_dib.h"
#include "render/picture/picture_ops.h"
#include "source_test_media.h"
#include "timeline/records/clip_media_header.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::ClipPlacement;
using testing::PixelOf;

class GetDibTest : public testing::FrameFixture {
protected:
  GetDibArgs ArgsFor(const RenderEntry& entry, std::int32_t width, std::int32_t height) {
    GetDibArgs args;
    args.head = head_.get();
    args.entry = &entry;
    args.width = width;
    args.height = height;
    args.effects = &effects_;
    return args;
  }

  static RenderEntry VideoEntry(const std::string& name, std::int32_t frame = 0) {
    RenderEntry entry;
    entry.trackLetter = kTrackVideo;
    entry.trackNumber = 1;
    entry.main.fileName = name;
    entry.main.sourceFrame = frame;
    return entry;
  }

  static RenderEntry TransitionEntry(const std::string& a, const std::string& b) {
    RenderEntry entry;
    entry.trackLetter = kTrackTransition;
    entry.trackNumber = 2;
    entry.sideA.fileName = a;
    entry.sideB.fileName = b;
    return entry;
  }

  // The library's resize of a picture to width x height (what GetDIB does
  // for pictures of another size).
  static DibPicture LibraryResize(const DibPicture& picture, std::int32_t width, std::int32_t height) {
    ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
    DibPicture resized;
    EXPECT_EQ(ImageToDibResized(image, &resized, width, height, true), 1);
    return resized;
  }
};

bool IsBlack(const DibPicture& picture) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture.data());
  if (!geometry) return false;
  for (std::int32_t y = 0; y < geometry->height; ++y) {
    for (std::int32_t x = 0; x < geometry->width * 3; ++x) {
      if (geometry->Row(y)[x] != 0) return false;
    }
  }
  return true;
}

TEST_F(GetDibTest, BlankFrameIsBlackWithoutAnyFile) {
  const RenderEntry entry = VideoEntry("/no/such/folder/~zkbblnk.bmp");
  std::array<DibPicture, 2> pictures;
  DibPicture mask = testing::NewPicture(4, 4);
  ASSERT_EQ(GetDIB(ArgsFor(entry, 30, 20), pictures, &mask), 1);
  EXPECT_EQ(pictures[0].Width(), 30);
  EXPECT_EQ(pictures[0].Height(), 20);
  EXPECT_TRUE(IsBlack(pictures[0]));
  EXPECT_FALSE(pictures[1]);
  EXPECT_FALSE(mask);

  // Transition sides without a clip are blank too.
  testing::WriteIndexedAvi(Media("b.avi"), 2, 30, 20, 9);
  const RenderEntry transition = TransitionEntry(kBlankFrameName, Media("b.avi"));
  ASSERT_EQ(GetDIB(ArgsFor(transition, 30, 20), pictures), 1);
  EXPECT_TRUE(IsBlack(pictures[0]));
  EXPECT_EQ(PixelOf(pictures[1].data(), 3, 4), (Bgr{9, 3, 4}));
}

TEST_F(GetDibTest, UnsupportedAndMissingFilesAreLoggedAndSkipped) {
  std::array<DibPicture, 2> pictures;
  for (const char* name : {"clip.xyz", "/a.b/noext"}) {
    EXPECT_EQ(GetDIB(ArgsFor(VideoEntry(name), 16, 16), pictures), 0) << name;
  }
  EXPECT_NE(ReadLog().find("logged in GetDIB(), File format NOT supported"), std::string::npos);
  for (const std::string& name : {Media("gone.avi"), Media("gone.bmp"), Media("gone.tga")}) {
    DibPicture mask;
    EXPECT_EQ(GetDIB(ArgsFor(VideoEntry(name), 16, 16), pictures, &mask), 0) << name;
    EXPECT_FALSE(pictures[0]);
  }
  EXPECT_NE(ReadLog().find(">>\tlogged in GetDIB()\n"), std::string::npos);

  // In a frame the lower track shows where such a clip lies (no message).
  testing::WriteIndexedAvi(Media("low.avi"), 4, kWidth, kHeight, 50);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("low.avi"), 1, 0, 160});
  TLEventFields fields;
  fields.directory = dir_.path().string() + "/";
  fields.name = "clip";
  fields.extension = ".xyz";
  ASSERT_NE(InsertClip(head_.get(), 3, 0, 160, fields), nullptr);
  for (int t : {0, 40, 80}) EXPECT_EQ(PixelOf(Render(t).data(), 2, 2), (Bgr{50 + t / 40, 2, 2}));
  EXPECT_TRUE(prompts_.shown().empty());
}

TEST_F(GetDibTest, AMissingSequenceImageIsReportedOncePerJob) {
  SequenceClipHeader sequence{};
  sequence.frameCount = 10;
  TLEventFields fields;
  fields.directory = dir_.path().string() + "/";
  fields.name = "shot0000";
  fields.extension = ".bmp";
  fields.mediaType = 201;
  fields.header = ClipMediaHeader(sequence);
  ASSERT_NE(InsertClip(head_.get(), 1, 0, 400, fields), nullptr);
  prompts_.Expect("Not enough memory!");
  for (int t : {0, 40, 80}) Render(t);
  EXPECT_TRUE(prompts_.AllShown());
  ResetRenderJobState();
  prompts_.Expect("Not enough memory!");
  Render(120);
  EXPECT_TRUE(prompts_.AllShown());
}

TEST_F(GetDibTest, DotsInFolderNamesDoNotMakeExtensions) {
  std::filesystem::create_directories(dir_ / "v1.2");
  testing::WriteIndexedAvi(dir_ / "v1.2" / "clip.avi", 2, 16, 12, 60);
  ASSERT_TRUE(testing::SaveStill(testing::MakeCard(61, 16, 12).get(), dir_ / "v1.2" / "card.bmp"));
  std::array<DibPicture, 2> pictures;
  for (const char* name : {"clip.avi", "card.bmp"}) {
    const RenderEntry entry = VideoEntry((dir_ / "v1.2" / name).string(), 1);
    ASSERT_EQ(GetDIB(ArgsFor(entry, 16, 12), pictures), 1) << name;
    EXPECT_EQ(PixelOf(pictures[0].data(), 2, 3), (Bgr{61, 2, 3})) << name;
  }
}

TEST_F(GetDibTest, StillAlphaComesAsTheMaskOfTheMaskedFormOnly) {
  testing::WriteTga32(dir_ / "logo.tga", 20, 10, [](int x, int) { return x < 5 ? 0 : 255; });
  const RenderEntry entry = VideoEntry(Media("logo.tga"));
  std::array<DibPicture, 2> pictures;
  DibPicture mask;
  ASSERT_EQ(GetDIB(ArgsFor(entry, 20, 10), pictures, &mask), 1);
  ASSERT_TRUE(mask);
  EXPECT_EQ(mask.BitCount(), 24);
  EXPECT_EQ(PixelOf(mask.data(), 4, 3).blue, 0);
  EXPECT_EQ(PixelOf(mask.data(), 5, 3).blue, 128);
  EXPECT_EQ(PixelOf(pictures[0].data(), 6, 3), (Bgr{6, 3, 77}));

  ASSERT_EQ(GetDIB(ArgsFor(entry, 20, 10), pictures), 1);
  EXPECT_EQ(PixelOf(pictures[0].data(), 6, 3), (Bgr{6, 3, 77}));

  // A movie answers no mask: the caller's slot is left as it was.
  testing::WriteIndexedAvi(Media("m.avi"), 2, 20, 10, 1);
  DibPicture untouched = testing::NewPicture(2, 2);
  std::uint8_t* before = untouched.data();
  ASSERT_EQ(GetDIB(ArgsFor(VideoEntry(Media("m.avi")), 20, 10), pictures, &untouched), 1);
  EXPECT_EQ(untouched.data(), before);
}

TEST_F(GetDibTest, MoviesAreCroppedThenResizedToTheWorkingSize) {
  // Widths whose rows need padding: 30 x 3 and 71 x 3 are no multiples of 4.
  testing::WriteIndexedAvi(Media("m.avi"), 3, 30, 22, 20);
  head_->cropMargins.Set(3, 2, 4, 1);  // left, right, top, bottom
  const RenderEntry entry = VideoEntry(Media("m.avi"), 2);
  std::array<DibPicture, 2> pictures;
  ASSERT_EQ(GetDIB(ArgsFor(entry, 71, 35), pictures), 1);
  const DibPicture card = testing::CardPicture(22, 30, 22);
  const DibPicture cropped = CropDib24(card.data(), CropBox{3, 2, 1, 4});
  ASSERT_EQ(cropped.Width(), 25);
  ASSERT_EQ(cropped.Height(), 17);
  const DibPicture expected = LibraryResize(cropped, 71, 35);
  EXPECT_EQ(pictures[0].Width(), 71);
  EXPECT_EQ(pictures[0].Height(), 35);
  EXPECT_TRUE(testing::SamePixels(pictures[0].data(), expected.data()));

  // At the cropped size nothing is resampled.
  ASSERT_EQ(GetDIB(ArgsFor(entry, 25, 17), pictures), 1);
  EXPECT_TRUE(testing::SamePixels(pictures[0].data(), cropped.data()));
  EXPECT_EQ(PixelOf(pictures[0].data(), 0, 0), (Bgr{22, 3, 1}));
}

TEST_F(GetDibTest, OpenSourcesGiveTheSamePicturesAsFiles) {
  testing::WriteIndexedAvi(Media("m.avi"), 4, 24, 18, 30);
  ASSERT_EQ(testing::WriteCardFlc(dir_ / "a.flc", 4, 24, 18), "");
  ASSERT_TRUE(testing::SaveStill(testing::MakeCard(90, 24, 18).get(), dir_ / "s.bmp"));
  testing::WriteTga32(dir_ / "t.tga", 24, 18, [](int x, int y) { return (x + y) % 2 == 0 ? 255 : 0; });
  head_->cropMargins.Set(2, 1, 1, 2);
  UseChain();
  for (const std::string& name : {Media("m.avi"), Media("a.flc"), Media("s.bmp"), Media("t.tga")}) {
    for (std::int32_t width : {21, 40, 21}) {
      RenderList list;
      list.entries.push_back(VideoEntry(name, 2));
      chain_->OpenRenderSources(list, head_.get(), 21, 15, 0);
      std::array<DibPicture, 2> fromFile;
      std::array<DibPicture, 2> fromNode;
      DibPicture fileMask;
      DibPicture nodeMask;
      GetDibArgs args = ArgsFor(list.entries[0], width, 30);
      ASSERT_EQ(GetDIB(args, fromFile, &fileMask), 1) << name;
      args.node = chain_.get();
      ASSERT_EQ(GetDIB(args, fromNode, &nodeMask), 1) << name;
      EXPECT_TRUE(testing::SamePixels(fromFile[0].data(), fromNode[0].data())) << name << " " << width;
      EXPECT_EQ(static_cast<bool>(fileMask), static_cast<bool>(nodeMask)) << name;
      if (fileMask) {
        EXPECT_TRUE(testing::SamePixels(fileMask.data(), nodeMask.data())) << name;
      }
    }
  }
}

TEST_F(GetDibTest, DoubleSizeScalesWithTheFilteredRescaler) {
  ASSERT_TRUE(testing::SaveStill(testing::MakeCard(90, 24, 18).get(), dir_ / "s.bmp"));
  std::array<DibPicture, 2> pictures;
  const RenderEntry entry = VideoEntry(Media("s.bmp"));
  GetDibArgs args = ArgsFor(entry, 48, 36);
  args.doubleSize = 1;
  ASSERT_EQ(GetDIB(args, pictures), 1);
  const DibPicture card = testing::CardPicture(90, 24, 18);
  const DibPicture expected = ScaleDib24(card.data(), 48, 36);
  EXPECT_TRUE(testing::SamePixels(pictures[0].data(), expected.data()));
}

TEST_F(GetDibTest, TransitionSidesFailTogether) {
  testing::WriteIndexedAvi(Media("b.avi"), 2, 16, 16, 9);
  std::array<DibPicture, 2> pictures;
  EXPECT_EQ(GetDIB(ArgsFor(TransitionEntry(Media("gone.avi"), Media("b.avi")), 16, 16), pictures), 0);
  EXPECT_FALSE(pictures[0]);
  EXPECT_FALSE(pictures[1]);
  EXPECT_EQ(GetDIB(ArgsFor(TransitionEntry(Media("b.avi"), Media("gone.avi")), 16, 16), pictures), 0);
  EXPECT_FALSE(pictures[0]);
  EXPECT_FALSE(pictures[1]);
  // Another track letter leaves the slots alone.
  RenderEntry other = VideoEntry(Media("b.avi"));
  other.trackLetter = 'A';
  pictures[0] = testing::NewPicture(2, 2);
  EXPECT_EQ(GetDIB(ArgsFor(other, 16, 16), pictures), 1);
  EXPECT_TRUE(pictures[0]);
}

TEST_F(GetDibTest, NestedRendersBeyondTheLimitAreLoggedBySide) {
  RenderEntry entry = TransitionEntry("", "");
  GetDibArgs args = ArgsFor(entry, 16, 16);
  args.depth = kMaxNestedRenders;
  std::array<DibPicture, 2> pictures;
  EXPECT_EQ(GetDIB(args, pictures), 0);
  EXPECT_NE(ReadLog().find("logged in GetDIB(), recursive call NOT secussful"), std::string::npos);
  args.depth = kMaxNestedRenders - 1;
  EXPECT_EQ(GetDIB(args, pictures), 1);
  EXPECT_TRUE(IsBlack(pictures[0]));
}

TEST_F(GetDibTest, EightBitOutputMarksAKeyFrameWhenTheSourceChanges) {
  testing::WriteIndexedAvi(Media("a.avi"), 2, 8, 8, 0);
  testing::WriteIndexedAvi(Media("b.avi"), 2, 8, 8, 0);
  RenderState& state = TheRenderState();
  state.outputBitDepth = 8;
  std::array<DibPicture, 2> pictures;
  GetDIB(ArgsFor(VideoEntry(Media("a.avi")), 8, 8), pictures);
  EXPECT_TRUE(state.outputKeyFrame);
  state.outputKeyFrame = false;
  GetDIB(ArgsFor(VideoEntry(Media("a.avi"), 1), 8, 8), pictures);
  EXPECT_FALSE(state.outputKeyFrame);
  GetDIB(ArgsFor(VideoEntry(Media("b.avi")), 8, 8), pictures);
  EXPECT_TRUE(state.outputKeyFrame);
  state.outputBitDepth = 24;
  state.outputKeyFrame = false;
  GetDIB(ArgsFor(VideoEntry(Media("a.avi")), 8, 8), pictures);
  EXPECT_FALSE(state.outputKeyFrame);
}

}  // namespace
}  // namespace sprocket

// The render job's image-sequence output, with a stand-in compositor.

#include <algorithm>
#include <filesystem>

#include "job_test_fixture.h"
#include "platform/imagefile/image_file_library.h"
#include "render/picture/picture_ops.h"

namespace sprocket::testing {
namespace {

struct SavedImage {
  int width = 0;
  int height = 0;
  // Colour of column 0 of memory rows 0 and 1.
  FrameColour row0;
  FrameColour row1;
};

std::optional<SavedImage> ReadImage(const std::string& path) {
  ImageFileLibrary& images = ImageFiles();
  const ImageHandle image = images.Open(path);
  if (image < 0) return std::nullopt;
  images.ToTrueColor(image);
  DibPicture copy = CopyImageDib(image);
  images.Free(image);
  std::optional<PictureGeometry> geometry = ReadPictureGeometry(copy.data());
  if (!geometry) return std::nullopt;
  SavedImage saved{geometry->width, geometry->height, {}, {}};
  auto colour = [&](int y) {
    const std::uint8_t* p = geometry->Row(y);
    return FrameColour{p[0], p[1], p[2]};
  };
  saved.row0 = colour(0);
  saved.row1 = colour(1);
  return saved;
}

class SequenceJob : public RenderJobTest {
protected:
  SequenceJob() {
    std::filesystem::create_directories(temp.path() / "seq");
    TheApp().imageSequenceBasePath = Path("seq/take");
  }
  std::string Image(const std::string& name) const { return Path("seq/" + name); }
  std::size_t ImageCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(temp.path() / "seq"), {}));
  }
};

TEST_F(SequenceJob, ThreeFramesAreNumberedFromZero) {
  Movie().IFileType = 5;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 3 \nOutput File: " + Image("take0002.JPG"));
  EXPECT_EQ(Run(RenderJob{0, 0, 120, OutputKind::kImageSequence, "ignored"}), kRenderJobDone);
  EXPECT_EQ(ImageCount(), 3u);
  for (const char* name : {"take0000.JPG", "take0001.JPG", "take0002.JPG"}) {
    std::optional<SavedImage> image = ReadImage(Image(name));
    ASSERT_TRUE(image) << name;
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 24);
  }
  EXPECT_EQ(runner->Job().outputPath, Image("take0002.JPG"));
  EXPECT_EQ(ui.captions.front(), "Generating Image Sequence...");
  EXPECT_EQ(ui.statuses.front(), "Creating image sequence...");
}

TEST_F(SequenceJob, BitmapsHoldTheRenderedPictures) {
  Movie().IFileType = 0;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 2 \nOutput File: " + Image("take0001.BMP"));
  ASSERT_EQ(Run(RenderJob{0, 1000, 1080, OutputKind::kImageSequence, ""}), kRenderJobDone);
  std::optional<SavedImage> first = ReadImage(Image("take0000.BMP"));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->row0, ColourFor(1000, 0));
  EXPECT_EQ(first->row1, ColourFor(1000, 0));
}

TEST_F(SequenceJob, MergedFieldsMakeOneImageOfTwoRenders) {
  Movie().IFieldSequence = 1;
  Movie().IResWidth = 8;
  Movie().IResHeight = 8;
  prompts.Expect("Movie/Preview completed! Frames compiled: 25; Output File: " + Image("take0024.BMP"));
  ASSERT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kImageSequence, ""}), kRenderJobDone);
  ASSERT_EQ(calls.size(), 50u);
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].fieldMode, 1);
    EXPECT_EQ(calls[i].field, i % 2 == 0 ? 1 : 0) << i;
    EXPECT_DOUBLE_EQ(calls[i].time, 20.0 * static_cast<double>(i));
  }
  EXPECT_EQ(ImageCount(), 25u);
  EXPECT_TRUE(std::filesystem::exists(Image("take0000.BMP")));
  // Even lines from the first render (field 1), odd lines from the second.
  std::optional<SavedImage> image = ReadImage(Image("take0003.BMP"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->row0, ColourFor(120, 1));
  EXPECT_EQ(image->row1, ColourFor(140, 0));
  // Time codes count 25 frames a second although 50 renders run.
  EXPECT_EQ(ui.timeCodes.back(), "00:00:01:00");
  EXPECT_NE(std::find(ui.timeCodes.begin(), ui.timeCodes.end(), "00:00:00:13"), ui.timeCodes.end());
}

TEST_F(SequenceJob, FieldModeTwoTakesTheOddLinesFirst) {
  Movie().IFieldSequence = 2;
  Movie().IResWidth = 8;
  Movie().IResHeight = 8;
  prompts.Expect("Movie/Preview completed! Frames compiled: 1; Output File: " + Image("take0000.BMP"));
  ASSERT_EQ(Run(RenderJob{0, 0, 40, OutputKind::kImageSequence, ""}), kRenderJobDone);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].field, 0);
  EXPECT_EQ(calls[1].field, 1);
  std::optional<SavedImage> image = ReadImage(Image("take0000.BMP"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->row1, ColourFor(0, 0));
  EXPECT_EQ(image->row0, ColourFor(20, 1));
}

TEST_F(SequenceJob, SingleFieldsMakeHalfHeightImages) {
  Movie().IFieldSequence = 3;
  Movie().IResWidth = 8;
  Movie().IResHeight = 8;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 50 \nOutput File: " + Image("take0049.BMP"));
  ASSERT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kImageSequence, ""}), kRenderJobDone);
  EXPECT_EQ(ImageCount(), 50u);
  std::optional<SavedImage> image = ReadImage(Image("take0049.BMP"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 8);
  EXPECT_EQ(image->height, 4);
}

TEST_F(SequenceJob, StoppingKeepsTheImagesWritten) {
  ui.stopAfterFrames = 2;
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kImageSequence, ""}), kRenderJobFailed);
  EXPECT_TRUE(runner->Stopped());
  EXPECT_EQ(ImageCount(), 2u);
  EXPECT_EQ(runner->FramesWritten(), 2);
}

TEST_F(SequenceJob, AnImageThatCannotBeSavedEndsTheJob) {
  TheApp().imageSequenceBasePath = Path("no-such-folder/take");
  prompts.Expect("Failed to save Image file! Make sure the drive you select is accessible.");
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kImageSequence, ""}), kRenderJobFailed);
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(SequenceJob, ARateOfZeroRendersOneFrameAtTheStart) {
  Movie().VFramesPerSec = 0.0f;
  prompts.Expect("FrameRate equals zero!");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 1 \nOutput File: " + Image("take0000.BMP"));
  EXPECT_EQ(Run(RenderJob{0, 500, 3000, OutputKind::kImageSequence, ""}), kRenderJobDone);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_DOUBLE_EQ(calls[0].time, 500.0);
}

TEST_F(SequenceJob, ASizeBelowFourPixelsIsRefused) {
  Movie().IResWidth = 3;
  prompts.Expect("The output size 0X24 is too small!");
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kImageSequence, ""}), kRenderJobFailed);
  EXPECT_TRUE(calls.empty());
}

TEST_F(SequenceJob, ProgressRunsFromTheStartToTheEnd) {
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 4 \nOutput File: " + Image("take0003.BMP"));
  ASSERT_EQ(Run(RenderJob{0, 2000, 2160, OutputKind::kImageSequence, ""}), kRenderJobDone);
  EXPECT_EQ(ui.percents.front(), 0);
  EXPECT_EQ(ui.percents.back(), 100);
  EXPECT_GE(ui.firstPositionCalls, 1);
  EXPECT_EQ(ui.positionLines.front(), 2000);
  EXPECT_EQ(ui.positionLines.back(), 2160);
  EXPECT_EQ(ui.timeCodes.front(), "00:00:02:00");
  EXPECT_EQ(ui.framesDone, 4);
  EXPECT_EQ(ui.framesTotal, 4);
}

}  // namespace
}  // namespace sprocket::testing

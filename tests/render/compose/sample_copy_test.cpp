#include <vector>

#include <gtest/gtest.h>

#include "platform/application_state.h"
#include "platform/media/avi_index.h"
#include "render/compose/sample_copy.h"
#include "render/sources/render_state.h"
#include "render/sources/track_list.h"
#include "scripted_prompts.h"
#include "source_test_media.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

// A 50-frame MPEG-4 clip whose only key frames are 0 and 30.
class SampleCopy : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new testing::TempDir;
    clip_ = (*dir_ / "gop.avi").string();
    ASSERT_EQ(testing::WriteCardAvi(clip_, 50, 64, 48, MakeFourCC("FMP4"), 30), "");
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override {
    ASSERT_TRUE(index_.Open(clip_));
    stream_ = index_.FindStream(kStreamTypeVideo);
    ASSERT_EQ(index_.FindKeySample(stream_, 44), 30);
    ASSERT_EQ(index_.FindKeySample(stream_, 29), 0);
    ResetRenderJobState();
    TheApp().exactFrame = 0;
  }
  void TearDown() override {
    TheApp().exactFrame = 0;
    ResetRenderJobState();
  }

  // The source frame a copied block holds, or -1.
  int CopiedFrame(const DibPicture& block) {
    const RawSampleParts parts = SplitRawSample(block);
    if (parts.sample.empty()) return -1;
    for (int n = 0; n < 50; ++n) {
      std::vector<std::uint8_t> sample;
      index_.ReadSample(stream_, n, &sample);
      if (sample.size() == parts.sample.size() && std::equal(sample.begin(), sample.end(), parts.sample.begin())) {
        return n;
      }
    }
    return -1;
  }
  int Copy(int frame, int kind = kPassThroughCopy) {
    return CopiedFrame(ReadRawVideoSample(frame, clip_, nullptr, kind));
  }

  static testing::TempDir* dir_;
  static std::string clip_;
  AviFileIndex index_;
  int stream_ = -1;
};

testing::TempDir* SampleCopy::dir_ = nullptr;
std::string SampleCopy::clip_;

TEST_F(SampleCopy, CopyStartsAtAKeyFrameAndFollowsEverySample) {
  RenderState& state = TheRenderState();
  const DibPicture first = ReadRawVideoSample(30, clip_, nullptr, kPassThroughCopy);
  ASSERT_TRUE(first);
  EXPECT_EQ(CopiedFrame(first), 30);
  EXPECT_TRUE(state.outputKeyFrame);
  const RawSampleParts parts = SplitRawSample(first);
  EXPECT_EQ(
      std::vector<std::uint8_t>(parts.format.begin(), parts.format.begin() + 16),
      std::vector<std::uint8_t>(index_.Stream(stream_).format.begin(), index_.Stream(stream_).format.begin() + 16));
  EXPECT_EQ(ReadDibHeader(first.data()).biSizeImage, parts.sample.size());
  for (int frame = 31; frame <= 44; ++frame) {
    EXPECT_EQ(Copy(frame), frame);
    EXPECT_FALSE(state.outputKeyFrame);
  }
}

TEST_F(SampleCopy, NoCopyBeforeTheFirstKeyFrame) {
  RenderState& state = TheRenderState();
  EXPECT_FALSE(ReadRawVideoSample(35, clip_, nullptr, kPassThroughCopy));
  EXPECT_TRUE(state.outputKeyFrame);
  EXPECT_FALSE(state.keyFrameSeen);
  EXPECT_EQ(Copy(36), -1);
  EXPECT_EQ(Copy(0), 0);
  EXPECT_TRUE(state.outputKeyFrame);
  EXPECT_EQ(Copy(1), 1);
}

TEST_F(SampleCopy, SlowMotionServesTheNextSampleUnlessExactFramesAreAsked) {
  EXPECT_EQ(Copy(30), 30);
  EXPECT_EQ(Copy(30), 31);
  EXPECT_EQ(Copy(31), 32);
  // Exact frames: a repeated delta sample would break the chain; the frame
  // is rendered instead and the copy waits for the next key frame.
  ResetRenderJobState();
  TheApp().exactFrame = 1;
  EXPECT_EQ(Copy(30), 30);
  EXPECT_EQ(Copy(31), 31);
  EXPECT_EQ(Copy(31), -1);
  EXPECT_FALSE(TheRenderState().keyFrameSeen);
  EXPECT_EQ(Copy(32), -1);
}

TEST_F(SampleCopy, AJumpIsRenderedUntilTheNextKeyFrame) {
  EXPECT_EQ(Copy(30), 30);
  EXPECT_EQ(Copy(31), 31);
  EXPECT_EQ(Copy(40), -1);
  EXPECT_EQ(Copy(41), -1);
  // Kind 3 takes the frames as asked: a jump onto a key frame copies.
  EXPECT_EQ(Copy(0, kPassThroughExact), 0);
  EXPECT_EQ(Copy(30, kPassThroughExact), 30);
}

TEST_F(SampleCopy, TheLastSampleIsNotCopiedTwice) {
  EXPECT_EQ(Copy(30), 30);
  for (int frame = 31; frame < 50; ++frame) ASSERT_EQ(Copy(frame), frame);
  EXPECT_EQ(Copy(50), -1);
  EXPECT_EQ(Copy(51), -1);
}

TEST_F(SampleCopy, OnwardCopyMovesOnAndStopsAtTheEnd) {
  RenderState& state = TheRenderState();
  EXPECT_EQ(CopiedFrame(ReadRawVideoSampleNext(30, clip_, nullptr)), 30);
  EXPECT_EQ(CopiedFrame(ReadRawVideoSampleNext(30, clip_, nullptr)), 31);
  EXPECT_EQ(CopiedFrame(ReadRawVideoSampleNext(45, clip_, nullptr)), 32);
  state.lastFrameCopied = 49;
  EXPECT_FALSE(ReadRawVideoSampleNext(49, clip_, nullptr));
  EXPECT_FALSE(state.lastSourceFile.has_value());
  EXPECT_TRUE(state.outputKeyFrame);
}

TEST_F(SampleCopy, ANewFileOrTrackNodeStartsAgain) {
  testing::TempDir other;
  const std::string second = (other / "second.avi").string();
  ASSERT_EQ(testing::WriteCardAvi(second, 5, 64, 48, MakeFourCC("FMP4"), 30), "");
  EXPECT_EQ(Copy(30), 30);
  EXPECT_FALSE(ReadRawVideoSample(1, second, nullptr, kPassThroughCopy));
  EXPECT_TRUE(ReadRawVideoSample(0, second, nullptr, kPassThroughCopy));

  // Through a node that holds the clip open.
  auto chain = std::make_unique<TrackList>();
  chain->BuildTrackList(2);
  RenderList list;
  RenderEntry& entry = list.entries.emplace_back();
  entry.trackNumber = 2;
  entry.main.fileName = clip_;
  chain->OpenRenderSources(list, nullptr, 64, 48, 0);
  TrackList* node = chain->FindNode(2);
  EXPECT_EQ(CopiedFrame(ReadRawVideoSample(30, clip_, node, kPassThroughCopy)), 30);
  EXPECT_EQ(CopiedFrame(ReadRawVideoSample(31, clip_, node, kPassThroughCopy)), 31);
  EXPECT_NE(node->RawVideoStream(), nullptr);
}

TEST_F(SampleCopy, OnlyAviFilesAreCopied) {
  EXPECT_FALSE(ReadRawVideoSample(0, "", nullptr, kPassThroughCopy));
  EXPECT_FALSE(ReadRawVideoSample(0, "/clips/take.part.avi", nullptr, kPassThroughCopy));
  EXPECT_FALSE(ReadRawVideoSample(0, "/clips/take.flc", nullptr, kPassThroughCopy));
  EXPECT_FALSE(TheRenderState().lastSourceFile.has_value());
}

TEST_F(SampleCopy, AnUnreadableSourceIsReportedOncePerJobAndRendered) {
  testing::ScriptedPrompts prompts;
  prompts.Expect("Fail to open video stream of source avi file!");
  const std::string broken = (*dir_ / "broken.avi").string();
  dir_->Write("broken.avi", "RIFF....not an avi");
  EXPECT_FALSE(ReadRawVideoSample(0, broken, nullptr, kPassThroughCopy));
  EXPECT_FALSE(ReadRawVideoSample(1, broken, nullptr, kPassThroughCopy));
  EXPECT_FALSE(TheRenderState().keyFrameSeen);
  EXPECT_TRUE(prompts.AllShown());
}

}  // namespace
}  // namespace sprocket

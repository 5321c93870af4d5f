#include <cstring>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "frame_test_fixture.h"
#include "render/compose/sample_copy.h"
#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "source_test_media.h"
#include "timeline/document/render_list.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::ClipPlacement;
using testing::kTestAdd;
using testing::kTestDissolve;
using testing::kTestHalve;
using testing::kTestKey;
using testing::PixelOf;
using testing::RecordedCall;

class RenderFrameTest : public testing::FrameFixture {};

// Index of the card shown at (x, y), or -1 when the pixel is not a card's.
int CardAt(const DibPicture& picture, int x, int y) {
  const Bgr pixel = PixelOf(picture.data(), x, y);
  return pixel.green == x && pixel.red == y ? pixel.blue : -1;
}

bool AllBlack(const DibPicture& picture) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture.data());
  for (std::int32_t y = 0; y < geometry->height; ++y) {
    for (std::int32_t x = 0; x < geometry->width * 3; ++x) {
      if (geometry->Row(y)[x] != 0) return false;
    }
  }
  return true;
}

TEST_F(RenderFrameTest, NothingUnderTheTimeGivesBlack) {
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  std::memset(out.data() + kDibHeaderSize, 0x55, out.Header().biSizeImage);
  std::int32_t result = -1;
  EXPECT_EQ(RenderFrame(Args(out, 500), &result), kRenderDone);
  EXPECT_EQ(result, kFrameRendered);
  EXPECT_TRUE(AllBlack(out));
  EXPECT_EQ(out.Width(), kWidth);

  SequenceReuse reuse{0, "old.bmp", 0, 7};
  RenderFrameArgs args = Args(out, 500);
  args.mode = kRenderModeReuse;
  args.reuse = &reuse;
  EXPECT_EQ(RenderFrame(args, &result), kRenderDone);
  EXPECT_EQ(result, kFrameNothing);
  EXPECT_FALSE(reuse.name.has_value());
  EXPECT_EQ(reuse.newPicture, 1);
  EXPECT_EQ(reuse.pictureNumber, 0);
}

TEST_F(RenderFrameTest, RefusesAnOutputOfAnotherSizeAndCallsWithoutEffects) {
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(out, 0);
  args.width = kWidth + 1;
  EXPECT_EQ(RenderFrame(args, nullptr), kRenderNoMemory);
  args = Args(out, 0);
  args.effects = nullptr;
  EXPECT_EQ(RenderFrame(args, nullptr), kRenderNoMemory);
}

struct SourceFrameCase {
  const char* name;
  std::int32_t speed;
  std::int32_t reverse;
  std::int32_t playIn;
  bool chain;
  int first;  // the source frame at the clip's in time
  int step;   // source frames per output frame
};

class SourceFrames : public RenderFrameTest, public ::testing::WithParamInterface<SourceFrameCase> {};

TEST_P(SourceFrames, EachTimeShowsItsSourceFrame) {
  const SourceFrameCase& c = GetParam();
  const std::string clip = Media("count.avi");
  testing::WriteIndexedAvi(clip, 20, kWidth, kHeight, 0);
  ClipPlacement placement{clip, 1, 400, 600};
  placement.speed = c.speed;
  placement.reverse = c.reverse;
  placement.playIn = c.playIn;
  if (c.reverse != 0) placement.out = 1200;  // the whole clip, played backwards
  testing::PlaceClip(head_.get(), placement);
  if (c.chain) UseChain();
  for (int k = 0; k < 5; ++k) {
    const DibPicture out = Render(400 + 40 * k);
    EXPECT_EQ(CardAt(out, 0, 0), c.first + c.step * k) << c.name << " frame " << k;
    EXPECT_EQ(CardAt(out, kWidth - 1, kHeight - 1), c.first + c.step * k) << c.name << " frame " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Clips, SourceFrames,
                         ::testing::Values(SourceFrameCase{"normal", 100, 0, 0, false, 0, 1},
                                           SourceFrameCase{"normal", 100, 0, 0, true, 0, 1},
                                           SourceFrameCase{"double speed", 200, 0, 0, false, 0, 2},
                                           SourceFrameCase{"double speed", 200, 0, 0, true, 0, 2},
                                           SourceFrameCase{"reverse", 100, 1, 0, false, 19, -1},
                                           SourceFrameCase{"reverse", 100, 1, 0, true, 19, -1},
                                           SourceFrameCase{"play-in", 100, 0, 120, false, 3, 1},
                                           SourceFrameCase{"play-in", 100, 0, 120, true, 3, 1}));

class TransitionFrames : public RenderFrameTest {
protected:
  // A (cards 0..) on V1 and B (cards 100..) on V2 from 0 to 2000 ms, a
  // transition on track 2 from 400 to 800 ms.
  void Build(const FilterList& transition) {
    testing::WriteIndexedAvi(Media("a.avi"), 50, kWidth, kHeight, 0);
    testing::WriteIndexedAvi(Media("b.avi"), 50, kWidth, kHeight, 100);
    testing::PlaceClip(head_.get(), ClipPlacement{Media("a.avi"), 1, 0, 2000});
    testing::PlaceClip(head_.get(), ClipPlacement{Media("b.avi"), 3, 0, 2000});
    testing::PlaceTransition(head_.get(), 2, 400, 800, transition);
  }
};

TEST_F(TransitionFrames, MixAtTheTransitionsPercent) {
  Build({testing::MakeTestFilter(kTestDissolve)});
  for (int k = 0; k < 10; ++k) {
    effects_.calls.clear();
    const int t = 400 + 40 * k;
    const DibPicture out = Render(t);
    const float percent = 100.0f * static_cast<float>(40 * k) / 360.0f;
    const std::vector<RecordedCall> mixes = effects_.CallsOf(RecordedCall::kTransition);
    ASSERT_EQ(mixes.size(), 1u);
    EXPECT_NEAR(mixes[0].percent, percent, 1e-3) << t;
    EXPECT_EQ(mixes[0].id, kTestDissolve);
    EXPECT_EQ(mixes[0].width, kWidth);
    const int frame = t / 40;
    EXPECT_EQ(PixelOf(out.data(), 5, 7), (Bgr{testing::TestDissolve(frame, 100 + frame, percent), 5, 7})) << t;
  }
  // Outside the transition the upper track covers the lower one.
  EXPECT_EQ(CardAt(Render(200), 3, 3), 105);
  EXPECT_EQ(CardAt(Render(1000), 3, 3), 125);
}

TEST_F(TransitionFrames, SecondFilterRunsOnTheResultUnlessEitherIsAnEffectSequence) {
  Build({testing::MakeTestFilter(kTestDissolve), testing::MakeTestFilter(kTestAdd, 40)});
  const DibPicture out = Render(600);
  const float percent = 100.0f * 200.0f / 360.0f;
  const std::vector<RecordedCall> filters = effects_.CallsOf(RecordedCall::kFilter);
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0].ids, std::vector<std::int32_t>{kTestAdd});
  EXPECT_NEAR(filters[0].percent, percent, 1e-3);
  EXPECT_EQ(PixelOf(out.data(), 5, 7).blue, testing::TestDissolve(15, 115, percent) + 40);
  EXPECT_EQ(PixelOf(out.data(), 5, 7).red, 7 + 40);

  for (const FilterList& list : {FilterList{testing::MakeTestFilter(kTestDissolve), testing::MakeTestFilter(999)},
                                 FilterList{testing::MakeTestFilter(999), testing::MakeTestFilter(kTestAdd, 40)}}) {
    head_ = testing::MakeFrameTimeline();
    Build(list);
    effects_.calls.clear();
    Render(600);
    EXPECT_TRUE(effects_.CallsOf(RecordedCall::kFilter).empty()) << list.front().id;
    EXPECT_EQ(effects_.CallsOf(RecordedCall::kTransition).size(), 1u);
  }
}

TEST_F(TransitionFrames, SideFiltersRunBeforeTheMix) {
  testing::WriteIndexedAvi(Media("a.avi"), 50, kWidth, kHeight, 0);
  testing::WriteIndexedAvi(Media("b.avi"), 50, kWidth, kHeight, 100);
  ClipPlacement a{Media("a.avi"), 1, 0, 2000};
  a.filters = {testing::MakeTestFilter(kTestAdd, 50)};
  testing::PlaceClip(head_.get(), a);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("b.avi"), 3, 0, 2000});
  testing::PlaceTransition(head_.get(), 2, 400, 800, {testing::MakeTestFilter(kTestDissolve)});
  const DibPicture out = Render(400);
  // At 0 % the picture is A's, after its filter.
  EXPECT_EQ(PixelOf(out.data(), 2, 3), (Bgr{10 + 50, 2 + 50, 3 + 50}));
}

TEST_F(RenderFrameTest, FiltersRunInListOrder) {
  testing::WriteIndexedAvi(Media("c.avi"), 5, kWidth, kHeight, 100);
  ClipPlacement first{Media("c.avi"), 1, 0, 200};
  first.filters = {testing::MakeTestFilter(kTestAdd, 40), testing::MakeTestFilter(kTestHalve)};
  ClipPlacement second{Media("c.avi"), 1, 200, 400};
  second.filters = {testing::MakeTestFilter(kTestHalve), testing::MakeTestFilter(kTestAdd, 40)};
  testing::PlaceClip(head_.get(), first);
  testing::PlaceClip(head_.get(), second);
  EXPECT_EQ(PixelOf(Render(0).data(), 10, 20), (Bgr{(100 + 40) / 2, (10 + 40) / 2, (20 + 40) / 2}));
  EXPECT_EQ(PixelOf(Render(200).data(), 10, 20), (Bgr{100 / 2 + 40, 10 / 2 + 40, 20 / 2 + 40}));
  ASSERT_EQ(effects_.calls.size(), 2u);
  EXPECT_EQ(effects_.calls[0].ids, (std::vector<std::int32_t>{kTestAdd, kTestHalve}));
  EXPECT_EQ(effects_.calls[0].id, kTestAdd);
  EXPECT_EQ(effects_.calls[1].ids, (std::vector<std::int32_t>{kTestHalve, kTestAdd}));
}

TEST_F(RenderFrameTest, UpperClipsCoverLowerOnesUnderTheirMasks) {
  testing::WriteIndexedAvi(Media("low.avi"), 5, kWidth, kHeight, 10);
  testing::WriteIndexedAvi(Media("high.avi"), 5, kWidth, kHeight, 200);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("low.avi"), 1, 0, 240});
  testing::PlaceClip(head_.get(), ClipPlacement{Media("high.avi"), 3, 0, 120});
  ClipPlacement keyed{Media("high.avi"), 3, 120, 240};
  keyed.filters = {testing::MakeTestFilter(kTestKey)};
  testing::PlaceClip(head_.get(), keyed);

  const DibPicture covered = Render(40);
  EXPECT_EQ(CardAt(covered, 1, 1), 201);
  EXPECT_EQ(CardAt(covered, 20, 1), 201);

  // The key's mask lets the lower clip through left of its column.
  const DibPicture keyedFrame = Render(160);
  EXPECT_EQ(CardAt(keyedFrame, effects_.keyColumn - 1, 4), 14);
  EXPECT_EQ(CardAt(keyedFrame, effects_.keyColumn, 4), 201);
  const RecordedCall& call = effects_.calls.back();
  EXPECT_TRUE(call.firstMask);
  EXPECT_TRUE(call.secondMask);
}

TEST_F(RenderFrameTest, StillAlphaLaysTheStillOverLowerTracks) {
  testing::WriteIndexedAvi(Media("low.avi"), 5, kWidth, kHeight, 10);
  testing::WriteTga32(dir_ / "logo.tga", kWidth, kHeight, [](int x, int) { return x < 10 ? 0 : 255; });
  testing::PlaceClip(head_.get(), ClipPlacement{Media("low.avi"), 1, 0, 200});
  testing::PlaceClip(head_.get(), ClipPlacement{Media("logo.tga"), 3, 0, 200});
  for (bool chain : {false, true}) {
    if (chain) UseChain();
    const DibPicture out = Render(40);
    EXPECT_EQ(CardAt(out, 9, 5), 11) << chain;
    EXPECT_EQ(PixelOf(out.data(), 10, 5), (Bgr{10, 5, 77})) << chain;
    EXPECT_EQ(PixelOf(out.data(), 31, 23), (Bgr{31, 23, 77})) << chain;
  }
}

TEST_F(RenderFrameTest, CropMarginsGiveABlackBorderAndSmallerSources) {
  testing::WriteIndexedAvi(Media("c.avi"), 5, kWidth, kHeight, 60);
  ClipPlacement clip{Media("c.avi"), 1, 0, 200};
  clip.filters = {testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), clip);
  head_->cropMargins.Set(4, 6, 3, 2);  // left, right, top, bottom

  for (bool chain : {false, true}) {
    if (chain) UseChain();
    effects_.calls.clear();
    const DibPicture out = Render(80);
    ASSERT_EQ(effects_.calls.size(), 1u);
    EXPECT_EQ(effects_.calls[0].width, kWidth - 10);
    EXPECT_EQ(effects_.calls[0].height, kHeight - 5);
    EXPECT_EQ(effects_.calls[0].params.cropLeft, 4);
    EXPECT_EQ(effects_.calls[0].params.cropRight, 6);
    EXPECT_EQ(effects_.calls[0].params.cropBottom, 2);
    EXPECT_EQ(effects_.calls[0].params.cropTop, 3);
    EXPECT_EQ(out.Width(), kWidth);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool inside = x >= 4 && x < kWidth - 6 && y >= 2 && y < kHeight - 3;
        // Cropping cuts the same margins off the source: the picture stays in place.
        const Bgr expected = inside ? Bgr{62 / 2, x / 2, y / 2} : Bgr{0, 0, 0};
        ASSERT_EQ(PixelOf(out.data(), x, y), expected) << x << "," << y << " chain " << chain;
      }
    }
  }
  // Cropping is switched off by the option word.
  DibPicture whole = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(whole, 80);
  args.options = kRenderOptionNoCrop;
  EXPECT_EQ(RenderFrame(args, nullptr), kRenderDone);
  EXPECT_EQ(PixelOf(whole.data(), 0, 0), (Bgr{31, 0, 0}));
}

TEST_F(RenderFrameTest, MarginsThatLeaveNothingRenderNothing) {
  testing::WriteIndexedAvi(Media("c.avi"), 5, kWidth, kHeight, 60);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("c.avi"), 1, 0, 200});
  head_->cropMargins.Set(20, 20, 0, 0);
  EXPECT_TRUE(AllBlack(Render(40)));
  EXPECT_TRUE(effects_.calls.empty());
}

TEST_F(RenderFrameTest, DoubleSizeComposesAtTwiceTheSizeAndReduces) {
  testing::WriteIndexedAvi(Media("c.avi"), 5, kWidth, kHeight, 30);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("c.avi"), 1, 0, 100});
  ClipPlacement filtered{Media("c.avi"), 1, 100, 200};
  filtered.filters = {testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), filtered);

  DibPicture out = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(out, 40);
  args.doubleSize = 1;
  ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
  const DibPicture card = testing::CardPicture(31, kWidth, kHeight);
  const DibPicture large = ScaleDib24(card.data(), 2 * kWidth, 2 * kHeight);
  const DibPicture expected = ScaleDib24(large.data(), kWidth, kHeight);
  EXPECT_TRUE(testing::SamePixels(out.data(), expected.data()));

  args = Args(out, 120);
  args.doubleSize = 1;
  ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
  ASSERT_EQ(effects_.calls.size(), 1u);
  EXPECT_EQ(effects_.calls[0].width, 2 * kWidth);
  EXPECT_EQ(effects_.calls[0].height, 2 * kHeight);
}

TEST_F(RenderFrameTest, InterlacedClipsShowTheFieldOfTheOutput) {
  testing::WriteIndexedAvi(Media("i.avi"), 5, kWidth, kHeight, 40);
  TLEvent* clip = testing::PlaceClip(head_.get(), ClipPlacement{Media("i.avi"), 1, 0, 200});
  clip->header->SetFieldOrder(1);
  const DibPicture card = testing::CardPicture(41, kWidth, kHeight);
  for (int field : {0, 1}) {
    DibPicture out = testing::NewPicture(kWidth, kHeight);
    RenderFrameArgs args = Args(out, 40);
    args.fieldMode = 1;
    args.field = field;
    ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
    // Field order 1: the field flag set takes the even lines.
    const DibPicture expected = FieldPicture(card.data(), field == 1);
    EXPECT_TRUE(testing::SamePixels(out.data(), expected.data())) << field;
    EXPECT_FALSE(testing::SamePixels(out.data(), card.data())) << field;

    args.options = kRenderOptionNoFieldStep;
    ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
    EXPECT_TRUE(testing::SamePixels(out.data(), card.data())) << field;
  }
}

TEST_F(RenderFrameTest, EffectsGetTheFrameParameters) {
  testing::WriteIndexedAvi(Media("c.avi"), 11, kWidth, kHeight, 0);
  ClipPlacement clip{Media("c.avi"), 1, 0, 440};
  clip.filters = {testing::MakeTestFilter(kTestHalve)};
  testing::PlaceClip(head_.get(), clip);
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(out, 160);
  args.field = 1;
  args.fieldMode = 2;
  args.effectArg = 77;
  ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
  ASSERT_EQ(effects_.calls.size(), 1u);
  const RecordedCall& call = effects_.calls[0];
  ASSERT_TRUE(call.hasParams);
  EXPECT_EQ(call.params.currentField, 1);
  EXPECT_EQ(call.params.fieldSelector, 0);
  EXPECT_EQ(call.params.fieldMode, 0);  // the clip's header says progressive
  EXPECT_FLOAT_EQ(call.params.position, 4.0f / 10.0f);
  EXPECT_EQ(call.effectArg, 77);
  EXPECT_TRUE(call.background);
  EXPECT_FALSE(call.firstMask);
  EXPECT_FLOAT_EQ(call.rate, 25.0f);
  EXPECT_NEAR(call.percent, 100.0f * 160.0f / 400.0f, 1e-3);
}

TEST_F(RenderFrameTest, AStoppedEffectEndsTheFrame) {
  testing::WriteIndexedAvi(Media("c.avi"), 5, kWidth, kHeight, 0);
  for (int track : {1, 3}) {
    ClipPlacement clip{Media("c.avi"), track, 0, 200};
    clip.filters = {testing::MakeTestFilter(kTestHalve)};
    testing::PlaceClip(head_.get(), clip);
  }
  head_->cropMargins.Set(2, 2, 2, 2);
  effects_.stopAtCall = 1;
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  EXPECT_EQ(RenderFrame(Args(out, 40), nullptr), kRenderStopped);
  EXPECT_EQ(effects_.calls.size(), 1u);
  EXPECT_EQ(out.Width(), kWidth);
}

TEST_F(RenderFrameTest, TrailingEffectKeepsWhatTheKeyUncovers) {
  testing::WriteIndexedAvi(Media("low.avi"), 10, kWidth, kHeight, 10);
  testing::WriteIndexedAvi(Media("high.avi"), 10, kWidth, kHeight, 100);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("low.avi"), 1, 0, 400});
  ClipPlacement trailing{Media("high.avi"), 3, 0, 400};
  trailing.filters = {testing::MakeTestFilter(kTestKey), testing::MakeTrailingFilter(1, 100, 0)};
  testing::PlaceClip(head_.get(), trailing);
  UseChain();
  effects_.keyColumn = 8;
  EXPECT_EQ(CardAt(Render(40), 12, 2), 101);
  effects_.keyColumn = 16;
  const DibPicture out = Render(80);
  EXPECT_EQ(CardAt(out, 12, 2), 101);  // the trail of the previous frame
  EXPECT_EQ(CardAt(out, 4, 2), 12);    // never covered
  EXPECT_EQ(CardAt(out, 20, 2), 102);
}

TEST_F(RenderFrameTest, AClipThatStandsForAStretchShowsThatStretch) {
  testing::WriteIndexedAvi(Media("a.avi"), 25, kWidth, kHeight, 0);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("a.avi"), 1, 0, 1000});
  testing::PlaceTimelineClip(head_.get(), 3, 2000, 3000, 400);
  for (bool chain : {false, true}) {
    if (chain) UseChain();
    for (int k : {0, 3}) {
      const DibPicture nested = Render(2000 + 40 * k);
      EXPECT_EQ(CardAt(nested, 6, 6), 10 + k) << chain;
      EXPECT_TRUE(testing::SamePixels(nested.data(), Render(400 + 40 * k).data()));
    }
  }
}

TEST_F(RenderFrameTest, NestedRendersStopAtTheDepthLimit) {
  // Two stretches that show each other.
  testing::PlaceTimelineClip(head_.get(), 1, 0, 1000, 5000);
  testing::PlaceTimelineClip(head_.get(), 1, 5000, 6000, 0);
  std::int32_t result = -1;
  const DibPicture out = Render(40, kWidth, kHeight, &result);
  EXPECT_EQ(result, kFrameRendered);
  EXPECT_TRUE(AllBlack(out));
  EXPECT_NE(ReadLog().find("logged in GetDIB(), recursive call NOT successful"), std::string::npos);
}

TEST_F(RenderFrameTest, FastPathGivesTheGeneralRoadsFrame) {
  testing::WriteIndexedAvi(Media("a.avi"), 30, kWidth, kHeight, 0);
  testing::WriteIndexedAvi(Media("b.avi"), 30, kWidth, kHeight, 100);
  testing::PlaceClip(head_.get(), ClipPlacement{Media("a.avi"), 1, 0, 1000});
  testing::PlaceClip(head_.get(), ClipPlacement{Media("b.avi"), 3, 0, 1000});
  testing::PlaceTransition(head_.get(), 2, 200, 600, {testing::MakeTestFilter(kTestDissolve)});
  testing::WriteTga32(dir_ / "logo.tga", kWidth, kHeight, [](int x, int) { return x < 10 ? 0 : 255; });
  ClipPlacement still{Media("logo.tga"), 1, 1000, 1400};
  still.filters = {testing::MakeTestFilter(kTestAdd, 20)};
  testing::PlaceClip(head_.get(), still);
  head_->cropMargins.Set(2, 4, 1, 3);
  UseChain();
  for (int t : {240, 400, 560, 1040}) {
    effects_.turbo = false;
    const DibPicture general = Render(t);
    effects_.turbo = true;
    const int before = effects_.turboFrames;
    const DibPicture fast = Render(t);
    EXPECT_EQ(effects_.turboFrames, before + 1) << t;
    EXPECT_TRUE(testing::SamePixels(general.data(), fast.data())) << t;
  }
  // The still's alpha sends its frame back to the general road.
  EXPECT_EQ(PixelOf(Render(1040).data(), 4, 10), (Bgr{0, 0, 0}));
}

TEST_F(RenderFrameTest, FastPathIsNotOfferedAtDoubleSizeOrWithoutSources) {
  testing::WriteIndexedAvi(Media("a.avi"), 30, kWidth, kHeight, 0);
  ClipPlacement clip{Media("a.avi"), 1, 0, 1000};
  clip.filters = {testing::MakeTestFilter(kTestAdd, 20)};
  testing::PlaceClip(head_.get(), clip);
  effects_.turbo = true;
  Render(40);
  EXPECT_EQ(effects_.turboCalls, 0);
  UseChain();
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(out, 40);
  args.doubleSize = 1;
  ASSERT_EQ(RenderFrame(args, nullptr), kRenderDone);
  EXPECT_EQ(effects_.turboCalls, 0);
  Render(40);
  EXPECT_EQ(effects_.turboCalls, 1);
}

// --- Modes 1 and 2 ---

class PassThroughFrames : public RenderFrameTest {
protected:
  // Renders frame k of the output in mode 1; answers the result code.
  std::int32_t RenderCopy(int k, DibPicture* sample) {
    DibPicture out = testing::NewPicture(kWidth, kHeight);
    RenderFrameArgs args = Args(out, 40 * k);
    args.mode = kRenderModePassThrough;
    args.rawSample = sample;
    std::int32_t result = -1;
    EXPECT_EQ(RenderFrame(args, &result), kRenderDone);
    if (result == kFrameRendered) {
      EXPECT_NEAR(PixelOf(out.data(), 20, 10).green, 20, 8) << k;
    }
    return result;
  }
};

TEST_F(PassThroughFrames, SamplesAreCopiedFromTheNextKeyFrameOn) {
  const std::string clip = Media("gop.avi");
  ASSERT_EQ(testing::WriteCardAvi(clip, 12, kWidth, kHeight, MakeFourCC("FMP4"), 5), "");
  ClipPlacement placement{clip, 1, 0, 480};
  placement.passThroughKind = kPassThroughCopy;
  testing::PlaceClip(head_.get(), placement);
  for (bool chain : {false, true}) {
    ResetRenderJobState();
    if (chain) UseChain();
    for (int k = 1; k <= 7; ++k) {
      DibPicture sample;
      const std::int32_t result = RenderCopy(k, &sample);
      EXPECT_EQ(result, k < 5 ? kFrameRendered : kFrameSampleCopied) << k << " chain " << chain;
      EXPECT_EQ(static_cast<bool>(sample), result == kFrameSampleCopied) << k;
    }
  }
}

TEST_F(PassThroughFrames, ACopyThatFailsIsRenderedNotDropped) {
  const std::string clip = Media("keys.avi");
  ASSERT_EQ(testing::WriteCardAvi(clip, 12, kWidth, kHeight), "");
  ClipPlacement placement{clip, 1, 0, 480};
  placement.passThroughKind = kPassThroughCopy;
  testing::PlaceClip(head_.get(), placement);
  DibPicture sample;
  EXPECT_EQ(RenderCopy(0, &sample), kFrameSampleCopied);
  std::filesystem::remove(clip);
  prompts_.Expect("Fail to open video stream of source avi file!");
  for (int k = 1; k <= 3; ++k) {
    DibPicture out = testing::NewPicture(kWidth, kHeight);
    RenderFrameArgs args = Args(out, 40 * k);
    args.mode = kRenderModePassThrough;
    args.rawSample = &sample;
    std::int32_t result = -1;
    EXPECT_EQ(RenderFrame(args, &result), kRenderDone);
    EXPECT_EQ(result, kFrameRendered) << k;
    EXPECT_FALSE(sample) << k;
  }
  EXPECT_TRUE(prompts_.AllShown());
  EXPECT_NE(ReadLog().find("logged in GetDIB()"), std::string::npos);
}

TEST_F(PassThroughFrames, AClipThatCannotBeCopiedAfterACopiedOneIsRendered) {
  ASSERT_EQ(testing::WriteCardAvi(Media("keys.avi"), 4, kWidth, kHeight), "");
  ASSERT_EQ(testing::WriteCardFlc(dir_ / "spin.flc", 4, kWidth, kHeight), "");
  ClipPlacement movie{Media("keys.avi"), 1, 0, 80};
  movie.passThroughKind = kPassThroughCopy;
  ClipPlacement animation{Media("spin.flc"), 1, 80, 160};
  animation.passThroughKind = kPassThroughCopy;
  testing::PlaceClip(head_.get(), movie);
  testing::PlaceClip(head_.get(), animation);
  DibPicture sample;
  EXPECT_EQ(RenderCopy(0, &sample), kFrameSampleCopied);
  EXPECT_EQ(RenderCopy(1, &sample), kFrameSampleCopied);
  DibPicture out = testing::NewPicture(kWidth, kHeight);
  RenderFrameArgs args = Args(out, 80);
  args.mode = kRenderModePassThrough;
  args.rawSample = &sample;
  std::int32_t result = -1;
  ASSERT_EQ(RenderFrame(args, &result), kRenderDone);
  EXPECT_EQ(result, kFrameRendered);
  EXPECT_FALSE(sample);
  EXPECT_FALSE(AllBlack(out));
}

// A single movie clip shown as it is hands back its decoded frame in mode 1
// (the frame the clip shows at the time); a filter, the crop, double size, a
// caller without a slot or without open sources, and a movie of RGB
// pictures get a rendered picture; a sample that may be copied is copied.
TEST_F(PassThroughFrames, AMovieClipShownAsItIsHandsBackItsDecodedFrame) {
  const std::string clip = Media("cards.avi");
  ASSERT_EQ(testing::WriteCardAvi(clip, 8, 2 * kWidth, 2 * kHeight, MakeFourCC("MJPG")), "");
  TLEvent* placed = testing::PlaceClip(head_.get(), ClipPlacement{clip, 1, 0, 320});
  ASSERT_NE(placed, nullptr);
  ASSERT_EQ(testing::WriteCardAvi(Media("rgb.avi"), 4, kWidth, kHeight), "");
  testing::PlaceClip(head_.get(), ClipPlacement{Media("rgb.avi"), 1, 320, 480});
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(clip));
  auto renderDecoded = [&](int k, const std::function<void(RenderFrameArgs&)>& change) {
    DibPicture out = testing::NewPicture(kWidth, kHeight);
    RenderFrameArgs args = Args(out, 40 * k);
    args.mode = kRenderModePassThrough;
    DecodedVideoFrame decoded;
    args.decoded = &decoded;
    change(args);
    std::int32_t result = -1;
    EXPECT_EQ(RenderFrame(args, &result), kRenderDone);
    EXPECT_EQ(static_cast<bool>(decoded), result == kFrameDecoded) << k;
    if (result == kFrameDecoded) {
      const GlobalBlock expected = reader.ReadFrame(k);
      const GlobalBlock got = decoded.ToDib24();
      EXPECT_EQ(got.size(), expected.size());
      EXPECT_EQ(std::memcmp(GlobalLockGuard<std::uint8_t>(got.get()).get(),
                            GlobalLockGuard<std::uint8_t>(expected.get()).get(), expected.size()),
                0)
          << k;
    } else if (result == kFrameRendered) {
      EXPECT_FALSE(AllBlack(out)) << k;
    }
    return result;
  };
  const auto asItIs = [](RenderFrameArgs&) {};
  EXPECT_EQ(renderDecoded(0, asItIs), kFrameRendered) << "no open sources";
  UseChain();
  for (int k : {0, 1, 2, 5}) EXPECT_EQ(renderDecoded(k, asItIs), kFrameDecoded) << k;
  EXPECT_EQ(renderDecoded(9, asItIs), kFrameRendered) << "RGB pictures";
  // A clip whose samples may be copied is copied rather than decoded.
  placed->passThroughKind = kPassThroughCopy;
  DibPicture sample;
  EXPECT_EQ(renderDecoded(3, [&](RenderFrameArgs& args) { args.rawSample = &sample; }), kFrameSampleCopied);
  EXPECT_TRUE(sample);
  placed->passThroughKind = kPassThroughNone;
  EXPECT_EQ(renderDecoded(6, [](RenderFrameArgs& args) { args.decoded = nullptr; }), kFrameRendered);
  EXPECT_EQ(renderDecoded(6, [](RenderFrameArgs& args) { args.doubleSize = 1; }), kFrameRendered);
  EXPECT_EQ(renderDecoded(6, [](RenderFrameArgs& args) { args.mode = kRenderModePlain; }), kFrameRendered);
  head_->cropMargins.Set(2, 2, 2, 2);
  EXPECT_EQ(renderDecoded(7, asItIs), kFrameRendered);
  head_->cropMargins.Set(0, 0, 0, 0);
  placed->filters = {testing::MakeTestFilter(kTestHalve)};
  EXPECT_EQ(renderDecoded(7, asItIs), kFrameRendered);
}

TEST_F(RenderFrameTest, ReuseRecordTellsWhetherThePictureChanged) {
  testing::SaveStill(testing::MakeCard(70, kWidth, kHeight).get(), dir_ / "one.bmp");
  testing::SaveStill(testing::MakeCard(80, kWidth, kHeight).get(), dir_ / "two.bmp");
  testing::WriteIndexedAvi(Media("m.avi"), 10, kWidth, kHeight, 0);
  for (auto [name, in, kind] :
       {std::tuple{"one.bmp", 0, 1}, std::tuple{"two.bmp", 400, 1}, std::tuple{"m.avi", 800, kPassThroughCopy}}) {
    ClipPlacement clip{Media(name), 1, in, in + 400};
    clip.passThroughKind = kind;
    testing::PlaceClip(head_.get(), clip);
  }
  struct Step {
    int t;
    std::int32_t result;
    std::int32_t newPicture;
    std::int32_t number;
    std::string name;
  };
  const std::string out = Media("preview.avi");
  // Each frame gets a fresh record, as the display-only preview appends one a frame.
  for (const Step& step : {Step{0, kFrameRendered, 1, 0, out}, Step{40, kFrameReused, 0, 0, ""},
                           Step{400, kFrameRendered, 1, 1, out}, Step{440, kFrameReused, 0, 1, ""},
                           Step{800, kFrameReused, 1, 0, Media("m.avi")}, Step{880, kFrameReused, 0, 2, ""}}) {
    DibPicture picture = testing::NewPicture(kWidth, kHeight);
    SequenceReuse reuse;
    RenderFrameArgs args = Args(picture, step.t);
    args.mode = kRenderModeReuse;
    args.reuse = &reuse;
    args.outFile = out;
    std::int32_t result = -1;
    ASSERT_EQ(RenderFrame(args, &result), kRenderDone);
    EXPECT_EQ(result, step.result) << step.t;
    EXPECT_EQ(reuse.newPicture, step.newPicture) << step.t;
    EXPECT_EQ(reuse.pictureNumber, step.number) << step.t;
    EXPECT_EQ(reuse.name.value_or(""), step.name) << step.t;
    if (step.t == 400) {
      EXPECT_EQ(CardAt(picture, 5, 5), 80);
    }
  }
}

}  // namespace
}  // namespace sprocket

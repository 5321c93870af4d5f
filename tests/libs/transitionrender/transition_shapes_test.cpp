// What particular transitions draw, and how the calls treat their arguments.

#include <gtest/gtest.h>

#include "effectcatalog/test_pictures.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/transitionrender/grey_maps.h"
#include "libs/transitionrender/transition_render.h"
#include "platform/message_pump.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::MakeFilter;
using testing::TestPicture;

constexpr BgrPixel kA{10, 20, 30};
constexpr BgrPixel kB{200, 210, 220};

class TransitionShape : public ::testing::Test {
protected:
  TransitionShape() : a_(8, 6), b_(8, 6), out_(8, 6) {
    a_.Fill(kA);
    b_.Fill(kB);
  }
  void Render(std::int32_t id, float percent, std::vector<EffectFilter> filters = {}) {
    if (filters.empty()) filters.push_back(MakeFilter(id));
    ASSERT_EQ(RenderTransition(id, percent, a_.view(), b_.view(), out_.view(), filters), kEffectDone);
  }
  // One character a pixel, top row first: 'A', 'B' or '.' for a mix.
  std::string Map() const {
    std::string map;
    for (int y = out_.height() - 1; y >= 0; --y) {
      for (int x = 0; x < out_.width(); ++x) {
        const BgrPixel p = out_.At(x, y);
        map += p == kA ? 'A' : p == kB ? 'B' : '.';
      }
      map += '\n';
    }
    return map;
  }
  TestPicture a_, b_, out_;
};

TEST_F(TransitionShape, CrossDissolveBlendsByThePercent) {
  Render(kCrossDissolve, 25.0f);
  // B's weight is 64 / 256: (10 x 192 + 200 x 64 + 128) >> 8 = 58.
  EXPECT_EQ(out_.At(3, 2), (BgrPixel{58, 68, 78}));
}

TEST_F(TransitionShape, DipsPassThroughBlackAndWhite) {
  Render(kDipToBlack, 50.0f);
  EXPECT_EQ(out_.CountEqual(BgrPixel{0, 0, 0}), 48);
  Render(kDipToWhite, 50.0f);
  EXPECT_EQ(out_.CountEqual(BgrPixel{255, 255, 255}), 48);
  Render(kDipToBlack, 75.0f);  // B at half strength
  EXPECT_EQ(out_.At(0, 0), (BgrPixel{100, 105, 110}));
}

TEST_F(TransitionShape, AdditiveDissolveIsBrighterInTheMiddle) {
  Render(kAdditiveDissolve, 50.0f);
  EXPECT_EQ(out_.At(0, 0), (BgrPixel{210, 230, 250}));
  Render(kNonAdditiveDissolve, 50.0f);
  EXPECT_EQ(out_.At(0, 0), kB);
}

TEST_F(TransitionShape, EdgeWipesMoveInTheirDirection) {
  Render(kWipeLeftToRight, 50.0f);
  EXPECT_EQ(Map(), "BBBBAAAA\nBBBBAAAA\nBBBBAAAA\nBBBBAAAA\nBBBBAAAA\nBBBBAAAA\n");
  Render(kWipeTopToBottom, 50.0f);
  EXPECT_EQ(Map(), "BBBBBBBB\nBBBBBBBB\nBBBBBBBB\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\n");
  Render(kWipeFromBottomRight, 25.0f);
  EXPECT_EQ(Map(), "AAAAAAAA\nAAAAAAAA\nAAAAAAAA\nAAAAAAAB\nAAAAAABB\nAAAAABBB\n");
}

TEST_F(TransitionShape, BarnDoorsAndIrisesOpenFromTheCentre) {
  Render(kBarnDoorOpenHorizontal, 50.0f);
  EXPECT_EQ(Map(), "AABBBBAA\nAABBBBAA\nAABBBBAA\nAABBBBAA\nAABBBBAA\nAABBBBAA\n");
  // A pixel whose centre lies exactly on the edge still shows A.
  Render(kBarnDoorCloseVertical, 50.0f);
  EXPECT_EQ(Map(), "BBBBBBBB\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\nBBBBBBBB\n");
  Render(kBarnDoorCloseVertical, 60.0f);
  EXPECT_EQ(Map(), "BBBBBBBB\nBBBBBBBB\nAAAAAAAA\nAAAAAAAA\nBBBBBBBB\nBBBBBBBB\n");
  Render(kIrisBoxOut, 60.0f);
  EXPECT_EQ(Map(), "AAAAAAAA\nAABBBBAA\nAABBBBAA\nAABBBBAA\nAABBBBAA\nAAAAAAAA\n");
}

TEST_F(TransitionShape, ClockWipeSweepsClockwiseFromTwelve) {
  Render(kClockClockwise, 25.0f);
  EXPECT_EQ(Map(), "AAAABBBB\nAAAABBBB\nAAAABBBB\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\n");
  Render(kClockCounterClockwise, 25.0f);
  EXPECT_EQ(Map(), "BBBBAAAA\nBBBBAAAA\nBBBBAAAA\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\n");
}

TEST_F(TransitionShape, CornerWipeAndCheckerboard) {
  Render(kCornerTopLeft, 50.0f);
  EXPECT_EQ(Map(), "BBBBAAAA\nBBBBAAAA\nBBBBAAAA\nAAAAAAAA\nAAAAAAAA\nAAAAAAAA\n");
  Render(kCheckerboard, 50.0f, {MakeFilter(kCheckerboard, {{3, 2}})});
  EXPECT_EQ(Map(), "BBBBAAAA\nBBBBAAAA\nBBBBAAAA\nBBBBAAAA\nAAAABBBB\nAAAABBBB\n");
}

TEST_F(TransitionShape, SoftEdgesMixAlongTheEdge) {
  Render(kWipeLeftToRight, 50.0f, {MakeFilter(kWipeLeftToRight, {{2, 50}})});
  // The ramp is half the width wide and centred on the moving threshold.
  EXPECT_EQ(Map().substr(0, 9), "BB....AA\n");
}

TEST_F(TransitionShape, PushSlideAndUncoverMoveThePictures) {
  a_.FillPattern(1);
  b_.FillPattern(2);
  Render(kPushLeft, 50.0f);
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(out_.At(0, y), a_.At(4, y));
    EXPECT_EQ(out_.At(4, y), b_.At(0, y));
  }
  Render(kSlideLeft + 2, 50.0f);  // slide up: B's top half rises over A's bottom
  EXPECT_EQ(out_.At(5, 0), b_.At(5, 3));
  EXPECT_EQ(out_.At(5, 5), a_.At(5, 5));
  Render(kUncoverLeft + 1, 25.0f);  // uncover right: A moves 2 pixels right
  EXPECT_EQ(out_.At(0, 1), b_.At(0, 1));
  EXPECT_EQ(out_.At(5, 1), a_.At(3, 1));
}

TEST_F(TransitionShape, ZoomInGrowsBFromTheCentre) {
  Render(kZoomInB, 50.0f);
  EXPECT_EQ(Map(), "AAAAAAAA\nAAAAAAAA\nAABBBBAA\nAABBBBAA\nAAAAAAAA\nAAAAAAAA\n");
  Render(kZoomInB, 70.0f);
  EXPECT_EQ(Map(), "AAAAAAAA\nABBBBBBA\nABBBBBBA\nABBBBBBA\nABBBBBBA\nAAAAAAAA\n");
  Render(kSqueeze, 25.0f);
  EXPECT_EQ(Map(), "AAAAAABB\nAAAAAABB\nAAAAAABB\nAAAAAABB\nAAAAAABB\nAAAAAABB\n");
}

TEST_F(TransitionShape, GreyMapWipeFollowsTheGivenPicture) {
  TestPicture map(2, 1, 8);
  map.SetGrey(0, 0, 200);  // the left half turns late
  map.SetGrey(1, 0, 10);   // the right half turns early
  EffectFilter filter = MakeFilter(kGreyMapWipe, {{2, 0}});
  filter.pictures.push_back(map.block());
  Render(kGreyMapWipe, 50.0f, {filter});
  EXPECT_EQ(Map().substr(0, 9), "AAAABBBB\n");
  filter.params[0].values[3] = 1;  // bright parts first
  Render(kGreyMapWipe, 50.0f, {filter});
  EXPECT_EQ(Map().substr(0, 9), "BBBBAAAA\n");
}

TEST_F(TransitionShape, SequenceRunsItsStepsOneAfterTheOther) {
  const std::vector<EffectFilter> sequence{MakeFilter(kEffectSequence), MakeFilter(kWipeLeftToRight),
                                           MakeFilter(kWipeTopToBottom)};
  // Half way the first step is done: the key picture between A and B.
  Render(kEffectSequence, 50.0f, sequence);
  EXPECT_EQ(out_.CountEqual(BgrPixel{105, 115, 125}), 48);
  // A quarter in, the first step wipes A towards that key picture.
  Render(kEffectSequence, 25.0f, sequence);
  EXPECT_EQ(Map(), "....AAAA\n....AAAA\n....AAAA\n....AAAA\n....AAAA\n....AAAA\n");
  // Without steps the sequence is a cross dissolve.
  Render(kEffectSequence, 25.0f);
  EXPECT_EQ(out_.At(0, 0), (BgrPixel{58, 68, 78}));
}

TEST_F(TransitionShape, ValuesMoveFromTheFirstSetToTheSecond) {
  const EffectFilter filter = MakeFilter(kBlindsVertical, {{3, 1}}, {{3, 2}});
  ASSERT_EQ(RenderTransition(kBlindsVertical, 50.0f, a_.view(), b_.view(), out_.view(), {&filter, 1}, 0.0f),
            kEffectDone);
  EXPECT_EQ(Map().substr(0, 9), "BBBBAAAA\n");  // one band
  ASSERT_EQ(RenderTransition(kBlindsVertical, 50.0f, a_.view(), b_.view(), out_.view(), {&filter, 1}, 100.0f),
            kEffectDone);
  EXPECT_EQ(Map().substr(0, 9), "BBAABBAA\n");  // two bands
}

TEST(TransitionCalls, UnknownIdIsDrawnAsCrossDissolve) {
  TestPicture a(4, 2), b(4, 2), out(4, 2), expected(4, 2);
  a.Fill(kA);
  b.Fill(kB);
  ASSERT_EQ(RenderTransitionFrame(0, 777, 25.0f, a.block(), b.block(), out.block(), 0, 0, {}, 0.0f, 0, 25, 1),
            kEffectDone);
  ASSERT_EQ(RenderTransition(kCrossDissolve, 25.0f, a.view(), b.view(), expected.view()), kEffectDone);
  EXPECT_EQ(out.Pixels(), expected.Pixels());
}

TEST(TransitionCalls, MissingSidesAreBlackAndBadPicturesAreRefused) {
  TestPicture a(4, 2), out(4, 2), small(3, 2), grey(4, 2, 8);
  a.Fill(kA);
  ASSERT_EQ(RenderTransitionFrame(0, kWipeLeftToRight, 50.0f, a.block(), nullptr, out.block(), 0, 0, {}, 0, 0, 25, 1),
            kEffectDone);
  EXPECT_EQ(out.At(0, 0), (BgrPixel{0, 0, 0}));
  EXPECT_EQ(out.At(3, 0), kA);

  out.Fill(kB);
  EXPECT_EQ(
      RenderTransitionFrame(0, kCrossDissolve, 50.0f, a.block(), small.block(), out.block(), 0, 0, {}, 0, 0, 25, 1),
      kEffectBadPicture);
  EXPECT_EQ(
      RenderTransitionFrame(0, kCrossDissolve, 50.0f, a.block(), grey.block(), out.block(), 0, 0, {}, 0, 0, 25, 1),
      kEffectBadPicture);
  EXPECT_EQ(RenderTransitionFrame(0, kCrossDissolve, 50.0f, a.block(), a.block(), nullptr, 0, 0, {}, 0, 0, 25, 1),
            kEffectBadPicture);
  EXPECT_EQ(out.CountEqual(kB), 8) << "nothing is written for a bad picture";
}

TEST(TransitionCalls, StopRequestsAnswerMinusTwo) {
  TestPicture a(300, 200), b(300, 200), out(300, 200);
  int calls = 0;
  const RenderPumpCallback stopOnSecondCall = [&calls] { return ++calls >= 2 ? 1 : 0; };
  EXPECT_EQ(RenderTransitionFrame(0, kSoftClouds, 50.0f, a.block(), b.block(), out.block(), 0, 0, {}, 0, 0, 25, 1,
                                  nullptr, stopOnSecondCall),
            kEffectStopped);
  EXPECT_EQ(calls, 2);

  RequestAbort();
  EXPECT_EQ(RenderTransitionFrame(0, kCrossDissolve, 50.0f, a.block(), b.block(), out.block(), 0, 0, {}, 0, 0, 25, 1),
            kEffectStopped);
  ClearAbort();
}

TEST(TransitionCalls, ToFileVariantMakesTheMaskOpaque) {
  TestPicture a(4, 2), b(4, 2), out(4, 2), mask(4, 2);
  a.Fill(kA);
  b.Fill(kB);
  EffectFileWorkBlock work;
  ASSERT_EQ(RenderTransitionFrameToFile(0, kWipeLeftToRight, 50.0f, a.block(), b.block(), out.block(), mask.block(), {},
                                        0.0f, 0, 25, &work, 1),
            kEffectDone);
  EXPECT_EQ(out.At(0, 0), kB);
  EXPECT_EQ(mask.CountEqual(BgrPixel{128, 128, 128}), 8);
}

TEST(GreyMaps, SoftWipeMapsRiseInTheirDirection) {
  const EffectDescriptor& effect = *FindTransition(kSoftLeftToRight);
  const std::vector<std::uint8_t> map = MakeGreyMap(kSoftLeftToRight, ResolveEffectValues(effect, nullptr, 0), 4, 1);
  EXPECT_EQ(map, (std::vector<std::uint8_t>{32, 96, 160, 224}));
  EXPECT_TRUE(MakeGreyMap(kCrossDissolve, ResolveEffectValues(effect, nullptr, 0), 4, 1).empty());

  HGLOBAL dib = MakeGreyMapDib(kSoftCircle, 5, 3);
  ASSERT_NE(dib, nullptr);
  {
    GlobalLockGuard<std::uint8_t> bytes(dib);
    const DibInfoHeader header = ReadDibHeader(bytes.get());
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biSizeImage, 24u);
    EXPECT_EQ(GlobalSize(dib), 1064u + 24u);
    EXPECT_EQ(bytes.get()[kDibHeaderSize + 4 * 77], 77);  // grey palette
    // The centre of a circle map is darkest, the corners brightest.
    const std::uint8_t* pixels = bytes.get() + kDibMaskPixelOffset;
    EXPECT_LT(pixels[8 + 2], pixels[8 + 0]);
    EXPECT_LT(pixels[8 + 0], pixels[0]);
  }
  GlobalFree(dib);
  EXPECT_EQ(MakeGreyMapDib(kCrossDissolve, 5, 3), nullptr);
}

}  // namespace
}  // namespace sprocket

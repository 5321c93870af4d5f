#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "libs/clipmedia/clip_media_lib.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/media/audio_sample_reader.h"
#include "platform/media/avi_writer.h"
#include "platform/message_pump.h"
#include "render/output/render_pump.h"
#include "render/picture/picture_ops.h"
#include "render/sources/track_list.h"
#include "source_test_media.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::PixelOf;

std::unique_ptr<TrackList> Chain(int tracks) {
  auto chain = std::make_unique<TrackList>();
  chain->BuildTrackList(tracks);
  return chain;
}

RenderList VideoEntry(int track, const std::string& path) {
  RenderList list;
  RenderEntry& entry = list.entries.emplace_back();
  entry.trackLetter = kTrackVideo;
  entry.trackNumber = track;
  entry.main.fileName = path;
  return list;
}

TEST(TrackListChain, NodesAreNumberedAndFoundByTrack) {
  auto chain = Chain(10);
  TrackList* last = chain->FindNode(10);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->Next(), nullptr);
  EXPECT_EQ(last->Head(), chain.get());
  EXPECT_EQ(chain->FindNode(11), nullptr);
  EXPECT_EQ(chain->FindNode(4)->SideNode(0)->TrackNumber(), 3);
  EXPECT_EQ(chain->FindNode(4)->SideNode(1)->TrackNumber(), 5);
  EXPECT_EQ(chain->SideNode(0), nullptr);
  EXPECT_EQ(last->SideNode(1), nullptr);
  chain->BuildTrackList(3);
  EXPECT_EQ(chain->FindNode(4), nullptr);
  EXPECT_EQ(chain->FindNode(3)->Prev()->TrackNumber(), 2);
  FreeTrackList(chain);
  EXPECT_EQ(chain, nullptr);
}

TEST(TrackListChain, FileTypesLookFromTheFirstDotOfTheFileName) {
  auto chain = Chain(1);
  struct Case {
    const char* path;
    bool avi, flic, still, sequence;
  };
  for (const Case& c :
       {Case{"/clips/take.avi", true, false, false, false}, Case{"/clips/take.part.avi", false, false, true, false},
        Case{"/home/u/v1.2/take.AVI", true, false, false, false}, Case{"/a/spin.FLC", false, true, false, false},
        Case{"/a/spin.fli", false, true, false, false}, Case{"/a/title.seq", false, false, false, true},
        Case{"/a/card.bmp", false, false, true, false}, Case{"/a/tone.wav", false, false, false, false},
        Case{"/a.b/noext", false, false, false, false}}) {
    chain->OpenRenderSources(VideoEntry(1, c.path), nullptr, 16, 16, 0);
    EXPECT_EQ(chain->IsAviSource(), c.avi) << c.path;
    EXPECT_EQ(chain->IsFlicSource(), c.flic) << c.path;
    EXPECT_EQ(chain->IsStillSource(), c.still) << c.path;
    EXPECT_EQ(chain->IsSequenceSource(), c.sequence) << c.path;
  }
}

class TrackSources : public ::testing::Test {
protected:
  testing::TempDir dir_;
};

TEST_F(TrackSources, MoviesReadOnFromFrameToFrameWithoutReopeningOrSeeking) {
  const std::string clip = (dir_ / "cards.avi").string();
  ASSERT_EQ(testing::WriteCardAvi(clip, 12, 32, 24), "");
  auto chain = Chain(3);
  TrackList* node = chain->FindNode(2);
  for (int frame = 0; frame < 12; ++frame) {
    chain->OpenRenderSources(VideoEntry(2, clip), nullptr, 32, 24, 0);
    const DibPicture picture = node->GetAviFrameDib(frame);
    ASSERT_TRUE(picture);
    EXPECT_EQ(PixelOf(picture.data(), 5, 7), (Bgr{frame, 5, 7}));
  }
  EXPECT_EQ(node->OpenCount(), 1);
  EXPECT_LE(node->DecoderSeekCount(), 1);
  EXPECT_EQ(node->Kind(), SourceKind::kAvi);
  EXPECT_FALSE(node->GetAviFrameDib(12));
  // Going back seeks; the picture is still the one asked for.
  EXPECT_EQ(PixelOf(node->GetAviFrameDib(3).data(), 0, 0).blue, 3);
}

TEST_F(TrackSources, FramesInAnyOrderAreThoseOfAFreshReader) {
  const std::string clip = (dir_ / "gop.avi").string();
  ASSERT_EQ(testing::WriteCardAvi(clip, 12, 32, 24, MakeFourCC("FMP4"), 5), "");
  auto chain = Chain(1);
  chain->OpenRenderSources(VideoEntry(1, clip), nullptr, 32, 24, 0);
  for (int frame : {5, 0, 9, 3, 3, 4, 11, 6}) {
    const DibPicture kept = chain->GetAviFrameDib(frame);
    const DibPicture fresh = DibPicture::AdoptLocked(ScaleClipFrame(clip, frame, nullptr));
    ASSERT_TRUE(kept);
    ASSERT_TRUE(fresh);
    const std::optional<PictureGeometry> a = ReadPictureGeometry(kept.data());
    const std::optional<PictureGeometry> b = ReadPictureGeometry(fresh.data());
    ASSERT_EQ(a->stride * a->height, b->stride * b->height);
    EXPECT_EQ(std::memcmp(a->pixels, b->pixels, static_cast<std::size_t>(a->stride) * a->height), 0)
        << "frame " << frame;
  }
}

TEST_F(TrackSources, SameNameKeepsTheSourceAnEmptyNameReopens) {
  const std::string clip = (dir_ / "cards.avi").string();
  ASSERT_EQ(testing::WriteCardAvi(clip, 2, 16, 16), "");
  auto chain = Chain(1);
  chain->OpenRenderSources(VideoEntry(1, clip), nullptr, 16, 16, 0);
  chain->OpenRenderSources(VideoEntry(1, clip), nullptr, 16, 16, 0);
  EXPECT_EQ(chain->OpenCount(), 1);
  chain->OpenRenderSources(VideoEntry(1, ""), nullptr, 16, 16, 0);
  chain->OpenRenderSources(VideoEntry(1, ""), nullptr, 16, 16, 0);
  EXPECT_EQ(chain->OpenCount(), 3);
}

TEST_F(TrackSources, AnimationsGoBackToTheStartForEarlierFrames) {
  const auto flc = dir_ / "spin.flc";
  ASSERT_EQ(testing::WriteCardFlc(flc, 8, 10, 6), "");
  auto chain = Chain(1);
  chain->OpenRenderSources(VideoEntry(1, flc.string()), nullptr, 10, 6, 0);
  ASSERT_EQ(chain->Kind(), SourceKind::kFlic);
  const DibPicture fifth = chain->GetFlicFrameDib(5);
  ASSERT_TRUE(fifth);
  EXPECT_EQ(fifth.BitCount(), 8);
  EXPECT_EQ(fifth.Header().biClrUsed, 256u);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(PixelOf(fifth.data(), 3, y).blue, 5 + y);
  const DibPicture second = chain->GetFlicFrameDib(2);
  for (int y = 0; y < 6; ++y) EXPECT_EQ(PixelOf(second.data(), 9, y).blue, 2 + y);
  // Past the end: the last frame.
  EXPECT_EQ(PixelOf(chain->GetFlicFrameDib(40).data(), 0, 0).blue, 7);
  // Colours: the grey palette of the animation.
  EXPECT_EQ(second.data()[40 + 4 * 77], 77);
}

TEST_F(TrackSources, StillsOpenOnceCroppedWithTheirAlpha) {
  const auto tga = dir_ / "logo.tga";
  testing::WriteTga32(tga, 20, 10, [](int x, int) { return x < 10 ? 0 : 255; });
  const std::size_t imagesBefore = ImageFiles().ImageCount();
  TLEvent head;
  head.cropMargins.Set(2, 3, 1, 4);
  auto chain = Chain(2);
  TrackList* node = chain->FindNode(2);
  for (int frame = 0; frame < 3; ++frame) chain->OpenRenderSources(VideoEntry(2, tga.string()), &head, 15, 5, 0);
  EXPECT_EQ(node->OpenCount(), 1);
  EXPECT_EQ(node->Kind(), SourceKind::kStill);
  const ImageHandle picture = node->GetStillImage();
  const ImageHandle alpha = node->GetAlphaImage();
  ASSERT_GE(picture, 0);
  ASSERT_GE(alpha, 0);
  const DibPicture colour = CopyImageDib(picture);
  EXPECT_EQ(colour.Width(), 15);
  EXPECT_EQ(colour.Height(), 5);
  EXPECT_EQ(PixelOf(colour.data(), 0, 0), (Bgr{2, 4, 77}));
  const DibPicture weights = CopyImageDib(alpha);
  EXPECT_EQ(PixelOf(weights.data(), 7, 0).blue, 0);
  EXPECT_EQ(PixelOf(weights.data(), 8, 0).blue, 128);

  // Another still (here a missing one) lets the first one go with its alpha.
  chain->OpenRenderSources(VideoEntry(2, (dir_ / "other.bmp").string()), &head, 15, 5, 0);
  EXPECT_EQ(node->GetAlphaImage(), kNoImage);
  chain->CloseTrackSources();
  EXPECT_EQ(node->Path(), "");
  EXPECT_EQ(ImageFiles().ImageCount(), imagesBefore);
}

TEST_F(TrackSources, TransitionSidesOpenOnTheNodesBesideTheTransition) {
  const std::string a = (dir_ / "a.avi").string();
  const std::string b = (dir_ / "b.avi").string();
  ASSERT_EQ(testing::WriteCardAvi(a, 2, 16, 16), "");
  ASSERT_EQ(testing::WriteCardAvi(b, 2, 16, 16), "");
  auto chain = Chain(3);
  RenderList list;
  RenderEntry& entry = list.entries.emplace_back();
  entry.trackLetter = kTrackTransition;
  entry.trackNumber = 2;
  entry.sideA.fileName = a;
  entry.sideB.fileName = b;
  chain->OpenRenderSources(list, nullptr, 16, 16, 0);
  EXPECT_EQ(chain->FindNode(1)->Path(), a);
  EXPECT_EQ(chain->FindNode(2)->Path(), "");
  EXPECT_EQ(chain->FindNode(3)->Path(), b);
  EXPECT_EQ(PixelOf(chain->FindNode(3)->GetAviFrameDib(1).data(), 0, 0).blue, 1);
  // At the ends of the chain a side has no node and is left out.
  list.entries.front().trackNumber = 1;
  chain->OpenRenderSources(list, nullptr, 16, 16, 0);
  EXPECT_EQ(chain->FindNode(2)->Path(), b);
  list.entries.front().trackNumber = 3;
  chain->OpenRenderSources(list, nullptr, 16, 16, 0);
  EXPECT_EQ(chain->FindNode(2)->Path(), a);
}

// --- Trailing effect ---

RenderList TrailingEntry(const std::string& path, int mode, int count, int level) {
  RenderList list = VideoEntry(1, path);
  TLFilter filter;
  filter.id = kFilterTrailingEffect;
  TLFilterParam param;
  param.values[0] = mode;
  param.values[1] = count;
  param.values[2] = level;
  filter.params.push_back(param);
  list.entries.front().main.filters.push_back(filter);
  return list;
}

DibPicture GreyMask(int width, int height, std::uint8_t value) {
  DibPicture mask = DibPicture::Grey8(width, height);
  std::memset(mask.data() + 1064, value, mask.Header().biSizeImage);
  return mask;
}

class Trailing : public TrackSources {
protected:
  // Two frames: a card under a full mask, then an empty mask; answers the
  // second frame's picture and alpha.
  std::pair<DibPicture, DibPicture> TwoFrames(int mode, int count, const AccumulationFilterRenderer& decay = {}) {
    auto chain = Chain(1);
    chain->OpenRenderSources(TrailingEntry("", mode, count, 40), nullptr, 12, 8, 0);
    EXPECT_TRUE(chain->AccumulationActive());
    DibPicture first = DibPicture::Adopt(testing::MakeCard(90, 12, 8));
    DibPicture firstAlpha = GreyMask(12, 8, 128);
    chain->ApplyAccumulationPass(first.data(), firstAlpha.data(), decay);
    EXPECT_EQ(PixelOf(first.data(), 3, 3), (Bgr{90, 3, 3}));
    chain->OpenRenderSources(TrailingEntry("", mode, count, 40), nullptr, 12, 8, 0);
    DibPicture second = DibPicture::Adopt(testing::MakeCard(10, 12, 8));
    DibPicture secondAlpha = GreyMask(12, 8, 0);
    chain->ApplyAccumulationPass(second.data(), secondAlpha.data(), decay);
    return {std::move(second), std::move(secondAlpha)};
  }
};

TEST_F(Trailing, CountOneHundredKeepsTheTrailWhole) {
  const auto [picture, alpha] = TwoFrames(1, 100);
  EXPECT_EQ(PixelOf(picture.data(), 3, 3), (Bgr{90, 3, 3}));
  EXPECT_EQ(PixelOf(alpha.data(), 3, 3).blue, 128);
}

TEST_F(Trailing, CountTenHalvesTheTrailEachFrame) {
  const auto [picture, alpha] = TwoFrames(1, 10);
  EXPECT_EQ(PixelOf(picture.data(), 3, 3), (Bgr{90, 3, 3}));
  EXPECT_EQ(PixelOf(alpha.data(), 3, 3).blue, 64);
}

TEST_F(Trailing, DecayModesRunTheirFilterOnTheTrail) {
  std::vector<std::pair<int, int>> calls;
  const AccumulationFilterRenderer decay = [&calls](const TLFilter& filter, const std::uint8_t* source,
                                                    std::uint8_t* destination) {
    calls.emplace_back(filter.id, filter.params.front().values[0] + filter.params.front().values[1]);
    const std::optional<PictureGeometry> to = ReadPictureGeometry(destination);
    std::memcpy(destination, source, 40);
    std::memset(to->pixels, 33, static_cast<std::size_t>(to->stride) * to->height);
    return 0;
  };
  const auto [picture, alpha] = TwoFrames(2, 100, decay);
  EXPECT_EQ(PixelOf(picture.data(), 3, 3), (Bgr{33, 33, 33}));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], std::make_pair(static_cast<int>(kFilterBlur), 40));
  calls.clear();
  TwoFrames(3, 100, decay);
  EXPECT_EQ(calls.at(0), std::make_pair(static_cast<int>(kFilterHueSaturation), 72));
}

TEST_F(Trailing, BuffersFollowTheFrameSizeAndOtherSizesAreLeftAlone) {
  auto chain = Chain(1);
  chain->OpenRenderSources(TrailingEntry("", 1, 100, 0), nullptr, 12, 8, 0);
  chain->OpenRenderSources(TrailingEntry("", 1, 100, 0), nullptr, 12, 6, 0);
  EXPECT_EQ(chain->AccumulatedPicture().Height(), 6);
  EXPECT_EQ(chain->AccumulatedAlpha().Height(), 6);
  DibPicture picture = DibPicture::Adopt(testing::MakeCard(5, 12, 8));
  DibPicture alpha = GreyMask(12, 8, 128);
  chain->ApplyAccumulationPass(picture.data(), alpha.data());
  EXPECT_EQ(PixelOf(chain->AccumulatedPicture().data(), 0, 0), (Bgr{0, 0, 0}));
  // Without the filter the pass does nothing.
  chain->OpenRenderSources(VideoEntry(1, ""), nullptr, 12, 8, 0);
  EXPECT_FALSE(chain->AccumulationActive());
}

// --- Scrubbing, sound and the pump ---

class CountingScrub : public AudioScrubLibrary {
public:
  int ReadAviFile(const std::string&, std::span<std::uint8_t> block) override {
    ++aviReads;
    block[0] = 1;
    return 1;
  }
  int ReadWaveFile(const std::string&, std::span<std::uint8_t> block) override {
    ++waveReads;
    block[0] = 2;
    return 1;
  }
  void CleanupScrubbing(std::span<std::uint8_t> block) override { aviCleanups += block.size() == 164 ? 1 : 100; }
  void CleanupWaveScrubbing(std::span<std::uint8_t> block) override { waveCleanups += block.size() == 24 ? 1 : 100; }
  int aviReads = 0, waveReads = 0, aviCleanups = 0, waveCleanups = 0;
};

ClipSlice AviSlice(int track, const std::string& path, int frame, int length) {
  ClipSlice slice;
  slice.trackType = kTrackVideo;
  slice.trackNumber = track;
  slice.path = path;
  slice.sourcePosition = frame;
  slice.mediaType = kMediaAvi;
  AviClipHeader header{};
  header.file.length = static_cast<std::uint32_t>(length);
  header.wave.bitsPerSample = 16;
  slice.header = ClipMediaHeader(header);
  slice.clipStart = 1000;
  slice.clipEnd = 5000;
  return slice;
}

TEST(TrackScrub, SlicesAreAssignedAndLeftNodesEmptied) {
  CountingScrub scrub;
  auto chain = Chain(3);
  ClipSlice wave;
  wave.trackType = kTrackAudio;
  wave.trackNumber = 3;
  wave.path = "/a/tone.wav";
  wave.mediaType = kMediaWav;
  wave.sourcePosition = 10;
  wave.rate = 25.0f;
  WavClipHeader wav{};
  wav.avgBytesPerSec = 1000;
  wav.dataSize = 2000;  // 2 s: 50 frames at 25 a second
  wave.header = ClipMediaHeader(wav);
  chain->UpdateTrackList({AviSlice(1, "/a/take.avi", 5, 20), wave}, &scrub);
  EXPECT_EQ(scrub.aviReads, 1);
  EXPECT_EQ(scrub.waveReads, 1);
  EXPECT_FLOAT_EQ(chain->PositionRatio(), 0.25f);
  EXPECT_FLOAT_EQ(chain->FindNode(3)->PositionRatio(), 0.2f);
  EXPECT_EQ(chain->ClipStart(), 1000);
  EXPECT_EQ(chain->AviScrubBlock().size(), 164u);
  EXPECT_EQ(chain->AviScrubBlock()[0], 1);

  // The same clip again keeps its blocks; clips that left are cleaned up,
  // the last node of the chain included.
  chain->UpdateTrackList({AviSlice(1, "/a/take.avi", 40, 20)}, &scrub);
  EXPECT_EQ(scrub.aviReads, 1);
  EXPECT_FLOAT_EQ(chain->PositionRatio(), 2.0f);
  EXPECT_EQ(scrub.waveCleanups, 1);
  EXPECT_EQ(chain->FindNode(3)->Path(), "");
  EXPECT_TRUE(chain->FindNode(3)->WaveScrubBlock().empty());
  chain->UpdateTrackList({AviSlice(1, "/a/take.avi", -4, 0)}, &scrub);
  EXPECT_FLOAT_EQ(chain->PositionRatio(), 0.0f);
  chain->UpdateTrackList({AviSlice(1, "/a/take.avi", 4000, 20)}, &scrub);
  EXPECT_FLOAT_EQ(chain->PositionRatio(), 100.0f);
  FreeTrackList(chain);
  EXPECT_EQ(scrub.aviCleanups, 1);
}

TEST_F(TrackSources, TrackSoundIsReadFromTheNode) {
  const std::string clip = (dir_ / "sound.avi").string();
  {
    AviVideoFormat video;
    video.width = 16;
    video.height = 16;
    AviWriter writer;
    ASSERT_TRUE(writer.Open(clip, video, AviAudioFormat{16, 8000, 1}));
    std::vector<std::int16_t> samples(320);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i * 7);
    for (int frame = 0; frame < 5; ++frame) {
      GlobalBlock card = testing::MakeCard(frame, 16, 16);
      ASSERT_TRUE(writer.WriteFrame(card.get()));
      ASSERT_TRUE(writer.WriteAudio(samples.data() + frame * 64, 128));
    }
    ASSERT_TRUE(writer.Finish());
  }
  auto chain = Chain(2);
  EXPECT_FALSE(chain->OpenTrackAudio(clip, 7));
  ASSERT_TRUE(chain->OpenTrackAudio(clip, 2));
  std::int16_t buffer[10] = {};
  ASSERT_EQ(ReadAviSamples(chain->FindNode(2)->AudioStream(), 100, buffer, sizeof buffer, 10), 1);
  EXPECT_EQ(buffer[0], 700);
  EXPECT_EQ(buffer[9], 763);
  EXPECT_EQ(ReadAviSamples(nullptr, 0, buffer, sizeof buffer, 1), 0);
}

TEST(RenderPump, StopRequestsSetTheJobsAbortFlag) {
  int pumped = 0;
  SetPumpHook([&pumped] {
    if (++pumped == 3) RequestAbort();
  });
  std::int32_t abortFlag = 0;
  const PumpControl control{&abortFlag, 1};
  const std::function<int()> pump = MakeRenderPump(&control);
  EXPECT_EQ(pump(), 0);
  EXPECT_EQ(PumpRenderMessages(nullptr), 0);
  EXPECT_EQ(pump(), 1);
  EXPECT_EQ(abortFlag, 1);
  ClearAbort();
  EXPECT_EQ(pump(), 1);  // the job's flag stays set
  abortFlag = 0;
  EXPECT_EQ(pump(), 0);
  SetPumpHook({});
}

}  // namespace
}  // namespace sprocket

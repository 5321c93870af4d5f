#include "render/audio/audio_mixdown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

#include "audio_test_media.h"
#include "libs/audiopreview/audio_preview_lib.h"
#include "outside_tools.h"
#include "platform/application_state.h"
#include "platform/message_pump.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::TempDir;
using testing::WaveSamples;

// Records what the mixdown shows and stops it after a number of frames.
class RecordingProgress : public MixdownProgress {
public:
  explicit RecordingProgress(int stopAfter = -1) : stopAfter_(stopAfter) {}
  void ShowTimeCode(std::int32_t ms) override { timeCodes.push_back(ms); }
  void ShowRenderProgress(double ms) override {
    progress.push_back(ms);
    if (static_cast<int>(progress.size()) == stopAfter_) RequestAbort();
  }
  std::vector<std::int32_t> timeCodes;
  std::vector<double> progress;

private:
  int stopAfter_;
};

// A stream that fails from one write on.
class FailingStream : public MixedAudioStream {
public:
  explicit FailingStream(int failAt) : failAt_(failAt) {}
  bool WriteSamples(std::int64_t start, std::int64_t samples, const void*, std::size_t bytes) override {
    starts.push_back(start);
    EXPECT_EQ(static_cast<std::size_t>(samples) * 4, bytes);
    return static_cast<int>(starts.size()) < failAt_;
  }
  std::vector<std::int64_t> starts;

private:
  int failAt_;
};

class AudioMixdownTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearAbort();
    TheApp().autoCrossFade = 1;
  }
  void TearDown() override { ClearAbort(); }

  // A timeline at `rate` with tracks of the given types.
  EventListSlot Timeline(std::int32_t rate, const std::string& types = "A") {
    EventListSlot head = NewTimeline(rate, 600000);
    for (char type : types) AppendTrack(head.get(), type);
    return head;
  }

  // A constant (per channel) WAV file of `seconds`.
  std::filesystem::path ConstantWave(const std::string& name, int channels, int rate, int bits, double seconds,
                                     int left, int right = 0) {
    const auto path = dir_ / name;
    testing::WriteTestWave(path, channels, rate, bits, static_cast<std::int64_t>(seconds * rate),
                           [&](std::int64_t, int c) { return c == 0 ? left : right; });
    return path;
  }

  TLEvent* AddClip(TLEvent* head, int track, std::int32_t in, std::int32_t out, const std::filesystem::path& path,
                   std::int32_t playIn, std::int32_t playOut, std::int32_t speed = 100) {
    TLEventFields fields = testing::MediaClipFields(path, playIn, playOut);
    fields.speed = speed;
    fields.volume = FlatEnvelope();
    fields.balance = FlatEnvelope();
    TLEvent* clip = InsertClip(head, track, in, out, fields);
    EXPECT_NE(clip, nullptr);
    return clip;
  }

  int Mix(const TLEvent* head, int bits, int channels, int rate, std::int32_t start, std::int32_t end,
          MixdownProgress* progress = nullptr, const std::string& name = "out.wav") {
    const auto path = dir_ / name;
    WaveOutputFile wav;
    EXPECT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
    return MixdownAudio(progress, &wav, nullptr, head, bits, channels, rate, 5, 1, start, end);
  }

  WaveSamples Output(const std::string& name = "out.wav") { return testing::ReadTestWave(dir_ / name); }

  std::string Bytes(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  TempDir dir_;
  testing::ScopedConfigDir config_;
  testing::ScriptedPrompts prompts_;
};

TEST(MixFramesTest, FrameBoundariesFallOnTheSamplesOfTheirTimes) {
  for (std::int64_t f = 0; f < 100; ++f) EXPECT_EQ(FrameSampleCount(f, 2500, 44100), 1764) << f;
  EXPECT_EQ(FrameSampleCount(7, 3000, 22050), 735);
  // 29.97: 1471 or 1472 samples, 100 seconds after 2997 frames exactly.
  EXPECT_EQ(FrameSampleStart(2997, 2997, 44100), 4410000);
  for (std::int64_t f = 0; f < 60; ++f) {
    const std::int64_t count = FrameSampleCount(f, 2997, 44100);
    EXPECT_TRUE(count == 1471 || count == 1472) << f;
  }
  for (std::int32_t rate : {2400, 2500, 3000, 5000, 6000}) {
    EXPECT_EQ(FrameSampleStart(rate / 100, rate, 44100), 44100) << rate;
  }
  EXPECT_EQ(FrameSampleStart(5994, 5994, 11025), 1102500);
  EXPECT_EQ(MixFrameOfTime(1001, 2997), 30);
  EXPECT_EQ(MixFrameOfTime(20, 2500), 1);  // halves round up
  EXPECT_EQ(MixFrameOfTime(19, 2500), 0);
}

TEST(MixFramesTest, ReadCountsStayNearTheNormalCount) {
  EXPECT_EQ(AlignedByteCount(100, 200, 2.0), 200);
  EXPECT_EQ(AlignedByteCount(100, 50, 0.5), 50);
  EXPECT_EQ(AlignedByteCount(100, 900, 2.0), 299);  // at most three times
  EXPECT_EQ(AlignedByteCount(100, 0, 0.5), 34);     // at least a third, never 0
  EXPECT_EQ(AlignedByteCount(100, -40, 0.5), 34);
  EXPECT_EQ(AlignedByteCount(100, 90, 1.001), 100);  // a ratio above 1 reads no less
  EXPECT_EQ(AlignedByteCount(100, 110, 0.5), 100);   // a ratio below 1 reads no more
}

TEST_F(AudioMixdownTest, OutputLengthAndLevelHoldAtEveryFrameRate) {
  // 3200 is exact through every depth, channel and rate conversion.
  const auto source = ConstantWave("c.wav", 1, 11025, 16, 6.0, 3200);
  for (std::int32_t rate : {2400, 2500, 2997, 3000, 5000, 5994, 6000}) {
    EventListSlot head = Timeline(rate);
    AddClip(head.get(), 1, 0, 6000, source, 0, 6000);
    ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 1000, 3000), kMixdownDone) << rate;
    const WaveSamples out = Output();
    const std::int64_t first = MixFrameOfTime(1000, rate);
    const std::int64_t end = MixFrameOfTime(3000, rate);
    EXPECT_EQ(out.Frames(), FrameSampleStart(end, rate, 44100) - FrameSampleStart(first, rate, 44100)) << rate;
    if (rate % 100 == 0) {
      EXPECT_EQ(out.Frames(), 88200) << rate;
    }
    std::int64_t wrong = 0;
    for (int s : out.samples) wrong += s != 3200;
    EXPECT_EQ(wrong, 0) << rate;
  }
}

TEST_F(AudioMixdownTest, RangesMixedApartJoinWithoutDrift) {
  const auto voice = dir_ / "voice.wav";
  testing::WriteTestWave(voice, 1, 22050, 16, 22050 * 6, [](std::int64_t i, int) {
    return static_cast<int>(std::lround(9000 * std::sin(i * 0.031) + 3000 * std::sin(i * 0.0021)));
  });
  const auto music = ConstantWave("music.wav", 2, 44100, 8, 6.0, 40, -30);
  EventListSlot head = Timeline(2997, "AA");
  AddClip(head.get(), 1, 500, 5000, voice, 200, 4700);
  AddClip(head.get(), 2, 0, 4000, music, 0, 2000, 50);
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 4000, nullptr, "whole.wav"), kMixdownDone);
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 1700, nullptr, "a.wav"), kMixdownDone);
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 1700, 4000, nullptr, "b.wav"), kMixdownDone);
  const std::string whole = Bytes("whole.wav").substr(44);
  const std::string joined = Bytes("a.wav").substr(44) + Bytes("b.wav").substr(44);
  ASSERT_EQ(joined.size(), whole.size());
  EXPECT_TRUE(joined == whole);
}

TEST_F(AudioMixdownTest, SourceFormatsConvertExactly) {
  // Left 16384, right -16384 in every source format (8-bit: 64 and -64).
  struct Source {
    int channels, rate, bits;
  };
  const Source sources[] = {{1, 11025, 8}, {2, 11025, 16}, {1, 22050, 16},
                            {2, 22050, 8}, {2, 44100, 16}, {1, 44100, 8}};
  for (const Source& s : sources) {
    const int scale = s.bits == 8 ? 1 : 256;
    const std::string name = std::to_string(s.channels) + "_" + std::to_string(s.rate) + "_" + std::to_string(s.bits);
    const auto path = ConstantWave(name + ".wav", s.channels, s.rate, s.bits, 3.0, 64 * scale, -64 * scale);
    EventListSlot head = Timeline(2997);
    AddClip(head.get(), 1, 0, 3000, path, 0, 3000);
    for (const auto& [bits, channels, rate] :
         {std::tuple{16, 2, 44100}, std::tuple{8, 1, 11025}, std::tuple{16, 1, 22050}, std::tuple{8, 2, 22050}}) {
      ASSERT_EQ(Mix(head.get(), bits, channels, rate, 0, 2000), kMixdownDone);
      const WaveSamples out = Output();
      ASSERT_EQ(out.bits, bits);
      const int unit = bits == 8 ? 64 : 16384;
      std::int64_t wrong = 0;
      for (std::int64_t i = 0; i < out.Frames(); ++i) {
        for (int c = 0; c < channels; ++c) {
          // Mono output keeps the left channel; a mono source fills both.
          const int expected = c == 1 && s.channels == 2 ? -unit : unit;
          wrong += out.At(i, c) != expected;
        }
      }
      EXPECT_EQ(wrong, 0) << name << " into " << bits << "/" << channels << "/" << rate;
    }
  }
}

TEST_F(AudioMixdownTest, VolumeEnvelopeRampsEachFrame) {
  const auto path = ConstantWave("flat.wav", 1, 44100, 16, 2.0, 10000);
  EventListSlot head = Timeline(2500);
  TLEvent* clip = AddClip(head.get(), 1, 0, 2000, path, 0, 2000);
  clip->volume = {{10000, 0}, {0, 10000}};
  // Frame 10 of 50: 400 ms into 2000 ms from 100 % to 0 %: 80 % to 78 %.
  EXPECT_EQ(EnvelopeFrameLevels(*clip, 10, 2500), (FrameLevels{80, 78}));
  ASSERT_EQ(Mix(head.get(), 16, 1, 44100, 0, 2000), kMixdownDone);
  const WaveSamples out = Output();
  ASSERT_EQ(out.Frames(), 88200);
  for (int j = 0; j < 1764; ++j) {
    // Sample j of the frame: 10000 x (80 - 2 x j / 1764) / 100.
    EXPECT_EQ(out.At(10 * 1764 + j, 0), j < 882 ? 8000 : 7900) << j;
  }
  EXPECT_EQ(out.At(0, 0), 10000);
  EXPECT_EQ(out.At(49 * 1764 + 1763, 0), 100);

  // Levels below 3 % (start) and 2 % (next point) count as silence.
  clip->volume = {{250, 0}, {150, 10000}};
  EXPECT_EQ(EnvelopeFrameLevels(*clip, 10, 2500), (FrameLevels{0, 0}));
  // A single point is silent (the clip is not mixed); no envelope is 100 %.
  clip->volume = {{10000, 0}};
  EXPECT_FALSE(EnvelopeFrameLevels(*clip, 10, 2500).has_value());
  ASSERT_EQ(Mix(head.get(), 16, 1, 44100, 0, 200), kMixdownDone);
  for (int s : Output().samples) ASSERT_EQ(s, 0);
  clip->volume.clear();
  EXPECT_EQ(EnvelopeFrameLevels(*clip, 10, 2500), (FrameLevels{100, 100}));
}

TEST_F(AudioMixdownTest, ClipBalanceCentresAtTenThousandAndMasterBalanceAtFiveThousand) {
  const auto path = ConstantWave("st.wav", 2, 44100, 16, 1.0, 8000, 8000);
  EventListSlot head = Timeline(2500);
  TLEvent* clip = AddClip(head.get(), 1, 0, 1000, path, 0, 1000);
  auto mixed = [&](int frameIndex) {
    EXPECT_EQ(Mix(head.get(), 16, 2, 44100, 0, 400), kMixdownDone);
    const WaveSamples out = Output();
    return std::pair{out.At(frameIndex, 0), out.At(frameIndex, 1)};
  };
  clip->balance = FlatEnvelope(10000);
  EXPECT_EQ(mixed(100), std::pair(8000, 8000));
  clip->balance = FlatEnvelope(20000);
  EXPECT_EQ(mixed(100), std::pair(0, 16000));
  clip->balance = FlatEnvelope(0);
  EXPECT_EQ(mixed(100), std::pair(16000, 0));

  clip->balance = FlatEnvelope(10000);
  head->balance = FlatEnvelope(5000);
  EXPECT_EQ(mixed(100), std::pair(8000, 8000));
  head->balance = FlatEnvelope(10000);
  EXPECT_EQ(mixed(100), std::pair(0, 16000));
  head->volume = FlatEnvelope(15000);  // 12000, then the balance doubles the right: clipped
  EXPECT_EQ(mixed(100), std::pair(0, 24000));
  clip->balance = FlatEnvelope(20000);  // 16000 x 1.5 x 2 clips at 32767
  EXPECT_EQ(mixed(100), std::pair(0, 32767));
}

TEST_F(AudioMixdownTest, ChannelModesApplyToTheClip) {
  const auto path = ConstantWave("lr.wav", 2, 22050, 16, 1.0, 3200, -6400);
  EventListSlot head = Timeline(2500);
  TLEvent* clip = AddClip(head.get(), 1, 0, 1000, path, 0, 1000);
  const struct {
    std::int32_t mode;
    int left, right;
  } cases[] = {{0, 3200, -6400},
               {kChannelMuteBoth, 0, 0},
               {kChannelMuteLeft, 0, -6400},
               {kChannelMuteRight, 3200, 0},
               {kChannelFillLeft, 3200, 3200},
               {kChannelFillRight, -6400, -6400},
               {kChannelFillBoth, -1600, -1600},
               {kChannelSwap, -6400, 3200}};
  for (const auto& c : cases) {
    clip->channelMode = c.mode;
    ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 200), kMixdownDone);
    const WaveSamples out = Output();
    EXPECT_EQ(out.At(777, 0), c.left) << c.mode;
    EXPECT_EQ(out.At(777, 1), c.right) << c.mode;
  }
}

TEST_F(AudioMixdownTest, SpeedChangesPitchAndLength) {
  const auto path = dir_ / "ramp.wav";
  auto ramp = [](std::int64_t i) { return static_cast<int>(i % 20000) - 10000; };
  testing::WriteTestWave(path, 1, 44100, 16, 44100 * 4, [&](std::int64_t i, int) { return ramp(i); });
  EventListSlot head = Timeline(2500, "AA");
  // Double speed: two seconds of media in one; half speed: one in two.
  AddClip(head.get(), 1, 0, 1000, path, 0, 2000, 200);
  ASSERT_EQ(Mix(head.get(), 16, 1, 44100, 0, 1000), kMixdownDone);
  WaveSamples out = Output();
  ASSERT_EQ(out.Frames(), 44100);
  std::int64_t wrong = 0;
  for (std::int64_t k = 0; k < out.Frames(); ++k) wrong += out.At(k, 0) != ramp(2 * k);
  EXPECT_EQ(wrong, 0);

  EventListSlot slow = Timeline(2500);
  AddClip(slow.get(), 1, 0, 2000, path, 0, 1000, 50);
  ASSERT_EQ(Mix(slow.get(), 16, 1, 44100, 0, 2000), kMixdownDone);
  out = Output();
  ASSERT_EQ(out.Frames(), 88200);
  wrong = 0;
  for (std::int64_t k = 0; k < out.Frames(); k += 2) wrong += out.At(k, 0) != ramp(k / 2);
  EXPECT_EQ(wrong, 0);
}

TEST_F(AudioMixdownTest, OverlappingClipsOnTracksOneAndThreeCrossFade) {
  const auto a = dir_ / "a.avi";
  const auto b = dir_ / "b.avi";
  ASSERT_EQ(testing::WriteTestAvi(a, 50, 25, 2, 22050, 16, [](std::int64_t, int) { return 8000; }), "");
  ASSERT_EQ(testing::WriteTestAvi(b, 50, 25, 2, 22050, 16, [](std::int64_t, int) { return 8000; }), "");
  EventListSlot head = Timeline(2500, "VXV");
  AddClip(head.get(), 1, 0, 2000, a, 0, 2000);
  AddClip(head.get(), 3, 1000, 3000, b, 0, 2000);
  const EventListSlot before = CopyEventList(head.get());

  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 3000), kMixdownDone);
  WaveSamples out = Output();
  ASSERT_EQ(out.Frames(), 3 * 44100);
  EXPECT_EQ(out.At(22050, 0), 8000);   // clip A alone
  EXPECT_EQ(out.At(110250, 0), 8000);  // clip B alone
  // In the overlap A falls from 100 % to 0 while B rises from 0 to 100 %.
  for (std::int64_t k = 44100; k < 88200; k += 441) EXPECT_NEAR(out.At(k, 0), 8000, 200) << k;
  EXPECT_NEAR(out.At(44100 + 1764 * 12, 1), 8000, 200);

  // The document keeps its envelopes.
  for (const TLEvent *x = head.get(), *y = before.get(); x != nullptr; x = GetNextEvent(x), y = GetNextEvent(y)) {
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(x->volume, y->volume);
  }

  // Without the cross-fade both play at full level.
  TheApp().autoCrossFade = 0;
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 3000), kMixdownDone);
  out = Output();
  EXPECT_EQ(out.At(66150, 0), 16000);
}

TEST_F(AudioMixdownTest, CrossFadeEnvelopesStartAndEndWithTheOverlap) {
  const auto a = dir_ / "a.avi";
  ASSERT_EQ(testing::WriteTestAvi(a, 100, 25, 1, 11025, 8, [](std::int64_t, int) { return 0; }), "");
  EventListSlot head = Timeline(2500, "VXV");
  TLEvent* first = AddClip(head.get(), 1, 0, 2000, a, 1000, 3000);  // media of 4 s, played from 1 s to 3 s
  TLEvent* second = AddClip(head.get(), 3, 1500, 3500, a, 2000, 4000);
  ApplyAutoCrossfades(head.get());
  // First: falls from the second's start (media 2500 ms) to silence at its play-out (3000 ms).
  EXPECT_EQ(first->volume, (VolumeEnvelope{{10000, 0}, {10000, 6250}, {0, 7500}, {0, 10000}}));
  // Second: rises from silence at its play-in (2000 ms) to full at the first's end (2500 ms).
  EXPECT_EQ(second->volume, (VolumeEnvelope{{0, 0}, {0, 5000}, {10000, 6250}, {10000, 10000}}));
}

TEST_F(AudioMixdownTest, EscapeKeepsAValidFileOfTheFramesMixed) {
  const auto path = ConstantWave("c.wav", 1, 22050, 16, 3.0, 1000);
  EventListSlot head = Timeline(2997);
  AddClip(head.get(), 1, 0, 3000, path, 0, 3000);
  RecordingProgress progress(7);
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 3000, &progress), kMixdownStopped);
  const WaveSamples out = Output();
  EXPECT_EQ(out.Frames(), FrameSampleStart(7, 2997, 44100));
  EXPECT_EQ(progress.timeCodes, (std::vector<std::int32_t>{0, 33, 66, 100, 133, 166, 200}));
  ASSERT_EQ(progress.progress.size(), 7u);
  EXPECT_EQ(progress.progress.back(), 200.0);
}

TEST_F(AudioMixdownTest, WriteFailuresStopTheRunWithAMessage) {
  const auto path = ConstantWave("c.wav", 1, 22050, 16, 1.0, 1000);
  EventListSlot head = Timeline(2500);
  AddClip(head.get(), 1, 0, 1000, path, 0, 1000);
  FailingStream stream(3);
  prompts_.Expect("Error writing frames!");
  EXPECT_EQ(MixdownAudio(nullptr, nullptr, &stream, head.get(), 16, 2, 44100, 25, 1, 0, 1000), kMixdownFailed);
  EXPECT_EQ(stream.starts, (std::vector<std::int64_t>{0, 1764, 3528}));

  // A range whose sound does not fit in a WAV file is refused, and the file removed.
  prompts_.Expect("The sound of this range is too long for a WAV file.");
  EXPECT_EQ(Mix(head.get(), 16, 2, 44100, 0, 36000000), kMixdownFailed);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.wav"));
  EXPECT_TRUE(prompts_.AllShown());
}

TEST_F(AudioMixdownTest, UnreadableClipsAreReportedOnceAndSilent) {
  const auto broken = dir_ / "broken.wav";
  testing::WriteFile(broken, std::string("RIFF\x04\0\0\0WAVE", 12));
  const auto good = ConstantWave("good.wav", 1, 44100, 16, 2.0, 500);
  EventListSlot head = Timeline(2500, "AA");
  TLEventFields fields = testing::MediaClipFields(good, 0, 2000);  // the broken file's header is not readable
  fields.name = "broken";
  InsertClip(head.get(), 1, 0, 2000, fields);
  AddClip(head.get(), 2, 0, 2000, good, 0, 2000);
  prompts_.Expect("Fail to find wave header chunk!");
  ASSERT_EQ(Mix(head.get(), 16, 1, 44100, 0, 2000), kMixdownDone);
  for (int s : Output().samples) ASSERT_EQ(s, 500);
  EXPECT_TRUE(prompts_.AllShown());
}

TEST_F(AudioMixdownTest, ClipsAtSpeedsTheMixCannotFollowAreSilentAndNamedOncePerRun) {
  const auto good = ConstantWave("good.wav", 1, 44100, 16, 2.0, 500);
  const auto loud = ConstantWave("loud.wav", 1, 44100, 16, 5.0, 3000);
  EventListSlot head = Timeline(2500, "AAA");
  AddClip(head.get(), 1, 0, 2000, good, 0, 2000);
  AddClip(head.get(), 2, 0, 1000, loud, 0, 4000, 400)->name = "fast";
  AddClip(head.get(), 3, 1000, 2000, loud, 0, 300, 30)->name = "slow";
  struct Case {
    std::int32_t start, end;
    std::string clips;  // as the message names them; empty: no message
  };
  for (const Case& c : {Case{0, 2000, "\"fast\" (400 %), \"slow\" (30 %)"}, Case{1000, 2000, "\"slow\" (30 %)"},
                        Case{2000, 3000, ""}}) {
    if (!c.clips.empty()) {
      prompts_.Expect("The sound of " + c.clips + " is left out: sound is mixed at speeds from 50 to 200 % only.");
    }
    ASSERT_EQ(Mix(head.get(), 16, 1, 44100, c.start, c.end), kMixdownDone);
    EXPECT_TRUE(prompts_.AllShown()) << c.start;
    const WaveSamples out = Output();
    ASSERT_EQ(out.Frames(), (c.end - c.start) * 441 / 10);
    for (int sample : out.samples) ASSERT_EQ(sample, c.start < 2000 ? 500 : 0) << c.start;
  }
}

TEST_F(AudioMixdownTest, OnlyTheFirstClipOfATrackPlays) {
  const auto one = ConstantWave("one.wav", 1, 44100, 16, 2.0, 100);
  const auto two = ConstantWave("two.wav", 1, 44100, 16, 2.0, 7000);
  EventListSlot head = Timeline(2500);
  AddClip(head.get(), 1, 0, 2000, one, 0, 2000);
  AddClip(head.get(), 1, 500, 1500, two, 0, 1000);
  ASSERT_EQ(Mix(head.get(), 16, 1, 44100, 0, 2000), kMixdownDone);
  for (int s : Output().samples) ASSERT_EQ(s, 100);
}

TEST_F(AudioMixdownTest, ClipsAtOtherRatesAreResampled) {
  const auto path = ConstantWave("48k.wav", 2, 48000, 16, 2.0, 8000, -8000);
  EventListSlot head = Timeline(2500);
  AddClip(head.get(), 1, 0, 2000, path, 0, 2000);
  ASSERT_EQ(Mix(head.get(), 16, 2, 44100, 0, 2000), kMixdownDone);
  const WaveSamples out = Output();
  ASSERT_EQ(out.Frames(), 88200);
  std::int64_t off = 0;
  for (std::int64_t k = 200; k < 88000; ++k)
    off += std::abs(out.At(k, 0) - 8000) > 40 || std::abs(out.At(k, 1) + 8000) > 40;
  EXPECT_EQ(off, 0);

  // The sound of a movie clip at 32000 Hz is resampled as well.
  const auto movie = dir_ / "32k.avi";
  ASSERT_EQ(testing::WriteTestAvi(movie, 50, 25, 1, 32000, 16, [](std::int64_t, int) { return 4000; }), "");
  EventListSlot video = Timeline(2500, "V");
  AddClip(video.get(), 1, 0, 2000, movie, 0, 2000);
  ASSERT_EQ(Mix(video.get(), 16, 1, 22050, 0, 2000), kMixdownDone);
  const WaveSamples mono = Output();
  ASSERT_EQ(mono.Frames(), 44100);
  off = 0;
  for (std::int64_t k = 200; k < 44000; ++k) off += std::abs(mono.At(k, 0) - 4000) > 20;
  EXPECT_EQ(off, 0);
}

TEST_F(AudioMixdownTest, OutsideToolsReadTheMixedFile) {
  if (!testing::ToolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe missing";
  const auto path = ConstantWave("c.wav", 1, 22050, 8, 2.0, 20);
  EventListSlot head = Timeline(2997);
  AddClip(head.get(), 1, 0, 2000, path, 0, 2000);
  ASSERT_EQ(Mix(head.get(), 8, 2, 22050, 0, 1000), kMixdownDone);
  const auto probe = testing::RunCommand(
      "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,"
      "duration_ts -of default=nw=1 '" +
      (dir_ / "out.wav").string() + "'");
  ASSERT_TRUE(probe.has_value());
  const std::int64_t samples = FrameSampleStart(MixFrameOfTime(1000, 2997), 2997, 22050);
  EXPECT_EQ(*probe, "codec_name=pcm_u8\nsample_rate=22050\nchannels=2\nduration_ts=" + std::to_string(samples) + "\n");
}

}  // namespace
}  // namespace sprocket

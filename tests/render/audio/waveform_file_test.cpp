#include "render/audio/waveform_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "audio_test_media.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::TempDir;

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

std::string WaveformPathOf(const TLEvent& clip) {
  return clip.derivedFiles.waveDirectory + clip.derivedFiles.waveName + clip.derivedFiles.waveExtension;
}

// Records what DrawClipWaveform hands to the drawing.
class RecordingPainter : public WaveformPainter {
public:
  void BeginWaitCursor() override { ++waits; }
  void ReportWaveformMessage(int stringId, const std::string& mediaPath) override {
    reports.emplace_back(stringId, mediaPath);
  }
  std::vector<std::pair<int, std::string>> reports;
  void DrawWaveformBitmap(const TLEvent&, std::int64_t first, std::int64_t last, std::int32_t width,
                          std::span<const std::uint16_t> values, int argument) override {
    calls.push_back({first, last, width, static_cast<std::int64_t>(values.size()), argument});
  }
  struct Call {
    std::int64_t first, last;
    std::int32_t width;
    std::int64_t count;
    int argument;
  };
  std::vector<Call> calls;
  int waits = 0;
};

class WaveformFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char* old = std::getenv("TMPDIR")) oldTmp_ = old;
    ::setenv("TMPDIR", temp_.path().c_str(), 1);
  }
  void TearDown() override {
    if (oldTmp_) {
      ::setenv("TMPDIR", oldTmp_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

  // A clip of the file on track 6 (A1) of the document.
  TLEvent* AddClip(const std::filesystem::path& path, std::int32_t in, std::int32_t playIn, std::int32_t playOut) {
    TLEvent* clip =
        InsertClip(doc_.Head(), 6, in, in + playOut - playIn, testing::MediaClipFields(path, playIn, playOut));
    EXPECT_NE(clip, nullptr);
    return clip;
  }

  int TempFiles() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp_.path()))
      count += entry.path().filename().string().rfind("zkb", 0) == 0;
    return count;
  }

  TempDir media_;
  TempDir temp_;
  CTestDoc doc_;
  testing::ScriptedPrompts prompts_;
  std::optional<std::string> oldTmp_;
};

TEST(AudioMediaLayoutTest, MapsSoundBytesThroughTheChunkIndex) {
  const std::vector<AudioChunkEntry> index = {{100, 10, 0}, {500, 6, 10}, {900, 4, 16}};
  std::uint64_t at = 7;
  EXPECT_TRUE(MapAudioOffset(index, 0, &at));
  EXPECT_EQ(at, 100u);
  EXPECT_TRUE(MapAudioOffset(index, 9, &at));
  EXPECT_EQ(at, 109u);
  EXPECT_TRUE(MapAudioOffset(index, 10, &at));
  EXPECT_EQ(at, 500u);
  EXPECT_TRUE(MapAudioOffset(index, 19, &at));
  EXPECT_EQ(at, 903u);
  at = 7;
  EXPECT_FALSE(MapAudioOffset(index, 20, &at));
  EXPECT_EQ(at, 7u);
  EXPECT_FALSE(MapAudioOffset({}, 0, &at));
}

TEST_F(WaveformFileTest, RowsSampleTheWholeSoundEvenly) {
  const auto mono = media_ / "mono.wav";
  testing::WriteTestWave(mono, 1, 22050, 16, 1000, [](std::int64_t i, int) { return static_cast<int>(i); });
  TLEvent* clip = AddClip(mono, 0, 0, 40);
  AudioMediaLayout layout;
  ASSERT_EQ(ReadMediaLayout(mono.string(), *clip, &layout), MediaLayoutStatus::kOk);
  EXPECT_EQ(layout.totalBytes, 2000u);
  const auto bytes = FileBytes(mono);
  EXPECT_EQ(SampleWaveform(bytes, layout, 8), (std::vector<std::uint16_t>{0, 125, 250, 375, 500, 625, 750, 875}));
  EXPECT_EQ(SampleWaveform(bytes, layout, 0), (std::vector<std::uint16_t>{0}));

  // Stereo: left samples only, at sample indexes rounded down to 4.
  const auto stereo = media_ / "stereo.wav";
  testing::WriteTestWave(stereo, 2, 11025, 8, 100,
                         [](std::int64_t i, int c) { return c == 0 ? static_cast<int>(i) : -100; });
  clip = AddClip(stereo, 0, 0, 9);
  ASSERT_EQ(ReadMediaLayout(stereo.string(), *clip, &layout), MediaLayoutStatus::kOk);
  // n = 100 frames; value i at (int)(100 / 3 x i x 2) & ~3 = 0, 64, 132: frames 0, 32, 66.
  EXPECT_EQ(SampleWaveform(FileBytes(stereo), layout, 3), (std::vector<std::uint16_t>{128, 160, 194}));
  // Channel 1: the right sample beside each of them.
  EXPECT_EQ(SampleWaveform(FileBytes(stereo), layout, 3, 1), (std::vector<std::uint16_t>{28, 28, 28}));
}

TEST_F(WaveformFileTest, StereoFilesKeepTheRightChannelAfterTheLeftRows) {
  const auto path = media_ / "stereo16.wav";
  testing::WriteTestWave(path, 2, 22050, 16, 22050,
                         [](std::int64_t i, int c) { return static_cast<int>(i % 1000) + (c == 0 ? 0 : 5000); });
  TLEvent* clip = AddClip(path, 0, 0, 1000);
  doc_.scaleGroup = 1;
  doc_.groupScaleIndex = 3;
  const auto left = LoadWaveformBlock(doc_, *clip, nullptr, 0);
  const auto right = LoadWaveformBlock(doc_, *clip, nullptr, 1);
  ASSERT_TRUE(left && right);
  ASSERT_EQ(left->size(), right->size());
  for (std::size_t i = 0; i < left->size(); ++i) ASSERT_EQ((*right)[i], (*left)[i] + 5000) << i;
  // The left rows stand where a reader of the plain format looks for them.
  const std::string built = WaveformPathOf(*clip);
  const auto bytes = FileBytes(built);
  EXPECT_EQ(U32(bytes, 0), 144u);
  std::uint16_t first = 0;
  std::memcpy(&first, bytes.data() + U32(bytes, 8 * 3), 2);
  EXPECT_EQ(first, (*left)[0]);
  EXPECT_TRUE(IsWaveformFileCurrent(doc_, *clip));
  // Cut back to the plain format, or with its right rows cut short, the
  // file is no longer current for stereo sound.
  const std::size_t plainEnd = U32(bytes, 8 * 17) + U32(bytes, 8 * 17 + 4);
  for (std::size_t keep : {plainEnd, bytes.size() - 2}) {
    testing::WriteFile(built, std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep)));
    EXPECT_FALSE(IsWaveformFileCurrent(doc_, *clip)) << keep;
  }
  // A damaged right block is not read as rows.
  std::vector<std::uint8_t> damaged = bytes;
  std::memcpy(damaged.data() + plainEnd + 24 + path.string().size(), "JUNK", 4);
  testing::WriteFile(built, std::string(damaged.begin(), damaged.end()));
  EXPECT_FALSE(IsWaveformFileCurrent(doc_, *clip));
  const auto rebuilt = LoadWaveformBlock(doc_, *clip, nullptr, 1);
  ASSERT_TRUE(rebuilt.has_value());
  EXPECT_EQ(*rebuilt, *right);
}

TEST_F(WaveformFileTest, AviRowsMatchWhateverTheIndexCountsFrom) {
  const auto written = media_ / "written.avi";
  auto sample = [](std::int64_t i, int c) { return static_cast<int>(c == 0 ? (i * 3) % 30000 : -5); };
  ASSERT_EQ(testing::WriteTestAvi(written, 20, 10, 2, 11025, 16, sample), "");
  // Without its OpenDML index the file is read through its "idx1" index,
  // whose offsets count from the "movi" list ...
  std::vector<std::uint8_t> bytes = FileBytes(written);
  std::string text(bytes.begin(), bytes.end());
  for (std::size_t at = text.find("indx"); at != std::string::npos; at = text.find("indx", at + 4)) {
    std::memcpy(bytes.data() + at, "JUNK", 4);
  }
  const auto relative = media_ / "relative.avi";
  testing::WriteFile(relative, std::string(bytes.begin(), bytes.end()));
  // ... and, in a copy, from the start of the file.
  text.assign(bytes.begin(), bytes.end());
  const std::size_t movi = text.find("movi");
  const std::size_t idx1 = text.rfind("idx1");
  ASSERT_NE(movi, std::string::npos);
  ASSERT_NE(idx1, std::string::npos);
  const std::uint32_t entries = U32(bytes, idx1 + 4) / 16;
  for (std::uint32_t e = 0; e < entries; ++e) {
    const std::size_t at = idx1 + 8 + 16 * e + 8;
    const std::uint32_t offset = U32(bytes, at) + static_cast<std::uint32_t>(movi);
    std::memcpy(bytes.data() + at, &offset, 4);
  }
  const auto absolute = media_ / "absolute.avi";
  testing::WriteFile(absolute, std::string(bytes.begin(), bytes.end()));

  std::vector<std::vector<std::uint16_t>> rows;
  for (const auto& path : {relative, absolute}) {
    TLEvent* clip = AddClip(path, 0, 0, 2000);
    AudioMediaLayout layout;
    ASSERT_EQ(ReadMediaLayout(path.string(), *clip, &layout), MediaLayoutStatus::kOk) << path;
    EXPECT_EQ(layout.totalBytes, 22050u * 4);
    rows.push_back(SampleWaveform(FileBytes(path), layout, 7));
  }
  EXPECT_EQ(rows[0], rows[1]);
  // Frames 0, 3150, 6300, ...: the left samples.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(rows[0][i], static_cast<std::uint16_t>(sample(i * 3150, 0))) << i;
}

TEST_F(WaveformFileTest, BuiltFileIsSharedFoundAgainAndRebuiltWhenItsClipChanges) {
  const auto path = media_ / "tone.wav";
  testing::WriteTestWave(path, 1, 22050, 16, 44100, [](std::int64_t i, int) { return static_cast<int>(i % 1000); });
  TLEvent* first = AddClip(path, 0, 0, 2000);
  ASSERT_EQ(BuildWaveformFile(doc_, *first), 1);
  const std::string built = WaveformPathOf(*first);
  EXPECT_EQ(first->derivedFiles.waveDirectory, temp_.path().string() + "/");
  EXPECT_EQ(first->derivedFiles.waveName.rfind("zkb", 0), 0u);
  EXPECT_EQ(first->derivedFiles.waveExtension, ".tmp");

  // The directory: 18 rows back to back from byte 144, each as long as the
  // document's scale asks for, each sampled from the sound.
  const auto bytes = FileBytes(built);
  const std::vector<std::int64_t> counts = WaveformRowCounts(doc_, 2000.0);
  EXPECT_EQ(counts[0], 7192);  // 59.94 frames of 120 pixels
  EXPECT_EQ(counts[3], 240);   // 2 seconds of 120 pixels
  std::uint32_t offset = 144;
  AudioMediaLayout layout;
  ASSERT_EQ(ReadMediaLayout(path.string(), *first, &layout), MediaLayoutStatus::kOk);
  const auto media = FileBytes(path);
  for (int row = 0; row < kWaveformRows; ++row) {
    EXPECT_EQ(U32(bytes, 8 * row), offset) << row;
    ASSERT_EQ(U32(bytes, 8 * row + 4), counts[row] * 2) << row;
    const std::vector<std::uint16_t> expected = SampleWaveform(media, layout, counts[row]);
    EXPECT_EQ(std::memcmp(bytes.data() + offset, expected.data(), expected.size() * 2), 0) << row;
    offset += U32(bytes, 8 * row + 4);
  }
  EXPECT_TRUE(IsWaveformFileCurrent(doc_, *first));

  // A second clip of the same file takes the first one's waveform file.
  TLEvent* second = AddClip(path, 3000, 500, 1500);
  ASSERT_EQ(BuildWaveformFile(doc_, *second), 1);
  EXPECT_EQ(WaveformPathOf(*second), built);
  EXPECT_EQ(TempFiles(), 1);

  // The row of the current scale is loaded.
  doc_.scaleGroup = 1;
  doc_.groupScaleIndex = 3;
  const auto row = LoadWaveformBlock(doc_, *second);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(static_cast<std::int64_t>(row->size()), counts[3]);

  // A deleted waveform file is built again.
  std::filesystem::remove(built);
  EXPECT_FALSE(IsWaveformFileCurrent(doc_, *first));
  ASSERT_TRUE(LoadWaveformBlock(doc_, *first).has_value());
  EXPECT_TRUE(IsWaveformFileCurrent(doc_, *first));

  // A changed media file makes every waveform file of it stale.
  const std::string before = WaveformPathOf(*first);
  testing::WriteTestWave(path, 1, 22050, 16, 44100, [](std::int64_t, int) { return 777; });
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_FALSE(IsWaveformFileCurrent(doc_, *first));
  const auto fresh = LoadWaveformBlock(doc_, *first);
  ASSERT_TRUE(fresh.has_value());
  EXPECT_NE(WaveformPathOf(*first), before);
  EXPECT_EQ((*fresh)[5], 777);

  // So does another frame rate of the document (the rows' lengths change).
  doc_.rate = 2500;
  EXPECT_FALSE(IsWaveformFileCurrent(doc_, *first));
  ASSERT_EQ(BuildWaveformFile(doc_, *first), 1);
  EXPECT_TRUE(IsWaveformFileCurrent(doc_, *first));
}

TEST_F(WaveformFileTest, ReplacedFilesAreDeletedAndPlainFilesReused) {
  const auto path = media_ / "tone.wav";
  testing::WriteTestWave(path, 1, 22050, 16, 44100, [](std::int64_t i, int) { return static_cast<int>(i % 500); });
  TLEvent* first = AddClip(path, 0, 0, 2000);
  TLEvent* second = AddClip(path, 3000, 500, 1500);
  ASSERT_EQ(BuildWaveformFile(doc_, *first), 1);
  ASSERT_EQ(BuildWaveformFile(doc_, *second), 1);
  const std::string stale = WaveformPathOf(*first);

  // Another frame rate makes the rows stale: the clips move to a new file,
  // and the old one goes with the last clip that named it.
  doc_.rate = 2500;
  ASSERT_EQ(BuildWaveformFile(doc_, *first), 1);
  EXPECT_TRUE(std::filesystem::exists(stale));
  ASSERT_EQ(BuildWaveformFile(doc_, *second), 1);
  EXPECT_EQ(WaveformPathOf(*second), WaveformPathOf(*first));
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_EQ(TempFiles(), 1);

  // A file in the plain format, without the trailer, written after the
  // media file, is current and used as it is.
  const std::string current = WaveformPathOf(*first);
  const auto bytes = FileBytes(current);
  const std::uint32_t rowsEnd = U32(bytes, 8 * 17) + U32(bytes, 8 * 17 + 4);
  ASSERT_LT(rowsEnd, bytes.size());
  std::filesystem::resize_file(current, rowsEnd);
  EXPECT_TRUE(IsWaveformFileCurrent(doc_, *first));
  ASSERT_EQ(BuildWaveformFile(doc_, *first), 1);
  EXPECT_EQ(WaveformPathOf(*first), current);
  EXPECT_EQ(TempFiles(), 1);
  // Not once the media file changed after it.
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(current) + std::chrono::seconds(5));
  EXPECT_FALSE(IsWaveformFileCurrent(doc_, *first));

  // A waveform file that is not one of ours is never deleted.
  const auto foreign = media_ / "zkbmine.tmp";
  testing::WriteFile(foreign, "mine");
  ReleaseWaveformFile(doc_, foreign.string());
  EXPECT_TRUE(std::filesystem::exists(foreign));
}

TEST_F(WaveformFileTest, BrokenMediaBuildsNothingAndReportsWhereAsked) {
  const auto good = media_ / "good.wav";
  testing::WriteTestWave(good, 1, 22050, 16, 100, [](std::int64_t, int) { return 1; });
  TLEvent* clip = AddClip(good, 0, 0, 4);
  testing::WriteFile(good, std::string("RIFF\x04\x00\x00\x00WAVE", 12) + std::string(8, '\0'));
  prompts_.Expect("Corrupted File");
  EXPECT_EQ(BuildWaveformFile(doc_, *clip), 0);
  EXPECT_EQ(TempFiles(), 0);
  EXPECT_TRUE(prompts_.AllShown());

  // Painting hands the message to the view instead of showing it.
  RecordingPainter painter;
  EXPECT_EQ(DrawClipWaveform(doc_, painter, *clip, 0), 0);
  EXPECT_EQ(painter.reports, (std::vector<std::pair<int, std::string>>{{61486, good.string()}}));
  EXPECT_TRUE(painter.calls.empty());

  // An AVI file without sound gives no waveform and no message.
  const auto silent = media_ / "silent.avi";
  ASSERT_EQ(testing::WriteTestAvi(silent, 5, 10, 1, 11025, 8, [](std::int64_t, int) { return 0; }), "");
  TLEvent* avi = AddClip(silent, 1000, 0, 500);
  testing::WriteFile(silent, "RIFF");
  EXPECT_EQ(BuildWaveformFile(doc_, *avi), 0);
  EXPECT_EQ(TempFiles(), 0);
}

TEST_F(WaveformFileTest, DrawingPicksTheValuesUnderTheRectangle) {
  const auto path = media_ / "draw.wav";
  testing::WriteTestWave(path, 1, 22050, 8, 88200, [](std::int64_t i, int) { return static_cast<int>(i % 100); });
  doc_.rate = 2500;
  doc_.scaleIndex = 3;  // 1000 ms per 40 pixels
  doc_.pixelsPerUnit = 40;
  doc_.scaleGroup = 1;
  doc_.groupScaleIndex = 3;
  TLEvent* clip = AddClip(path, 1000, 1000, 3000);  // media of 4 s, 1 s to 3 s played
  RecordingPainter painter;
  ASSERT_EQ(DrawClipWaveform(doc_, painter, *clip, 9), 1);
  ASSERT_EQ(painter.calls.size(), 1u);
  EXPECT_EQ(painter.waits, 1);
  const auto& call = painter.calls[0];
  EXPECT_EQ(call.count, 480);  // 4 s of 120 pixels
  EXPECT_EQ(call.first, 120);  // play-in 1000 ms of 4000 ms
  EXPECT_EQ(call.last, 360);
  EXPECT_EQ(call.width, 80);
  EXPECT_EQ(call.argument, 9);

  doc_.scaleIndex = 6;
  EXPECT_EQ(DrawClipWaveform(doc_, painter, *clip, 9), 0);
  doc_.scaleIndex = 3;
  const auto other = media_ / "32k.wav";
  testing::WriteTestWave(other, 1, 32000, 16, 3200, [](std::int64_t, int) { return 0; });
  EXPECT_EQ(DrawClipWaveform(doc_, painter, *AddClip(other, 5000, 0, 100), 9), 0);
  std::filesystem::remove(path);
  EXPECT_EQ(DrawClipWaveform(doc_, painter, *clip, 9), 0);
  EXPECT_EQ(painter.calls.size(), 1u);
}

TEST_F(WaveformFileTest, ClipFileCheckGivesTheRectangleUnlessTheFileIsMissing) {
  const auto path = media_ / "here.wav";
  testing::WriteTestWave(path, 1, 11025, 8, 11025, [](std::int64_t, int) { return 0; });
  TLEvent* clip = AddClip(path, 2000, 0, 1000);
  ClipRect expected;
  ASSERT_TRUE(GetClipRect(doc_, *clip, expected));
  ClipRect rect;
  EXPECT_EQ(GetClipFileRect(doc_, rect, *clip), 1);
  EXPECT_EQ(rect, expected);
  EXPECT_EQ(GetClipFileRect2(doc_, rect, *clip), 1);
  EXPECT_EQ(GetClipFileRect3(doc_, rect, *clip), 1);

  clip->directory.clear();
  clip->name.clear();
  clip->extension.clear();
  rect = {};
  EXPECT_EQ(GetClipFileRect(doc_, rect, *clip), 1);  // no file to miss
  EXPECT_EQ(rect, expected);

  clip->directory = media_.path().string() + "/";
  clip->name = "gone";
  clip->extension = ".wav";
  EXPECT_EQ(GetClipFileRect(doc_, rect, *clip), 0);
}

}  // namespace
}  // namespace sprocket

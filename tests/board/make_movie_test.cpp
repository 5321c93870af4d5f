// Make Movie end to end: each output through the scripted prompts and
// dialogs, with the real compositor and movie join.

#include <filesystem>
#include <fstream>

#include "libs/effectprepare/effect_prepare.h"
#include "makemovie_fixture.h"
#include "outside_tools.h"
#include "platform/file_paths.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "render/audio/wav_file.h"
#include "render/flic/flic_reader.h"
#include "render/output/render_format.h"
#include "timeline/records/filter_ids.h"

namespace sprocket::testing {
namespace {

class MakeMovieOutputTest : public MakeMovieTest {
protected:
  void SetUp() override {
    BuildStandardTimeline();
    SetFamily(2);  // no rendered segments: the plain road
    // Segments switched off, so the plain road says when the movie is done.
    AppProfile().WriteProfileInt(settings::kIncComp, settings::kIncCompDisable, 1);
  }
};

TEST_F(MakeMovieOutputTest, AviMovieIsWrittenRecordedAndPlayed) {
  const std::string out = Out("movie.avi");
  dialogs.path = out;
  doc.title = "Holiday.tle";
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_EQ(Compiler().LastJobResult(), 75);
  EXPECT_EQ(VideoFrames(out), 75);

  // The dialog was seeded with the title and the range start; the title and
  // record-in time code went into the timeline.
  ASSERT_EQ(dialogs.aviRequests.size(), 1u);
  EXPECT_EQ(dialogs.aviRequests[0].caption, "Save As AVI File");
  EXPECT_EQ(dialogs.aviRequests[0].filter, "AVI Files (.avi) | *.avi ||");
  EXPECT_EQ(dialogs.aviRequests[0].movieTitle, "Holiday");
  EXPECT_EQ(dialogs.aviRequests[0].framesPerSecond, 25);
  EXPECT_EQ(doc.Head()->captureName, "Holiday");
  EXPECT_EQ(TimelineEnd(doc.Head())->captureName, "00:00:00:00");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kMovieAviDir, settings::kDir), Out(""));

  // Colours: A at the start, B at the end, the dissolve between them.
  EXPECT_GT(FrameColour(out, 0).red, 150);
  EXPECT_GT(FrameColour(out, 74).blue, 150);
  const MeanColour middle = FrameColour(out, 45);  // 1800 ms: half way through the dissolve
  EXPECT_NEAR(middle.red, 120, 30);
  EXPECT_NEAR(middle.blue, 120, 30);

  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "Frames"), "75");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "FileType"), "MJPG");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "Resolution"), "64X48");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "fFps"), "25.00");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "Duration"), "3.000");
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "FileSize"),
            std::to_string(std::filesystem::file_size(out)) + "Bytes");
  ASSERT_EQ(player.requests().size(), 1u);
  EXPECT_EQ(player.requests()[0], (ClipPlayRequest{out, 0, 0, 64, 48, 25}));
}

TEST_F(MakeMovieOutputTest, OutsideToolsReadTheAviMovie) {
  if (!ToolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  const std::string out = Out("probe.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  std::optional<std::string> frames = RunCommand(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 '" + out +
      "'");
  ASSERT_TRUE(frames.has_value());
  EXPECT_EQ(std::stoi(*frames), 75);
  std::optional<std::string> sound = RunCommand(
      "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 '" + out +
      "'");
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(sound->substr(0, sound->find('\n')), "pcm_u8,11025,1");
}

TEST_F(MakeMovieOutputTest, FlcAnimationIsWrittenAndPlayed) {
  const std::string out = Out("movie.flc");
  dialogs.path = out;
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kFlc), 0);
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].caption, "Save As Animation File");
  EXPECT_EQ(dialogs.fileRequests[0].filter, "*.flc | *.flc | *.FLC | *.FLC | *.fli | *.fli | *.FLI | *.FLI ||");
  EXPECT_EQ(dialogs.fileRequests[0].defaultName, "*.flc");
  FlicFile flic;
  ASSERT_EQ(FlicOpen(flic, out), kFlicDone);
  EXPECT_EQ(flic.header.frames, 75);
  EXPECT_EQ(flic.Width(), 64);
  ASSERT_EQ(player.requests().size(), 1u);
  EXPECT_EQ(player.requests()[0].path, out);
  // Only AVI movies are recorded as the last movie.
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "Frames", "none"), "none");
}

TEST_F(MakeMovieOutputTest, ImageSequenceIsNumberedFromTheBasePath) {
  TheApp().movie.IFileType = 5;  // JPG
  dialogs.folderPrefix = FolderPrefixAnswer{Out(""), "takeone"};
  const std::string last = Out("take0074.JPG");
  prompts.Expect(CompletedText(75, last));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kImageSequence), 0);
  EXPECT_EQ(TheApp().imageSequenceBasePath, Out("take"));
  EXPECT_TRUE(std::filesystem::exists(Out("take0000.JPG")));
  EXPECT_TRUE(std::filesystem::exists(last));
  EXPECT_FALSE(std::filesystem::exists(Out("take0075.JPG")));
  EXPECT_FALSE(std::filesystem::exists(Out("takeone.JPG")));  // the test name leaves no file
  EXPECT_TRUE(player.requests().empty());
}

TEST_F(MakeMovieOutputTest, ImageSequenceTestNeverDestroysAUsersFile) {
  const std::string existing = Out("take.BMP");
  std::ofstream(existing) << "keep me";
  dialogs.folderPrefix = FolderPrefixAnswer{Out(""), "take"};
  prompts.Expect(CompletedText(75, Out("take0074.BMP")));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kImageSequence), 0);
  std::ifstream in(existing);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "keep me");
}

TEST_F(MakeMovieOutputTest, WavFileHoldsTheRangesSound) {
  const std::string out = Out("sound.wav");
  dialogs.path = out;
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kWav), 0);  // a WAV job shows no completion message
  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].caption, "Save As WAV File");
  EXPECT_EQ(dialogs.fileRequests[0].filter, "*.wav | *.wav | *.WAV | *.WAV ||");
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(out, &info), WaveReadStatus::kOk);
  EXPECT_EQ(info.format.samplesPerSec, 11025u);
  EXPECT_EQ(info.format.channels, 1);
  EXPECT_EQ(info.format.bitsPerSample, 8);
  EXPECT_NEAR(static_cast<double>(info.dataSize), 3 * 11025.0, 11025 * 0.05);
  ASSERT_EQ(player.requests().size(), 1u);
  EXPECT_EQ(player.requests()[0].path, out);
}

TEST_F(MakeMovieOutputTest, PreviewUsesThePreviewRecordAndRange) {
  TheApp().preview.VResWidth = 32;
  TheApp().preview.VResHeight = 24;
  doc.previewRange = {1000, 2000};
  const std::string out = Out("preview.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(25, out));
  ASSERT_EQ(MakeMovie(1, MovieOutputType::kAvi), 0);
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(out));
  EXPECT_EQ(reader.FrameCount(), 25);
  EXPECT_EQ(reader.Width(), 32);
  EXPECT_EQ(AppProfile().GetProfileString(settings::kPreviewAviDir, settings::kDir), Out(""));
}

// A view that notes the frame size the effect data was prepared for.
class PreparedSizeView : public HeadlessMovieView {
public:
  using HeadlessMovieView::HeadlessMovieView;
  void CheckCroppingRange(TLEvent* head) override {
    for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
      for (const TLFilter& filter : event->filters) {
        std::int32_t width = 0, height = 0;
        if (filter.id == kFilterRepetition3D && ReadRepetitionLayout(filter.effectData[0], width, height)) {
          sizes.emplace_back(width, height);
        }
      }
    }
  }
  std::vector<std::pair<std::int32_t, std::int32_t>> sizes;
};

TEST_F(MakeMovieOutputTest, DoubleSizeMoviesPrepareEffectDataAtTwiceTheSize) {
  TLFilter repetition;
  repetition.id = kFilterRepetition3D;
  for (TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    if (event->IsClipIn() && event->trackNumber == 1) event->filters.push_back(repetition);
  }
  TheApp().movie.Vb2xAA = 1;
  TheApp().preview.Vb2xAA = 1;
  auto* recording = new PreparedSizeView(doc, TheApp(), AppProfile());
  view.reset(recording);
  dialogs.path = Out("double.flc");
  prompts.Expect(CompletedText(75, *dialogs.path));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kFlc), 0);
  dialogs.path = Out("preview.flc");
  prompts.Expect(CompletedText(75, *dialogs.path));
  ASSERT_EQ(MakeMovie(1, MovieOutputType::kFlc), 0);
  ASSERT_EQ(recording->sizes.size(), 2u);
  EXPECT_EQ(recording->sizes[0], (std::pair<std::int32_t, std::int32_t>{128, 96}));
  EXPECT_EQ(recording->sizes[1], (std::pair<std::int32_t, std::int32_t>{64, 48}));
  // After the movie the effect data is released again.
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    for (const TLFilter& filter : event->filters) EXPECT_EQ(filter.effectData[0], 0);
  }
}

TEST_F(MakeMovieOutputTest, CancelledDialogsRenderNothing) {
  for (MovieOutputType type :
       {MovieOutputType::kAvi, MovieOutputType::kFlc, MovieOutputType::kWav, MovieOutputType::kImageSequence}) {
    EXPECT_EQ(MakeMovie(0, type), -1);
  }
  EXPECT_TRUE(std::filesystem::is_empty(Out("")));
  EXPECT_TRUE(player.requests().empty());
  EXPECT_EQ(dialogs.folderRequests, 1);
}

TEST_F(MakeMovieOutputTest, OutputNamesAreChecked) {
  dialogs.path = Out("nodot");
  prompts.Expect("Wrong File Type");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);
  dialogs.path = Out("folder.x/Recorder.Avi");
  prompts.Expect("Can NOT pick this file name since it has been reserved");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);
  // A clip's file in other letters is refused, and the path is not upper-cased.
  std::string clipInOtherCase = clipA;
  clipInOtherCase.replace(clipInOtherCase.size() - 9, 9, "CLIPA.AVI");
  dialogs.path = clipInOtherCase;
  prompts.Expect("Can NOT pick this file name since this file is on the timeline");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kFlc), -1);
  dialogs.path = Out("no such folder/movie.avi");
  prompts.Expect(std::string(StringText(61298)));
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kWav), -1);
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_TRUE(std::filesystem::is_empty(Out("")));
}

TEST_F(MakeMovieOutputTest, PathKeepsItsLetterCase) {
  const std::string out = Out("Mixed.Avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "FileName"), ToUpperAscii(out));
}

TEST_F(MakeMovieOutputTest, SpaceQuestionCanStopTheMovie) {
  UseFreeSpace([](const std::string&) { return std::optional<std::uint64_t>(0); });  // a full disk
  dialogs.path = Out("full.avi");
  prompts.Expect("The drive may not have enough space, do you want to continue ?", IDCANCEL);
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);
  EXPECT_FALSE(std::filesystem::exists(Out("full.avi")));
  prompts.Expect("The drive may not have enough space, do you want to continue ?", IDOK);
  prompts.Expect(CompletedText(75, Out("full.avi")));
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_TRUE(std::filesystem::exists(Out("full.avi")));
  // A range without a frame is refused before anything is asked or written.
  doc.movieRange = {0, 0};
  dialogs.path = Out("empty.wav");
  prompts.Expect("The movie range holds no frame: drag the ends of the Movie band over the ruler to set it.");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kWav), -1);
  EXPECT_FALSE(std::filesystem::exists(Out("empty.wav")));
}

TEST_F(MakeMovieOutputTest, SavePromptOffersToSaveTheTimeline) {
  doc.savePrompt = 1;
  doc.SetModifiedFlag();
  doc.pathName = (temp.path() / "timeline.tle").string();
  prompts.Expect("The Timeline has been changed, Do you want to save the changes first ?", IDYES);
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);  // then the dialog is cancelled
  EXPECT_TRUE(std::filesystem::exists(doc.pathName));
}

TEST_F(MakeMovieOutputTest, EscapeWhileTheAviRendersKeepsTheFramesWritten) {
  const std::string out = Out("stopped.avi");
  dialogs.path = out;
  ui.stopAfterFrames = 30;
  prompts.Expect("Movie/Preview stopped! \n Frames compiled: 30 \nOutput File: " + out);
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(Compiler().LastJobResult(), 30);
  EXPECT_EQ(VideoFrames(out), 30);
  // The stopped movie is kept and played.
  EXPECT_EQ(player.requests().size(), 1u);
}

}  // namespace
}  // namespace sprocket::testing

namespace sprocket::testing {
namespace {

// ESC at other points of the other outputs, on the single-user family.
class MakeMovieStopTest : public MakeMovieTest {
protected:
  void SetUp() override {
    BuildStandardTimeline();
    SetFamily(1);
  }
};

TEST_F(MakeMovieStopTest, StoppedAnimationKeepsItsFileButIsNotPlayed) {
  const std::string out = Out("stopped.flc");
  dialogs.path = out;
  ui.stopAfterFrames = 10;
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kFlc), 0);
  EXPECT_EQ(Compiler().LastJobResult(), -1);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_TRUE(player.requests().empty());
}

TEST_F(MakeMovieStopTest, StoppedImageSequenceKeepsTheImagesWritten) {
  dialogs.folderPrefix = FolderPrefixAnswer{Out(""), "seq"};
  ui.stopAfterFrames = 5;
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kImageSequence), 0);
  EXPECT_EQ(Compiler().LastJobResult(), -1);
  EXPECT_TRUE(std::filesystem::exists(Out("seq0000.BMP")));
  EXPECT_FALSE(std::filesystem::exists(Out("seq0074.BMP")));
}

TEST_F(MakeMovieStopTest, StoppedSoundStillEndsTheWavJob) {
  const std::string out = Out("stopped.wav");
  dialogs.path = out;
  StopAtPump stop(2);
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kWav), 0);
  EXPECT_GE(stop.calls(), 2);
  EXPECT_EQ(Compiler().LastJobResult(), 1);
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(out, &info), WaveReadStatus::kOk);
  EXPECT_LT(info.dataSize, 3u * 11025u);  // the sound up to the stop
  EXPECT_EQ(player.requests().size(), 1u);
}

TEST_F(MakeMovieStopTest, PreviewSegmentsAreRenderedAtThePreviewSettings) {
  TheApp().preview.VResWidth = 32;
  TheApp().preview.VResHeight = 24;
  const std::string out = Out("preview.avi");
  dialogs.path = out;
  RenderFirstSegment(1);
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(1, MovieOutputType::kAvi), 0);
  ASSERT_EQ(SegmentFiles().size(), 3u);
  VideoFrameReader segment;
  ASSERT_TRUE(segment.Open(SegmentFiles()[0]));
  EXPECT_EQ(segment.Width(), 32);
  VideoFrameReader movie;
  ASSERT_TRUE(movie.Open(out));
  EXPECT_EQ(movie.Width(), 32);
  EXPECT_EQ(movie.FrameCount(), 75);
}

TEST_F(MakeMovieStopTest, AnimationOnTheSingleUserFamilyTakesThePlainRoad) {
  const std::string out = Out("plain.flc");
  dialogs.path = out;
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kFlc), 0);
  EXPECT_TRUE(SegmentFiles().empty());
}

}  // namespace
}  // namespace sprocket::testing

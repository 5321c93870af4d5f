#include "makemovie_fixture.h"

#include <algorithm>
#include <cstring>

#include "imagelib/dib_header.h"
#include "platform/media/avi_writer.h"
#include "platform/media/video_frame_reader.h"
#include "platform/message_pump.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "render/compose/library_render_effects.h"
#include "render/output/job_frame_renderer.h"
#include "render/output/movie_join_binding.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {

namespace {

std::size_t RowBytes(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

GlobalBlock Solid(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  GlobalBlock block = GlobalBlock::Allocate(sizeof(DibInfoHeader) + RowBytes(width) * height);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  const DibInfoHeader header = MakeDib24Header(width, height);
  std::memcpy(bytes.get(), &header, sizeof header);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bytes.get() + sizeof header + y * RowBytes(width);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = blue;
      row[x * 3 + 1] = green;
      row[x * 3 + 2] = red;
    }
  }
  return block;
}

}  // namespace

std::optional<AviSaveAnswer> ScriptedDialogs::SaveAviFile(const AviSaveRequest& request) {
  aviRequests.push_back(request);
  if (!path) return std::nullopt;
  return AviSaveAnswer{*path, movieTitle.empty() ? request.movieTitle : movieTitle, request.recordInMs};
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileSaveRequest& request) {
  fileRequests.push_back(request);
  return path;
}

std::optional<FolderPrefixAnswer> ScriptedDialogs::PickFolderAndPrefix() {
  ++folderRequests;
  return folderPrefix;
}

StopAtPump::StopAtPump(int stopAt) : calls_(std::make_shared<int>(0)) {
  SetPumpHook([calls = calls_, stopAt] {
    if (++*calls == stopAt) RequestAbort();
  });
}

StopAtPump::~StopAtPump() {
  SetPumpHook({});
  ClearAbort();
}

std::string CompletedText(std::int64_t frames, const std::string& path) {
  return "Movie/Preview completed! \n Frames compiled: " + std::to_string(frames) + " \nOutput File: " + path;
}

MakeMovieTest::MakeMovieTest() {
  ApplicationState& app = TheApp();
  saved_.movie = app.movie;
  saved_.preview = app.preview;
  saved_.imageSequenceBasePath = app.imageSequenceBasePath;
  std::filesystem::create_directories(temp.path() / "out");
  std::filesystem::create_directories(temp.path() / "tmp");
  std::filesystem::create_directories(temp.path() / "media");
  doc.tempDir = (temp.path() / "tmp").string() + "/";
  doc.savePrompt = 0;
  UseSmallMovieSettings();
}

MakeMovieTest::~MakeMovieTest() {
  compiler.reset();
  ApplicationState& app = TheApp();
  app.movie = saved_.movie;
  app.preview = saved_.preview;
  app.imageSequenceBasePath = saved_.imageSequenceBasePath;
  app.segmentRenderFlag = 0;
  app.savedRanges.reset();
}

void MakeMovieTest::UseSmallMovieSettings() {
  for (MovieSettings* record : {&TheApp().movie, &TheApp().preview}) {
    record->VResWidth = 64;
    record->VResHeight = 48;
    record->VFramesPerSec = 25.0f;
    record->VCompressionType = "MJPG";
    record->VQuality = 7500;
    record->VKeyFrame = 1;
    record->VInterleave = 1;
    record->VBitsPerPixel = 24;
    record->VReserved1 = 1;
    record->Vb2xAA = 0;
    record->VField = 0;
    record->ABitsPerSample = 8;
    record->ASamplesPerSec = 11025;
    record->AChannels = 1;
    record->FResWidth = 64;
    record->FResHeight = 48;
    record->IResWidth = 64;
    record->IResHeight = 48;
    record->IFileType = 0;
    record->IFieldSequence = 0;
  }
}

void MakeMovieTest::UseBoardNativeSettings() {
  for (MovieSettings* record : {&TheApp().movie, &TheApp().preview}) {
    record->VResWidth = 720;
    record->VResHeight = 480;
    record->VFramesPerSec = 29.97f;
    record->VCompressionType = "CFCC";
    record->VReserved1 = 0;
  }
}

void MakeMovieTest::SetFamily(int family) {
  AppProfile().WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, family);
  compiler.reset();
}

void MakeMovieTest::SimulateBoard(bool effectsBoard) {
  board = std::make_unique<SimulatedBoard>(temp.path() / "board", effectsBoard);
  compiler.reset();
}

std::string MakeMovieTest::WriteClip(const std::string& name, int width, int height, int frames, std::uint8_t blue,
                                     std::uint8_t green, std::uint8_t red, const char* codec, bool sound, bool ramp) {
  const std::string path = (temp.path() / "media" / name).string();
  AviVideoFormat format;
  format.width = width;
  format.height = height;
  format.rate = 25;
  format.compressor = MakeFourCC(codec);
  format.quality = 9000;
  std::optional<AviAudioFormat> audio;
  if (sound) audio = AviAudioFormat{8, 11025, 1};
  AviWriter writer;
  EXPECT_TRUE(writer.Open(path, format, audio)) << writer.ErrorText();
  GlobalBlock picture = Solid(width, height, blue, green, red);
  std::vector<std::uint8_t> samples(441);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::uint8_t>(128 + (i % 20 < 10 ? 40 : -40));
  for (int i = 0; i < frames; ++i) {
    if (ramp) picture = Solid(width, height, blue, static_cast<std::uint8_t>(std::min(255, 4 * i)), red);
    EXPECT_TRUE(writer.WriteFrame(picture.get()));
    if (sound) {
      EXPECT_TRUE(writer.WriteAudio(samples.data(), samples.size()));
    }
  }
  EXPECT_TRUE(writer.Finish()) << writer.ErrorText();
  return path;
}

TLEvent* MakeMovieTest::AddClip(const std::string& path, std::int32_t track, std::int32_t in, std::int32_t out) {
  MediaPathParts parts;
  EXPECT_TRUE(SplitMediaPath(path, &parts));
  TLEvent* clip = nullptr;
  std::string error;
  EXPECT_EQ(CreateClipFromFile(doc.Head(), in, kTrackVideo, track, 0, out - in, GetMediaTypeCode(path), 100, 0,
                               parts.name, parts.name, parts.extension, parts.directory, nullptr, &clip, &error),
            1)
      << error;
  if (clip != nullptr && clip->OutTime() != out) {
    clip->ClipOut()->time = out;
    SortClipRecords(doc.Head());
  }
  return clip;
}

TLEvent* MakeMovieTest::AddDissolve(std::int32_t in, std::int32_t out) {
  TLEventFields fields;
  fields.transitionId = 1;
  TLFilter dissolve;
  dissolve.id = 1;
  fields.filters.push_back(dissolve);
  return InsertClip(doc.Head(), 2, in, out, fields);
}

void MakeMovieTest::BuildStandardTimeline(int width, int height, bool ramp) {
  doc.rate = 2500;
  doc.head = MakeDefaultTimeline(2500, 3000);
  doc.duration = 3000;
  clipA = WriteClip("clipA.avi", width, height, 50, 40, 40, 200, "MJPG", true, ramp);
  clipB = WriteClip("clipB.avi", width, height, 50, 200, 40, 40);
  ASSERT_NE(AddClip(clipA, 1, 0, 2000), nullptr);
  ASSERT_NE(AddClip(clipB, 3, 1600, 3000), nullptr);
  ASSERT_NE(AddDissolve(1600, 2000), nullptr);
  SplitSegmentsAtClips(doc.Head());
  doc.movieRange = {0, 3000};
  doc.previewRange = {0, 3000};
}

MovieCompiler& MakeMovieTest::Compiler() {
  if (!compiler) {
    if (!view) view = std::make_unique<HeadlessMovieView>(doc, TheApp(), AppProfile());
    MovieRenderServices services;
    services.job.renderFrame = CompositorFrameRenderer();
    services.job.joinMovie = LibraryMovieJoin();
    services.view = view.get();
    services.ui = &ui;
    services.dialogs = &dialogs;
    services.board = board.get();
    services.player = &player;
    services.turboTest = LibraryRenderEffects().TurboTest();
    services.freeSpace = freeSpace_;
    compiler = std::make_unique<MovieCompiler>(doc, std::move(services));
  }
  return *compiler;
}

void MakeMovieTest::UseFreeSpace(FreeSpaceProbe probe) {
  freeSpace_ = std::move(probe);
  compiler.reset();
}

int MakeMovieTest::MakeMovie(int previewFlag, MovieOutputType type) { return Compiler().MakeMovie(previewFlag, type); }

std::int64_t MakeMovieTest::VideoFrames(const std::string& path) {
  VideoFrameReader reader;
  if (!reader.Open(path)) return -1;
  return reader.FrameCount();
}

MeanColour MakeMovieTest::FrameColour(const std::string& path, std::int64_t frame) {
  VideoFrameReader reader;
  MeanColour mean;
  if (!reader.Open(path)) return mean;
  GlobalBlock picture = reader.ReadFrame(frame);
  GlobalLockGuard<std::uint8_t> bytes(picture.get());
  if (!bytes) return mean;
  const int width = reader.Width(), height = reader.Height();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = bytes.get() + sizeof(DibInfoHeader) + y * RowBytes(width);
    for (int x = 0; x < width; ++x) {
      mean.blue += row[x * 3];
      mean.green += row[x * 3 + 1];
      mean.red += row[x * 3 + 2];
    }
  }
  const double count = static_cast<double>(width) * height;
  mean.blue /= count;
  mean.green /= count;
  mean.red /= count;
  return mean;
}

std::size_t MakeMovieTest::SegmentRenders() const {
  return static_cast<std::size_t>(std::count(ui.captions.begin(), ui.captions.end(), "Rendering a segment..."));
}

std::vector<std::string> MakeMovieTest::SegmentFiles() const {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(doc.tempDir)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("zkb", 0) == 0 && entry.path().extension() == ".avi") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void MakeMovieTest::RenderFirstSegment(int previewFlag) {
  ASSERT_FALSE(doc.Head()->segments.empty());
  ASSERT_EQ(Compiler().Segments().RenderSegment(previewFlag, doc.Head()->segments.front(), 1), 1);
}

std::vector<std::string> MakeMovieTest::NamedSegmentFiles() const {
  std::vector<std::string> files;
  for (const TLFilter& segment : doc.Head()->segments) {
    if (!segment.fileName.empty()) files.push_back(segment.fileName);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace sprocket::testing

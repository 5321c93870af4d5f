#include "render_test_project.h"

#include <cmath>
#include <stdexcept>

#include "join_test_media.h"
#include "outside_tools.h"
#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"
#include "platform/settings_store.h"
#include "render/audio/wav_file.h"
#include "render/output/job_frame_renderer.h"
#include "render/picture/picture_ops.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {

std::uint8_t ClipBlue(int k) { return static_cast<std::uint8_t>(4 * k); }

namespace {

void WriteClip(const std::string& path) {
  AviVideoFormat video;
  video.width = kClipWidth;
  video.height = kClipHeight;
  video.rate = 25;
  video.scale = 1;
  video.compressor = MakeFourCC("DIB ");
  AviWriter writer;
  if (!writer.Open(path, video, std::nullopt)) throw std::runtime_error(writer.ErrorText());
  for (int k = 0; k < 25; ++k) {
    DibPicture picture = DibPicture::Black24(kClipWidth, kClipHeight);
    std::optional<PictureGeometry> g = ReadPictureGeometry(picture.data());
    for (int y = 0; y < kClipHeight; ++y) {
      for (int x = 0; x < kClipWidth; ++x) {
        std::uint8_t* p = g->Row(y) + x * 3;
        p[0] = ClipBlue(k);
        p[1] = static_cast<std::uint8_t>(3 * x);
        p[2] = static_cast<std::uint8_t>(4 * y);
      }
    }
    if (!writer.WriteFrame(picture.handle())) throw std::runtime_error(writer.ErrorText());
  }
  if (!writer.Finish()) throw std::runtime_error(writer.ErrorText());
}

void WriteTone(const std::string& path) {
  WaveOutputFile wave;
  wave.WriteWaveHeader(0, 0, 0, 0, 0, path);
  std::vector<std::int16_t> samples;
  for (int i = 0; i < kToneRate; ++i) {
    const auto value = static_cast<std::int16_t>(std::lround(8000.0 * std::sin(i * 2.0 * M_PI * 441.0 / kToneRate)));
    samples.push_back(value);
    samples.push_back(static_cast<std::int16_t>(-value));
  }
  wave.Write(samples.data(), samples.size() * sizeof(std::int16_t));
  wave.WriteWaveHeader(1, wave.DataBytes(), kToneRate, 2, 16, path);
}

constexpr const char* kTimeline = R"({
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 2000,
  "movieRange": [0, 1000], "previewRange": [0, 1000],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 1000, "file": "card.avi", "playIn": 0, "playOut": 1000 } ] },
    { "type": "A", "number": 2, "clips": [
      { "in": 0, "out": 1000, "file": "tone.wav", "playIn": 0, "playOut": 1000 } ] }
  ]
})";

}  // namespace

RenderTestProject::RenderTestProject(const std::string& settingsText) {
  WriteClip(Path("card.avi"));
  WriteTone(Path("tone.wav"));
  dir_.Write("project.tle", kTimeline);
  dir_.Write("temp/.keep", "");
  dir_.Write("config/RODUVER.INI", "[Movie]\n" + settingsText + "\n[Temp File Dir]\nDir=" + Path("temp") + "\n");
  SetConfigDir(ConfigDir());
}

RenderTestProject::~RenderTestProject() { SetConfigDir({}); }

void RenderTestProject::WriteTimelineWithSegments(const std::string& segmentsJson) {
  std::string text = kTimeline;
  text.insert(text.find("\"tracks\""), "\"segments\": " + segmentsJson + ",\n  ");
  dir_.Write("project.tle", text);
}

std::vector<std::uint8_t> RenderTestProject::ComposedFrame(double ms, int width, int height) const {
  CTestDoc doc;
  if (!ReadTimelineFile(Timeline(), doc)) return {};
  DibPicture picture = DibPicture::Black24(width, height);
  RenderFrameArgs args;
  args.frameTime = args.endTime = ms;
  args.dib = picture.data();
  args.head = doc.Head();
  args.width = width;
  args.height = height;
  args.mode = kRenderModePlain;
  std::int32_t result = 0;
  if (CompositorFrameRenderer()(args, &result) != kRenderDone) return {};
  return TopDownRows(picture.handle());
}

std::string ProbeStream(const std::string& path, const std::string& selector, const std::string& entries) {
  const auto output = RunCommand("ffprobe -v error -select_streams " + selector + " -show_entries stream=" + entries +
                                 " -of compact=p=0 '" + path + "' 2>/dev/null");
  if (!output) return {};
  std::string text = *output;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

std::string StreamText(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  return text;
}

}  // namespace sprocket::testing

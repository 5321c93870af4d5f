#pragma once
// A timeline view over a fresh document for the clip tests: a frame source
// that gives one colour, the example media, and pixel helpers.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>

#include "platform/application_state.h"
#include "platform/settings/profile.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/clip_drawing.h"
#include "tleview/tle_view.h"

namespace sprocket {

inline constexpr dc::Rgb kBlack{0, 0, 0};
inline constexpr dc::Rgb kWhite{255, 255, 255};
inline constexpr dc::Rgb kRed{255, 0, 0};
inline constexpr dc::Rgb kYellow{255, 255, 0};
inline constexpr dc::Rgb kFrameGreen{30, 200, 60};
inline constexpr dc::Rgb kWaveGreen{150, 235, 200};
inline constexpr int kX0 = 70;
inline constexpr int kWidth = 640;
inline constexpr int kHeight = 420;

inline std::filesystem::path ExamplesDir() { return std::filesystem::path(SPROCKET_SOURCE_DIR) / "examples"; }

// Frames of one colour; counts the frames asked for.
class FakeFrames final : public ClipFrameSource {
public:
  DibPicture FrameAt(const TLEvent&, std::int32_t, std::int32_t, int width, int height) override {
    ++calls;
    if (fail) return {};
    DibPicture picture = DibPicture::Black24(width, height);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::uint8_t* pixels = picture.data() + sizeof(DibInfoHeader);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::uint8_t* p = pixels + y * stride + 3 * x;
        p[0] = colour.b;
        p[1] = colour.g;
        p[2] = colour.r;
      }
    return picture;
  }
  int calls = 0;
  bool fail = false;
  dc::Rgb colour = kFrameGreen;
};

// Draws the view's state into a buffer of its own through OnDraw alone,
// everything at once (no pictures are made).
inline QImage DrawOnly(const CTLEView& view, int width = kWidth, int height = kHeight) {
  dc::BackBuffer buffer;
  buffer.Resize(width, height);
  buffer.SetPaintHandler([&view](dc::Context& dc) { view.OnDraw(dc); });
  buffer.InvalidateAll();
  buffer.UpdateNow();
  return buffer.Image().copy();
}

class ClipView : public ::testing::Test {
protected:
  ClipView() : profile(dir / "RODUVER.INI") { Reset(); }

  // A new default document in a new view.
  void Reset() {
    view.reset();
    document = std::make_shared<ViewedDocument>();
    document->doc.rate = 2500;
    document->doc.Head()->rate = 2500;
    document->doc.SetDuration(60000);
    document->doc.tempDir = dir.path().string() + "/";
    view = std::make_unique<CTLEView>(document, app, profile);
    auto fake = std::make_unique<FakeFrames>();
    frames = fake.get();
    view->frameSource = std::move(fake);
    view->BackBuffer().Resize(kWidth, kHeight);
  }
  CTestDoc& doc() { return document->doc; }
  const QImage& Paint() {
    view->InvalidateAll();
    view->UpdateNow();
    return view->BackBuffer().Image();
  }
  dc::Rgb At(int x, int y) { return view->BackBuffer().Pixel(x, y); }
  TLEvent* Track(int n) { return FindTrack(doc().Head(), n); }
  int Top(int n) { return view->TrackTop(n); }

  int Count(const dc::Rect& area, dc::Rgb colour, const QImage* image = nullptr) {
    const QImage& in = image != nullptr ? *image : view->BackBuffer().Image();
    int count = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, in.height()); ++y)
      for (int x = std::max(area.left, 0); x < std::min(area.right, in.width()); ++x)
        if (dc::Rgb::FromQRgb(in.pixel(x, y)) == colour) ++count;
    return count;
  }
  static int Differences(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (a.pixel(x, y) != b.pixel(x, y)) ++count;
    return count;
  }

  std::string WriteFile(const std::string& name, const std::string& text = "media") {
    const std::filesystem::path path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  // A clip of a file that the fake frame source draws.
  TLEvent* AddFileClip(int track, std::int32_t in, std::int32_t out, const std::string& path, std::int32_t type) {
    TLEventFields fields;
    MediaPathParts parts;
    SplitMediaPath(path, &parts);
    fields.directory = parts.directory;
    fields.name = parts.name;
    fields.extension = parts.extension;
    fields.mediaType = type;
    fields.playOut = out - in;
    return InsertClip(doc().Head(), track, in, out, fields);
  }

  // A clip of one of the example media files, with its real header.
  TLEvent* AddDemoClip(int track, std::int32_t time, const std::string& file, char trackType = 0) {
    const std::filesystem::path path = ExamplesDir() / "media" / file;
    MediaPathParts parts;
    SplitMediaPath(path.string(), &parts);
    const std::int32_t type = GetMediaTypeCode(path.string());
    if (trackType == 0) trackType = type == kMediaWav ? kTrackAudio : kTrackVideo;
    TLEvent* clip = nullptr;
    CreateClipFromFile(doc().Head(), time, trackType, track, 0, 3000, type, kNormalSpeed, 0, parts.name, parts.name,
                       parts.extension, parts.directory, nullptr, &clip);
    return clip;
  }

  // The example timeline, with the waveforms of its sound shown.
  void AddDemoTimeline() {
    std::ifstream in(ExamplesDir() / "demo.tle");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ParseTimelineFile(text, ExamplesDir(), doc()));
    for (TLEvent* e = doc().Head(); e != nullptr; e = GetNextEvent(e))
      if (e->kind == kEventTrackBegin && e->trackType == kTrackAudio) e->viewStatus = kTrackViewWaveform;
    doc().scaleIndex = 1;  // wide enough to scroll
    doc().RecalcScale();
    Paint();
  }

  testing::TempDir dir;
  Profile profile;
  ApplicationState app;
  std::shared_ptr<ViewedDocument> document;
  std::unique_ptr<CTLEView> view;
  FakeFrames* frames = nullptr;
};

}  // namespace sprocket

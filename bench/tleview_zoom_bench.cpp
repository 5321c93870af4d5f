// A zoom step of the timeline view on 20,000 AVI clips of one small real
// movie (examples/media/shot-a.avi, decoded by the view's own frame source):
// the time scale goes one step out or in and the view paints what it shows
// (pictures made, then the paint), as the editor does after View > Zoom
// Out. The first paint of each scale is made before the timing.
//
//   bench_tleview --benchmark_filter=ZoomStep
//
// Counters: rss_mb is the process's resident memory after the steps.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench_folder.h"
#include "platform/application_state.h"
#include "platform/settings/profile.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_factory.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "tleview/tle_view.h"

namespace sprocket {
namespace {

constexpr int kClips = 20000;
constexpr std::int32_t kClipMs = 1000;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "bench_tleview";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication application(argc, argv);
  return application;
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
  }
  return 0;
}

// 20,000 clips of the movie, one after the other on video tracks 1 and 3.
void AddMovieClips(CTestDoc& doc) {
  const std::filesystem::path path = std::filesystem::path(SPROCKET_SOURCE_DIR) / "examples/media/shot-a.avi";
  MediaPathParts parts;
  SplitMediaPath(path.string(), &parts);
  TLEvent* first = nullptr;
  CreateClipFromFile(doc.Head(), 0, kTrackVideo, 1, 0, kClipMs, kMediaAvi, kNormalSpeed, 0, parts.name, parts.name,
                     parts.extension, parts.directory, nullptr, &first);
  if (first == nullptr) return;
  TLEventFields fields;
  fields.directory = parts.directory;
  fields.name = parts.name;
  fields.extension = parts.extension;
  fields.mediaType = kMediaAvi;
  fields.playOut = kClipMs;
  for (int i = 1; i < kClips; ++i) {
    const int track = i % 2 == 0 ? 1 : 3;
    const std::int32_t in = (i / 2) * kClipMs;
    TLEvent* clip = InsertClip(doc.Head(), track, in, in + kClipMs, fields);
    if (clip != nullptr) clip->header = first->header;
  }
}

void BM_ZoomStep(benchmark::State& state) {
  Application();
  BenchFolder folder("tleview");
  Profile profile(folder.path() / "RODUVER.INI");
  ApplicationState app;
  auto document = std::make_shared<ViewedDocument>();
  document->doc.rate = 2500;
  document->doc.SetDuration(static_cast<std::int32_t>(kClips / 2 + 1) * kClipMs);
  AddMovieClips(document->doc);
  CTLEView view(document, app, profile);
  view.BackBuffer().Resize(1280, 720);
  const int fine = static_cast<int>(state.range(0));
  for (int scale : {fine, fine + 1}) {  // the first paint of each scale
    view.SetScaleIndex(scale);
    view.UpdateNow();
  }
  bool out = false;
  for (auto _ : state) {
    out = !out;
    view.SetScaleIndex(out ? fine : fine + 1);
    view.UpdateNow();
  }
  state.counters["rss_mb"] = ResidentMegabytes();
}
// Scales 3 (a second a picture width) to 9: from a few clips in view to all.
BENCHMARK(BM_ZoomStep)->DenseRange(3, 8, 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket

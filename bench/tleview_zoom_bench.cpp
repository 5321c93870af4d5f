// A zoom step of the timeline view on 20,000 AVI clips of two small real
// movies (examples/media/shot-*.avi, decoded by the view's own frame source):
// the time scale goes one step out or in and the view paints what it shows
// (pictures made, then the paint), as the editor does after View > Zoom
// Out. The first paint of each scale is made before the timing.
//
//   bench_tleview --benchmark_filter=ZoomStep
//
// Counters: rss_mb is the process's resident memory after the steps;
// first_paints_ms the two first paints (both scales) before the timing.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
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

// The first clip of each movie, made through the clip factory (it reads
// the file's header); the others copy its fields.
std::optional<TLEventFields> FirstClipFields(CTestDoc& doc, const char* file, std::int32_t trackNumber) {
  const std::filesystem::path path = std::filesystem::path(SPROCKET_SOURCE_DIR) / "examples/media" / file;
  MediaPathParts parts;
  SplitMediaPath(path.string(), &parts);
  TLEvent* first = nullptr;
  CreateClipFromFile(doc.Head(), 0, kTrackVideo, trackNumber, 0, kClipMs, kMediaAvi, kNormalSpeed, 0, parts.name,
                     parts.name, parts.extension, parts.directory, nullptr, &first);
  if (first == nullptr) return std::nullopt;
  TLEventFields fields = *first;
  DeleteClip(first);
  return fields;
}

// 20,000 one-second clips one after the other on video tracks 1 and 3,
// alternately of two movies and each from one of 50 places in its movie, so
// the view shows 100 different pictures as a project cut from a few long
// takes would. Linked latest first, as the file reader does.
void AddMovieClips(CTestDoc& doc) {
  const std::optional<TLEventFields> a = FirstClipFields(doc, "shot-a.avi", 1);
  const std::optional<TLEventFields> b = FirstClipFields(doc, "shot-b.avi", 3);
  if (!a || !b) return;
  for (int i = kClips - 1; i >= 0; --i) {
    TLEventFields fields = (i / 2) % 2 == 0 ? *a : *b;
    fields.playIn = (i % 50) * 40;
    fields.playOut = fields.playIn + kClipMs;
    const std::int32_t in = (i / 2) * kClipMs;
    InsertClip(doc.Head(), i % 2 == 0 ? 1 : 3, in, in + kClipMs, fields);
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
  const auto before = std::chrono::steady_clock::now();
  for (int scale : {fine, fine + 1}) {  // the first paint of each scale
    view.SetScaleIndex(scale);
    view.UpdateNow();
  }
  const std::chrono::duration<double, std::milli> firstPaints = std::chrono::steady_clock::now() - before;
  bool out = false;
  for (auto _ : state) {
    out = !out;
    view.SetScaleIndex(out ? fine : fine + 1);
    view.UpdateNow();
  }
  state.counters["rss_mb"] = ResidentMegabytes();
  state.counters["first_paints_ms"] = firstPaints.count();
}
// Scales 3 (a second a picture width) to 9: from a few clips in view to all.
BENCHMARK(BM_ZoomStep)->DenseRange(3, 8, 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket

// The clips under a frame's time on a timeline of many clips: found by
// walking the tracks, and through the index a render job keeps.

#include <benchmark/benchmark.h>

#include "timeline/document/render_list.h"
#include "timeline/records/clip_time_index.h"
#include "timeline/records/timeline_builder.h"

namespace {

using namespace sprocket;

// `clips` clips of 200 ms one after another on each of two video tracks.
EventListSlot ManyClips(int clips) {
  EventListSlot head = MakeDefaultTimeline(2500, clips * 200 + 1000);
  for (int k = 0; k < clips; ++k) {
    TLEventFields fields;
    fields.name = "clip";
    InsertClip(head.get(), 1, k * 200, k * 200 + 200, fields);
    InsertClip(head.get(), 3, k * 200, k * 200 + 200, fields);
  }
  return head;
}

void BM_RenderListAtTheEnd(benchmark::State& state) {
  const int clips = static_cast<int>(state.range(0));
  const bool indexed = state.range(1) != 0;
  const EventListSlot head = ManyClips(clips);
  const ClipTimeIndex index(head.get());
  const double t = clips * 200.0 - 100.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildRenderList(t, t, head.get(), 0, 0, 0, 0, nullptr, indexed ? &index : nullptr));
  }
}
BENCHMARK(BM_RenderListAtTheEnd)->ArgsProduct({{10, 1000, 10000}, {0, 1}});

}  // namespace

// The frame compositor on the side-by-side job's picture: a cross dissolve
// between two 720 x 480 MJPEG clips, frame after frame, and the parts of
// that frame's work on their own.
//
//   bench_compose --benchmark_filter=Frame
//
// RenderFrame/CrossDissolve is one whole frame (both sources decoded,
// dissolved, laid into the output). The parts: Decode reads the two source
// frames through their track nodes; Dissolve mixes two pictures (the
// benchmark's own dissolve, written as plainly as the transition library's
// kernel); Blend lays the result into the output. The whole frame is timed
// by the clock on the wall: the B side decodes on a second thread.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_folder.h"
#include "imagelib/dib_header.h"
#include "imagelib/drawing/mask_blend.h"
#include "platform/media/avi_writer.h"
#include "platform/settings_store.h"
#include "render/compose/render_frame.h"
#include "render/picture/dib_picture.h"
#include "render/picture/picture_ops.h"
#include "render/sources/render_state.h"
#include "render/sources/track_list.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kFrames = 50;  // two seconds at 25 frames a second

BenchFolder& Folder() {
  static BenchFolder folder("frame");
  return folder;
}

// A picture with a gradient that moves with the frame and a tint per clip.
DibPicture ClipPicture(int frame, int tint) {
  DibPicture picture = DibPicture::Black24(kWidth, kHeight);
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture.data());
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = geometry->Row(y);
    for (int x = 0; x < kWidth; ++x) {
      row[x * 3 + 0] = static_cast<std::uint8_t>(x + frame * 4);
      row[x * 3 + 1] = static_cast<std::uint8_t>(y + tint);
      row[x * 3 + 2] = static_cast<std::uint8_t>((x + y) / 4 + tint);
    }
  }
  return picture;
}

std::string WriteClip(const std::string& name, int tint) {
  const std::string path = (Folder().path() / name).string();
  if (std::filesystem::exists(path)) return path;
  AviVideoFormat format;
  format.width = kWidth;
  format.height = kHeight;
  format.compressor = MakeFourCC("MJPG");
  AviWriter writer;
  if (!writer.Open(path, format, std::nullopt)) std::abort();
  for (int frame = 0; frame < kFrames; ++frame) {
    const DibPicture picture = ClipPicture(frame, tint);
    if (!writer.WriteFrame(picture.handle())) std::abort();
  }
  if (!writer.Finish()) std::abort();
  return path;
}

void PlaceClip(TLEvent* head, std::int32_t track, const std::string& path) {
  TLEventFields fields;
  const std::filesystem::path file(path);
  fields.directory = file.parent_path().string() + "/";
  fields.name = file.stem().string();
  fields.extension = file.extension().string();
  fields.mediaType = GetMediaTypeCode(path);
  fields.playOut = kFrames * 40;
  TLEvent* clip = InsertClip(head, track, 0, kFrames * 40, fields);
  if (clip == nullptr || ReadClipHeader(clip) != 1) std::abort();
}

// A cross dissolve: each byte (a x (256 - w) + b x w) >> 8.
void Dissolve(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, float percent) {
  const std::optional<PictureGeometry> first = ReadPictureGeometry(a);
  const std::optional<PictureGeometry> second = ReadPictureGeometry(b);
  const std::optional<PictureGeometry> out = ReadPictureGeometry(result);
  const int weight = static_cast<int>(percent * 2.56f);
  for (int y = 0; y < out->height; ++y) {
    const std::uint8_t* p = first->Row(y);
    const std::uint8_t* q = second->Row(y);
    std::uint8_t* r = out->Row(y);
    for (int i = 0; i < out->width * 3; ++i) {
      r[i] = static_cast<std::uint8_t>((p[i] * (256 - weight) + q[i] * weight) >> 8);
    }
  }
}

// The effect libraries' calls, with the dissolve as the only effect.
class DissolveEffects final : public RenderEffects {
public:
  int ApplyFilterFrame(std::int32_t, std::int32_t, float, const std::uint8_t*, std::int32_t, std::uint8_t*,
                       std::uint8_t*, std::uint8_t*, std::span<const EffectFilter>, float, std::int32_t, std::int32_t,
                       const EffectFrameParams*, const std::uint8_t*, const RenderPumpCallback&, std::int32_t,
                       std::int32_t) override {
    return 0;
  }
  int ApplyFilterFrameToFile(std::int32_t, std::int32_t, float, const std::uint8_t*, std::uint8_t*, std::uint8_t*,
                             std::uint8_t*, std::int32_t, std::span<const EffectFilter>, float, std::int32_t,
                             const EffectFileWorkBlock*, std::int32_t, const RenderPumpCallback&) override {
    return 0;
  }
  int RenderTransitionFrame(std::int32_t, std::int32_t, float percent, const std::uint8_t* a, const std::uint8_t* b,
                            std::uint8_t* result, std::int32_t, std::int32_t, std::span<const EffectFilter>, float,
                            std::int32_t, std::int32_t, std::int32_t, const EffectFrameParams*,
                            const RenderPumpCallback&) override {
    Dissolve(a, b, result, percent);
    return 0;
  }
  int RenderTransitionFrameToFile(std::int32_t, std::int32_t, float percent, const std::uint8_t* a,
                                  const std::uint8_t* b, std::uint8_t* result, std::uint8_t*,
                                  std::span<const EffectFilter>, float, std::int32_t, std::int32_t,
                                  const EffectFileWorkBlock*, std::int32_t, const RenderPumpCallback&) override {
    Dissolve(a, b, result, percent);
    return 0;
  }
  int TurboProcess(TurboSources*, const TurboEntry&, std::uint8_t*, const EffectFrameParams*,
                   std::recursive_mutex*) override {
    return 0;
  }
  TurboEffectTest TurboTest() const override { return nullptr; }
};

// Clip A on V1, clip B on V2 and a dissolve over both on the transition track.
struct DissolveJob {
  DissolveJob() {
    head = MakeDefaultTimeline(2500, kFrames * 40);
    PlaceClip(head.get(), 1, WriteClip("a.avi", 0));
    PlaceClip(head.get(), 3, WriteClip("b.avi", 90));
    TLEventFields transition;
    TLFilter dissolve;
    InitFilter(dissolve);
    dissolve.id = 1;
    transition.filters.push_back(dissolve);
    transition.transitionId = 1;
    if (InsertClip(head.get(), 2, 0, kFrames * 40, transition) == nullptr) std::abort();
    chain = std::make_unique<TrackList>();
    chain->BuildTrackList(10);
  }
  EventListSlot head;
  std::unique_ptr<TrackList> chain;
};

void BM_RenderFrameCrossDissolve(benchmark::State& state) {
  DissolveJob job;
  DissolveEffects effects;
  DibPicture output = DibPicture::Black24(kWidth, kHeight);
  ResetRenderJobState();
  int frame = 0;
  for (auto _ : state) {
    RenderFrameArgs args;
    args.dib = output.data();
    args.width = kWidth;
    args.height = kHeight;
    args.head = job.head.get();
    args.frameTime = args.endTime = 40.0 * frame;
    args.tracks = job.chain.get();
    args.effects = &effects;
    std::int32_t result = 0;
    if (RenderFrame(args, &result) != kRenderDone) state.SkipWithError("frame failed");
    frame = (frame + 1) % kFrames;
  }
  job.chain->CloseTrackSources();
}
BENCHMARK(BM_RenderFrameCrossDissolve)->Name("RenderFrame/CrossDissolve")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameDecode(benchmark::State& state) {
  DissolveJob job;
  const RenderList list = BuildRenderList(0, 0, job.head.get(), 0, 0, 0, 0);
  job.chain->OpenRenderSources(list, job.head.get(), kWidth, kHeight, 0);
  TrackList* a = job.chain->FindNode(1);
  TrackList* b = job.chain->FindNode(3);
  int frame = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a->GetAviFrameDib(frame));
    benchmark::DoNotOptimize(b->GetAviFrameDib(frame));
    frame = (frame + 1) % kFrames;
  }
}
BENCHMARK(BM_FrameDecode)->Name("Frame/Decode")->Unit(benchmark::kMillisecond);

void BM_FrameDissolve(benchmark::State& state) {
  const DibPicture a = ClipPicture(0, 0);
  const DibPicture b = ClipPicture(0, 90);
  int frame = 0;
  for (auto _ : state) {
    DibPicture result = DibPicture::Black24(kWidth, kHeight);
    Dissolve(a.data(), b.data(), result.data(), 2.0f * static_cast<float>(frame));
    benchmark::DoNotOptimize(result.data());
    frame = (frame + 1) % kFrames;
  }
}
BENCHMARK(BM_FrameDissolve)->Name("Frame/Dissolve")->Unit(benchmark::kMillisecond);

void BM_FrameBlend(benchmark::State& state) {
  const DibPicture work = ClipPicture(3, 40);
  DibPicture output = DibPicture::Black24(kWidth, kHeight);
  for (auto _ : state) {
    BlendUnderMask(work.data(), output.data(), nullptr);
    benchmark::DoNotOptimize(output.data());
  }
}
BENCHMARK(BM_FrameBlend)->Name("Frame/Blend")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket

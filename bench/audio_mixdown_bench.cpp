// The audio mixdown of a minute of sound from four tracks.
//
//   bench_audio --benchmark_filter=Mixdown
//
// Counters: "audio_s/s" is seconds of sound mixed per second of work.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_folder.h"
#include "platform/settings_store.h"
#include "render/audio/audio_mixdown.h"
#include "render/audio/wav_file.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

constexpr int kSeconds = 60;

struct SourceSpec {
  int channels;
  int rate;
  int bits;
  int speed;
};

BenchFolder& Folder() {
  static BenchFolder folder("mixdown");
  return folder;
}

std::filesystem::path WriteSound(const std::string& name, const SourceSpec& spec, double pitch) {
  const auto path = Folder().path() / name;
  if (std::filesystem::exists(path)) return path;
  const std::int64_t frames = static_cast<std::int64_t>(kSeconds) * spec.rate * std::max(1, spec.speed / 100);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(frames * spec.channels * spec.bits / 8));
  for (std::int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < spec.channels; ++c) {
      const double value = std::sin(static_cast<double>(i) * pitch * (c + 1) / spec.rate) * 0.4;
      if (spec.bits == 8) {
        bytes.push_back(static_cast<std::uint8_t>(128 + std::lround(value * 127)));
      } else {
        const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(value * 32767)));
        bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(sample >> 8));
      }
    }
  }
  WaveOutputFile wav;
  wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string());
  wav.Write(bytes.data(), bytes.size());
  wav.WriteWaveHeader(1, bytes.size(), spec.rate, spec.channels, spec.bits, path.string());
  return path;
}

// Four audio tracks, each one clip over the whole minute with a volume
// envelope that fades in, dips and fades out, and a moving balance.
EventListSlot MakeTimeline(const std::vector<SourceSpec>& specs) {
  EventListSlot head = NewTimeline(2997, kSeconds * 1000);
  for (std::size_t t = 0; t < specs.size(); ++t) {
    AppendTrack(head.get(), kTrackAudio);
    const SourceSpec& spec = specs[t];
    const auto path = WriteSound("track" + std::to_string(t) + "_" + std::to_string(spec.rate) + "_" +
                                     std::to_string(spec.channels) + "_" + std::to_string(spec.bits) + ".wav",
                                 spec, 2200.0 + 700.0 * static_cast<double>(t));
    TLEventFields fields;
    fields.directory = path.parent_path().string() + "/";
    fields.name = path.stem().string();
    fields.extension = ".wav";
    fields.mediaType = kMediaWav;
    fields.playIn = 0;
    fields.playOut = kSeconds * 1000 * spec.speed / 100;
    fields.speed = spec.speed;
    ReadMediaHeader(path.string(), kMediaWav, &fields.header, nullptr);
    fields.volume = {{0, 0}, {10000, 500}, {6000, 5000}, {12000, 8000}, {0, 10000}};
    fields.balance = {{5000, 0}, {15000, 5000}, {10000, 10000}};
    InsertClip(head.get(), static_cast<std::int32_t>(t + 1), 0, kSeconds * 1000, fields);
  }
  head->volume = FlatEnvelope(9000);
  head->balance = FlatEnvelope(5000);
  return head;
}

void RunMixdown(benchmark::State& state, const std::vector<SourceSpec>& specs) {
  const EventListSlot head = MakeTimeline(specs);
  const std::string out = (Folder().path() / "out.wav").string();
  for (auto _ : state) {
    WaveOutputFile wav;
    wav.WriteWaveHeader(0, 0, 0, 0, 0, out);
    const int result = MixdownAudio(nullptr, &wav, nullptr, head.get(), 16, 2, 44100, 5, 1, 0, kSeconds * 1000);
    if (result != kMixdownDone) state.SkipWithError("the mixdown failed");
  }
  state.counters["audio_s/s"] = benchmark::Counter(
      static_cast<double>(kSeconds) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Mixdown4StereoTracks(benchmark::State& state) {
  RunMixdown(state, {{2, 44100, 16, 100}, {2, 44100, 16, 100}, {2, 44100, 16, 100}, {2, 44100, 16, 100}});
}
BENCHMARK(BM_Mixdown4StereoTracks)->Unit(benchmark::kMillisecond);

// Sources that need converting: 8-bit mono at 11025 Hz, 22050 Hz, 48000 Hz
// (resampled) and a clip at half speed.
void BM_MixdownMixedFormats(benchmark::State& state) {
  RunMixdown(state, {{1, 11025, 8, 100}, {2, 22050, 16, 100}, {2, 48000, 16, 100}, {2, 44100, 16, 50}});
}
BENCHMARK(BM_MixdownMixedFormats)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket

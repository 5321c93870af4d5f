#pragma once
// Small sound files and sound clips made in the tests: WAV files written
// sample by sample, hand-built RIFF files for the readers' bad-input cases,
// AVI clips with sound, and the samples of a WAV file read back.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "timeline/records/tl_event.h"

namespace sprocket::testing {

// Signed sample value of frame i, channel c (8-bit: -128..127, stored + 128).
using SampleFunction = std::function<int(std::int64_t frame, int channel)>;

// A canonical PCM WAV file of `frames` frames.
void WriteTestWave(const std::filesystem::path& path, int channels, int rate, int bits, std::int64_t frames,
                   const SampleFunction& sample);

// RIFF pieces: a chunk (padded to an even length) and the body of a "fmt "
// chunk (16 bytes, plus `extra` bytes).
std::string Chunk(const std::string& id, const std::string& data);
std::string FormatBody(int tag, int channels, int rate, int bits, int blockAlign, const std::string& extra = "");
// "RIFF" + size + "WAVE" + the chunks (the size counts them).
std::string RiffWave(const std::string& chunks);
std::string Le16(int value);
std::string Le32(std::uint32_t value);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The fields of a clip of the file at `path` (its header read from the
// file), playing [playIn, playOut) ms of it.
TLEventFields MediaClipFields(const std::filesystem::path& path, std::int32_t playIn, std::int32_t playOut);

// An AVI clip: `frames` 16 x 16 pictures at `fps` with PCM sound whose
// samples are `sample` (as for WriteTestWave). Empty, or the writer's error.
std::string WriteTestAvi(const std::filesystem::path& path, int frames, int fps, int channels, int rate, int bits,
                         const SampleFunction& sample);

// A WAV file read back: its format and its samples as signed values
// (8-bit samples minus 128), interleaved.
struct WaveSamples {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::vector<int> samples;
  std::int64_t Frames() const { return channels == 0 ? 0 : static_cast<std::int64_t>(samples.size()) / channels; }
  int At(std::int64_t frame, int channel) const {
    return samples[static_cast<std::size_t>(frame * channels + channel)];
  }
};
WaveSamples ReadTestWave(const std::filesystem::path& path);

}  // namespace sprocket::testing

#pragma once
// Small test movies made in the tests: pictures that carry their frame
// number in coloured blocks (so that lossy compressors keep it), clips
// written with our AVI writer, hand-made RIFF files, and ffprobe as an
// outside reader.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "outside_tools.h"
#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"
#include "platform/media/fourcc.h"

namespace sprocket::testing {

inline constexpr int kClipWidth = 64;
inline constexpr int kClipHeight = 48;

// A 24-bit packed DIB whose blocks spell `index` (0..63): a 4 x 2 grid of
// blocks, top row first; blocks 0..5 are the bits (red when set, dark when
// clear), block 6 is always blue and block 7 always green, so a picture
// that is upside down or has its colour bytes swapped reads as -1.
GlobalBlock MakeNumberedPicture(int index, int width = kClipWidth, int height = kClipHeight);

// The number a picture made by MakeNumberedPicture shows, or -1.
int ReadPictureNumber(HGLOBAL dib);

// The blue, green, red bytes of the pixel at (x, yFromTop).
void PixelAt(HGLOBAL dib, int x, int yFromTop, std::uint8_t bgr[3]);

// Writes `frames` numbered pictures of `width` x `height` with
// `compressor`, a key frame every `keyEvery` frames, and, with `audioBits`
// nonzero, one frame's worth of a sample ramp (see RampSample) per picture at
// 11025 Hz mono. Empty on success, else the writer's error.
std::string WriteNumberedClip(const std::string& path, FourCC compressor, int frames, int keyEvery, int audioBits = 0,
                              int channels = 1, int width = kClipWidth, int height = kClipHeight);

// The ramp written by WriteNumberedClip: sample frame n of channel c.
std::int16_t RampSample(std::int64_t n, int channel);

// Each stream of a file as ffprobe sees it (key = value), or nothing when
// ffprobe is not installed.
std::optional<std::vector<std::map<std::string, std::string>>> ProbeStreams(const std::string& path);

// A minimal uncompressed AVI built byte by byte: one 24-bit "DIB " video
// stream of `frames` 8 x 8 frames whose pixels are all equal to the frame
// number, and an "idx1" index whose offsets count from the "movi" list
// (relative) or from the start of the file (absolute).
struct RawAviOptions {
  int frames = 5;
  bool absoluteIndex = false;
  bool withIndex = true;
  int emptyFrame = -1;  // this frame is stored as an empty sample
};
std::string BuildRawAvi(const RawAviOptions& options);

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

}  // namespace sprocket::testing

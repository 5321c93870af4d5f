#pragma once
// The output format of a render job and the arithmetic of its frames.
//
// A job's format comes from the settings record its preview flag selects
// ("Movie" or "Preview") and from the kind of output: AVI movies take the
// video values, image sequences and FLC animations their own sizes, and WAV
// files and the display-only preview a fixed small format. Sizes are made
// multiples of 4.

#include <cstdint>
#include <string>

#include "platform/settings/movie_settings.h"

namespace sprocket {

// The outputs of the render window.
enum class OutputKind : int {
  kWav = 0,
  kAvi = 1,
  kDisplayOnly = 2,
  kImageSequence = 3,
  kFlic = 4,
};

// The output kind of a stored value: 1 to 4 as themselves, any other value WAV.
OutputKind OutputKindFromValue(int value);

struct RenderFormat {
  std::int32_t width = 0;   // a multiple of 4
  std::int32_t height = 0;  // a multiple of 4
  float framesPerSecond = 0.0f;
  bool fieldTime = false;        // image-sequence fields double the rate; time codes use half of it
  std::int32_t bitDepth = 24;    // 24, or 8 for palette AVI output
  std::int32_t paletteKind = 3;  // 1..5 for 8-bit AVI output, else 3
  std::int32_t doubleSize = 0;   // render at twice the size (movie AVI only)
  std::string codec;             // FOURCC text
  std::int32_t quality = 0;
  std::int32_t dataRate = 0;
  std::int32_t keyFrameEvery = 0;
  std::int32_t interleave = 0;
  std::int32_t fieldMode = 0;  // VField (AVI) or IFieldSequence (image sequence)
  // Image sequences.
  std::int32_t imageFileType = 0;
  std::int32_t imageBits = 24;
  std::int32_t jpegQuality = 75;
  std::int32_t imageCompression = 0;
  // Sound of every output.
  std::int32_t audioBits = 16;
  std::int32_t audioRate = 44100;
  std::int32_t audioChannels = 2;
};

// The format of an output from the selected record. `previewFlag` tells
// whether `settings` is the preview record (double size is then 0).
RenderFormat SelectRenderFormat(const MovieSettings& settings, OutputKind kind, bool previewFlag);

// The largest pictures and the highest frame rate a job makes. Image
// sequences of fields run at up to twice the rate.
inline constexpr std::int32_t kMaxOutputSide = 8192;
inline constexpr float kMaxOutputFramesPerSecond = 120.0f;

// Why a job cannot make its output in `format`, as the message that says
// so, or empty when it can: a side below 4 pixels, a picture (at twice the
// size for double-size movies) wider or higher than kMaxOutputSide, or a
// frame rate above kMaxOutputFramesPerSecond. A rate of 0 or below is not
// refused here: the job renders a single frame then.
std::string RenderFormatProblem(const RenderFormat& format, OutputKind kind);
// The same for the format a settings record gives an output: what Make Movie
// and the preferences refuse.
std::string OutputSettingsProblem(const MovieSettings& settings, OutputKind kind, bool previewFlag);

// The fixed format of WAV jobs and the display-only preview.
inline constexpr std::int32_t kSmallOutputWidth = 160;
inline constexpr std::int32_t kSmallOutputHeight = 120;
inline constexpr float kSmallOutputRate = 5.0f;

// Frames of a range: (int)((end - start) x fps x 0.001 + 0.5), at least 1
// (a range shorter than one frame, an empty range or a rate of 0 render one
// frame).
std::int32_t RenderFrameCount(std::int32_t startMs, std::int32_t endMs, double fps);
// Milliseconds a frame: (int)(1000 / fps); 0 for a rate of 0 or below.
std::int32_t RenderFramePeriod(double fps);
// The time of frame k: start + (int)(k / fps x 1000); the start itself for
// a rate of 0 or below.
std::int32_t RenderFrameTime(std::int32_t startMs, std::int64_t k, double fps);

// The progress bar's percent at time t of [start, end]: 0 at the start (and
// for an empty range), 100 at the end, in between the share of the range,
// kept within 0..100.
int RenderProgressPercent(double tMs, std::int32_t startMs, std::int32_t endMs);

// The time code of a job's time: whole seconds and the frame of the rest at
// the job's rate (half of it when `fieldTime`), a frame count that reaches
// the whole frames a second carried into the seconds. "HH:MM:SS:FF".
std::string FormatRenderTimeCode(std::int32_t ms, double fps, bool fieldTime);

// The extension an image-sequence file gets for IFileType 0..6 (".BMP",
// ".GIF", ".PCX", ".TGA", ".TIF", ".JPG", ".PCT"); empty for other values.
std::string ImageSequenceExtension(std::int32_t fileType);
// The name of image number n: base + "%04lu" + the extension.
std::string ImageSequenceFileName(const std::string& basePath, std::uint32_t number, std::int32_t fileType);

}  // namespace sprocket

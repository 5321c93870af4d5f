// The FLC output of the render job: one optimised palette for the whole
// animation, made from up to sixteen sample frames of the range gathered
// into a 4 x 4 grid and reduced to 256 colours; every frame is then mapped
// to that palette and written (the first frame whole with the palette, the
// others as deltas).

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/message_pump.h"
#include "render/flic/flic_writer.h"
#include "render/flic/indexed_image.h"
#include "render/output/render_outputs.h"
#include "render/picture/palette_mapping.h"
#include "timeline/basics/grid_cell.h"

namespace sprocket {

namespace {

constexpr std::int32_t kSampleWidth = 160;
constexpr std::int32_t kSampleHeight = 120;
constexpr std::int32_t kGridWidth = 640;
constexpr std::int32_t kGridHeight = 480;
constexpr std::int32_t kPaletteSamples = 15;

constexpr const char* kCreateFlicText = "Failed to Create Flic file! Make sure the drive you select is accessible. ";
constexpr const char* kPaletteMemoryText = "Not enough memory to create optimized palette!";

// A black 8-bit picture of width x height with a 256-entry colour table.
DibPicture MakeIndexedPicture(std::int32_t width, std::int32_t height) {
  const DibInfoHeader header = MakeIndexedDibHeader(width, height);
  DibPicture picture = DibPicture::Allocate(header.biSize + 1024 + static_cast<std::size_t>(header.biSizeImage));
  if (picture) WriteDibHeader(picture.data(), header);
  return picture;
}

// Writes the palette into the picture's colour table (blue, green, red, 0)
// and into the animation's table (red, green, blue).
void ApplyPalette(const ColorPalette& palette, DibPicture& picture8, std::array<std::uint8_t, 768>& table) {
  std::uint8_t* colours = picture8.data() + ReadDibHeader(picture8.data()).biSize;
  std::memset(colours, 0, 1024);
  table.fill(0);
  for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
    colours[i * 4] = palette[i].blue;
    colours[i * 4 + 1] = palette[i].green;
    colours[i * 4 + 2] = palette[i].red;
    table[i * 3] = palette[i].red;
    table[i * 3 + 1] = palette[i].green;
    table[i * 3 + 2] = palette[i].blue;
  }
}

// Shows the picture of an image of the image-file library.
void ShowImage(RenderUi& ui, ImageHandle image) {
  HGLOBAL block = ImageFiles().GetDib(image, nullptr, nullptr, nullptr);
  if (block == nullptr) return;
  GlobalLockGuard<std::uint8_t> lock(block);
  if (lock.get() != nullptr) ui.ShowPicture(lock.get());
}

// Renders the samples of the range into the grid: one every fifteenth of
// the range (every millisecond of a range shorter than 15 ms). Samples past
// the sixteenth are rendered and shown only. False when a render failed.
bool RenderPaletteSamples(RenderJobContext& job, DibPicture& sample, DibPicture& grid) {
  const std::int32_t start = job.job.startMs;
  const std::int32_t end = job.job.endMs;
  const std::int32_t step = std::max<std::int32_t>(1, (end - start) / kPaletteSamples);
  int index = 0;
  for (std::int64_t t = start; t < end; t += step, ++index) {
    std::int32_t result = 0;
    RenderFrameArgs args =
        job.FrameArgs(static_cast<double>(t), sample.data(), kSampleWidth, kSampleHeight, kRenderModePlain);
    if (job.Render(args, &result) != kRenderDone) return false;
    CopyDibToGridCell(sample.handle(), grid.handle(), index);
    job.ShowRenderProgress(static_cast<double>(t), nullptr);
    job.ui.ShowPicture(sample.data());
  }
  return true;
}

// The grid reduced to 256 colours: its palette; nothing without memory.
std::optional<ColorPalette> ReduceGrid(RenderJobContext& job, DibPicture& grid) {
  ImageFileLibrary& images = ImageFiles();
  const ImageHandle image = images.DibToHandle(grid.handle());
  if (image < 0) return std::nullopt;
  std::optional<ColorPalette> palette;
  if (images.ReduceColors(image, 8, 0, 256) == kImageDone) {
    palette = images.GetPalette(image);
    ShowImage(job.ui, image);
  }
  images.Free(image);
  if (palette && palette->empty()) palette.reset();
  return palette;
}

bool WriteFailed(int result) { return result < 0 && result != kFlcChunkDropped; }

// The message of a writer's failure: the drive is blamed only when a file
// could not be created or written.
const char* FlcFailureText(int result, const char* fileText) {
  switch (result) {
    case kFlcCreateFailed:
    case kFlcWriteFailed:
      return fileText;
    case kFlcFileFull:
      return "The animation is full: an FLC file holds at most 65535 frames and 4 GB.";
    case kFlcBadSize:
      return "The output size cannot be written as an FLC animation.";
    default:
      return "Out of memory!";
  }
}

// Renders frame time t, maps it to the palette and writes it. 0 done,
// kRenderJobFailed after the message of a failure, 1 the user stopped.
int WriteAnimationFrame(RenderJobContext& job, FlcWriter& writer, NearestPaletteMap& palette, DibPicture& picture24,
                        DibPicture& picture8, std::int32_t t, int chunkType, const std::uint8_t* paletteTable) {
  std::int32_t result = 0;
  RenderFrameArgs args = job.FrameArgs(t, picture24.data(), job.format.width, job.format.height, kRenderModePlain);
  const int status = job.Render(args, &result);
  if (status == kRenderStopped) {
    job.stopped = true;
    return 1;
  }
  if (status != kRenderDone) {
    ShowStopMessage(kLowMemoryText);
    return kRenderJobFailed;
  }
  MapToNearestPalette(picture8.data(), picture24.data(), palette);
  if (chunkType != kFlicByteRun) job.ui.ShowPicture(picture8.data());
  if (const int written = writer.WriteFrame(chunkType, picture8.handle(), paletteTable); WriteFailed(written)) {
    ShowStopMessage(FlcFailureText(written, kWriteFramesText));
    return kRenderJobFailed;
  }
  ++job.rendersDone;
  return 0;
}

}  // namespace

int WriteFlcOutput(RenderJobContext& job) {
  const std::string& path = job.job.outputPath;
  if (!OutputExtensionIs(path, ".fli") && !OutputExtensionIs(path, ".flc")) {
    ShowStopMessage(kFormatNotSupportedText);
    return kRenderJobFailed;
  }
  const std::int32_t width = job.format.width;
  const std::int32_t height = job.format.height;
  // The animation is written beside its path and moved into place when
  // complete, so a file already there stays until then.
  FlcWriter writer;
  if (const int created = writer.Create(path, width, height, job.framePeriod); created != kFlcDone) {
    ShowStopMessage(FlcFailureText(created, kCreateFlicText));
    return kRenderJobFailed;
  }
  DibPicture picture24 = DibPicture::Black24(width, height);
  DibPicture picture8 = MakeIndexedPicture(width, height);
  if (!picture24 || !picture8) {
    ShowStopMessage("Out of memory!");
    return kRenderJobFailed;
  }
  DibPicture sample = DibPicture::Black24(kSampleWidth, kSampleHeight);
  DibPicture grid = DibPicture::Black24(kGridWidth, kGridHeight);
  if (!sample || !grid) {
    ShowStopMessage(kPaletteMemoryText);
    return kRenderJobFailed;
  }

  job.ui.SetStatus("Creating palette...");
  if (!RenderPaletteSamples(job, sample, grid)) {
    ShowStopMessage("Error Creating Palette!");
    return kRenderJobFailed;
  }
  std::optional<ColorPalette> reduced = ReduceGrid(job, grid);
  grid.reset();
  sample.reset();
  if (!reduced) {
    ShowStopMessage(kPaletteMemoryText);
    return kRenderJobFailed;
  }
  job.ShowRenderProgress(job.job.endMs, nullptr);
  std::array<std::uint8_t, 768> table{};
  ApplyPalette(*reduced, picture8, table);
  NearestPaletteMap palette(*reduced);

  job.tracks->CloseTrackSources();
  int step =
      WriteAnimationFrame(job, writer, palette, picture24, picture8, job.job.startMs, kFlicByteRun, table.data());
  if (step == 0) job.ui.ShowFrameCount(1, job.frameCount);
  job.ui.SetStatus("Creating animation frames...");
  for (std::int32_t k = 1; k < job.frameCount && step == 0; ++k) {
    const std::int32_t t = job.FrameTime(k);
    job.ShowTimeCode(t);
    step = WriteAnimationFrame(job, writer, palette, picture24, picture8, t, kFlicWordDelta, nullptr);
    if (step != 0) break;
    job.ui.ShowFrameCount(k + 1, job.frameCount);
    job.ShowRenderProgress(t, nullptr);
    if (job.PumpStopped()) step = 1;
  }
  if (step == kRenderJobFailed) return kRenderJobFailed;
  if (step == 0) job.ShowRenderProgress(job.job.endMs, nullptr);
  // The unfinished file goes with the writer when nothing was written or
  // the process is ending; a stop keeps the frames written so far as a
  // complete animation.
  if (writer.FramesWritten() == 0 || IsTerminationRequested()) return kRenderJobFailed;
  if (writer.Finish() != kFlcDone) {
    ShowStopMessage(kWriteFramesText);
    return kRenderJobFailed;
  }
  job.framesWritten = job.rendersDone;
  if (step != 0) return kRenderJobFailed;
  return job.CompleteJob();
}

}  // namespace sprocket

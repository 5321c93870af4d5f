// The image-sequence output of the render job: numbered still images of
// whole frames, of two fields merged into one frame (field modes 1 and 2),
// or of single fields at half height (field modes 3 and 4). In field modes
// the job runs at twice the frame rate, one render per field.

#include <cstring>

#include "imagelib/drawing/fields.h"
#include "platform/application_state.h"
#include "platform/imagefile/image_file_library.h"
#include "render/output/render_outputs.h"

namespace sprocket {

namespace {

constexpr std::int32_t kFileTypeBmp = 0;
constexpr std::int32_t kFileTypeTif = 4;
constexpr std::int32_t kFileTypeJpg = 5;

// The save option of the image-file library for the job's file type.
int SaveOption(const RenderFormat& format) {
  switch (format.imageFileType) {
    case kFileTypeBmp:
      return format.imageCompression == 0 ? 1 : (format.imageCompression == 1 ? 12 : -1);
    case kFileTypeTif:
      return format.imageCompression == 0 ? 0 : (format.imageCompression == 1 ? 9 : -1);
    default:
      return -1;
  }
}

// Saves a picture as image number `number`; the name becomes the job's
// output path. False after the failure message.
bool SaveImage(RenderJobContext& job, const std::string& basePath, const DibPicture& picture, std::uint32_t number) {
  const std::string name = ImageSequenceFileName(basePath, number, job.format.imageFileType);
  job.job.outputPath = name;
  ImageFileLibrary& images = ImageFiles();
  const ImageHandle image = images.DibToHandle(picture.handle());
  int result = kImageFailed;
  if (image >= 0) {
    result = kImageDone;
    if (job.format.imageBits == 8) result = images.ReduceColors(image, 8, 0, 256);
    if (job.format.imageFileType == kFileTypeJpg) images.SetJpegQuality(job.format.jpegQuality);
    // The library replaces a file of the name only once the new one is whole.
    if (result == kImageDone) result = images.Save(image, name, SaveOption(job.format));
    images.Free(image);
  }
  if (result < 0) {
    // The drive is blamed only when the file itself failed.
    if (image < 0 || result == kImageNoMemory) {
      ShowStopMessage("Out of memory!");
    } else if (result == kImageBadArgument) {
      ShowStopMessage(kFormatNotSupportedText);
    } else {
      ShowStopMessage("Failed to save Image file! Make sure the drive you select is accessible.");
    }
    return false;
  }
  ++job.framesWritten;
  return true;
}

void ClearPixels(DibPicture& picture) {
  const DibInfoHeader header = picture.Header();
  std::memset(picture.data() + header.biSize, 0, header.biSizeImage);
}

}  // namespace

int WriteImageSequenceOutput(RenderJobContext& job) {
  const std::int32_t mode = job.format.fieldMode;
  const bool merged = mode == 1 || mode == 2;
  const bool halves = mode == 3 || mode == 4;
  std::string basePath = TheApp().imageSequenceBasePath;
  if (basePath.empty()) basePath = job.job.outputPath;
  if (ImageSequenceExtension(job.format.imageFileType).empty()) {
    ShowStopMessage(kFormatNotSupportedText);
    return kRenderJobFailed;
  }

  DibPicture picture = DibPicture::Black24(job.format.width, job.format.height);
  DibPicture merge = merged ? DibPicture::Black24(job.format.width, job.format.height) : DibPicture();
  DibPicture half = halves ? DibPicture::Black24(job.format.width, job.format.height / 2) : DibPicture();
  if (!picture || (merged && !merge) || (halves && !half)) {
    ShowStopMessage(kNotEnoughMemoryText);
    return kRenderJobFailed;
  }
  job.ShowRenderProgress(job.job.startMs, nullptr);

  std::int32_t field = (mode == 1 || mode == 3) ? 1 : 0;
  std::uint32_t saved = 0;
  for (std::int64_t k = 0; k < job.frameCount; ++k) {
    const std::int32_t t = job.FrameTime(k);
    job.ShowTimeCode(t);
    RenderFrameArgs args = job.FrameArgs(t, picture.data(), job.format.width, job.format.height, kRenderModePlain);
    args.fieldMode = mode;
    args.field = field;
    std::int32_t result = 0;
    const int status = job.Render(args, &result);
    if (status == kRenderStopped) {
      job.stopped = true;
      return kRenderJobFailed;
    }
    if (status != kRenderDone) {
      ShowStopMessage(kLowMemoryText);
      return kRenderJobFailed;
    }
    ++job.rendersDone;
    const bool firstOfPair = k % 2 == 0;
    bool ok = true;
    if (merged) {
      // Mode 1 takes the even lines from the first render, mode 2 the odd.
      const bool evenLines = (mode == 1) == firstOfPair;
      if (firstOfPair) ClearPixels(merge);
      MergeField(merge.data(), picture.data(), evenLines ? kMergeEvenToEven : kMergeOddToOdd);
      if (!firstOfPair) {
        job.ui.ShowPicture(merge.data());
        ok = SaveImage(job, basePath, merge, saved++);
      }
    } else if (halves) {
      job.ui.ShowPicture(picture.data());
      const bool evenLines = (mode == 3) == firstOfPair;
      ExtractField(half.data(), picture.data(), evenLines ? 1 : 0);
      job.ui.ShowPicture(half.data());
      ok = SaveImage(job, basePath, half, static_cast<std::uint32_t>(k));
    } else {
      job.ui.ShowPicture(picture.data());
      ok = SaveImage(job, basePath, picture, static_cast<std::uint32_t>(k));
    }
    if (!ok) return kRenderJobFailed;
    field ^= 1;
    job.ui.ShowFrameCount(k + 1, job.frameCount);
    job.ShowRenderProgress(t, nullptr);
    // Stopped: the images written stay.
    if (job.PumpStopped()) return kRenderJobFailed;
  }
  job.ShowRenderProgress(job.job.endMs, nullptr);
  return job.CompleteJob();
}

}  // namespace sprocket

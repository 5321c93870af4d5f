#include "render/output/render_format.h"

#include <array>
#include <cstdio>

#include "timeline/basics/time_code.h"

namespace sprocket {

OutputKind OutputKindFromValue(int value) {
  switch (value) {
    case 1:
      return OutputKind::kAvi;
    case 2:
      return OutputKind::kDisplayOnly;
    case 3:
      return OutputKind::kImageSequence;
    case 4:
      return OutputKind::kFlic;
    default:
      return OutputKind::kWav;
  }
}

namespace {

// 24 bits for 24- and 16-bit settings; otherwise 8 bits with a palette kind.
void SelectBitDepth(std::int32_t bitsPerPixel, RenderFormat& format) {
  if (bitsPerPixel == 24 || bitsPerPixel == 16) {
    format.bitDepth = 24;
    format.paletteKind = 3;
    return;
  }
  format.bitDepth = 8;
  switch (bitsPerPixel) {
    case 80:
      format.paletteKind = 1;
      break;
    case 81:
      format.paletteKind = 2;
      break;
    case 82:
      format.paletteKind = 3;
      break;
    case 83:
      format.paletteKind = 4;
      break;
    default:
      format.paletteKind = 5;
      break;
  }
}

void SetSmallFormat(RenderFormat& format) {
  format.width = kSmallOutputWidth;
  format.height = kSmallOutputHeight;
  format.framesPerSecond = kSmallOutputRate;
  format.codec = "MSVC";
  format.quality = 7500;
  format.dataRate = 150;
  format.keyFrameEvery = 1;
  format.interleave = 0;
  format.bitDepth = 24;
  format.paletteKind = 3;
  format.fieldMode = 0;
}

}  // namespace

std::string RenderFormatProblem(const RenderFormat& format, OutputKind kind) {
  char message[200];
  if (format.width < 4 || format.height < 4) {
    std::snprintf(message, sizeof message, "The output size %dX%d is too small!", static_cast<int>(format.width),
                  static_cast<int>(format.height));
    return message;
  }
  const std::int32_t largest = format.doubleSize != 0 ? kMaxOutputSide / 2 : kMaxOutputSide;
  if (format.width > largest || format.height > largest) {
    std::snprintf(message, sizeof message, "The output size %dX%d is too large! At most %dX%d can be made%s.",
                  static_cast<int>(format.width), static_cast<int>(format.height), static_cast<int>(largest),
                  static_cast<int>(largest), format.doubleSize != 0 ? " at double size" : "");
    return message;
  }
  const bool fields = kind == OutputKind::kImageSequence && format.fieldTime;
  const float highest = fields ? 2.0f * kMaxOutputFramesPerSecond : kMaxOutputFramesPerSecond;
  if (format.framesPerSecond > highest) {
    std::snprintf(message, sizeof message,
                  "The frame rate of %.2f frames per second is too high! At most %.0f can be made%s.",
                  static_cast<double>(fields ? format.framesPerSecond / 2.0f : format.framesPerSecond),
                  static_cast<double>(kMaxOutputFramesPerSecond), fields ? " (fields count double)" : "");
    return message;
  }
  return {};
}

std::string OutputSettingsProblem(const MovieSettings& settings, OutputKind kind, bool previewFlag) {
  return RenderFormatProblem(SelectRenderFormat(settings, kind, previewFlag), kind);
}

RenderFormat SelectRenderFormat(const MovieSettings& settings, OutputKind kind, bool previewFlag) {
  RenderFormat format;
  format.audioBits = settings.ABitsPerSample;
  format.audioRate = settings.ASamplesPerSec;
  format.audioChannels = settings.AChannels;
  format.framesPerSecond = settings.VFramesPerSec;
  switch (kind) {
    case OutputKind::kAvi:
      format.width = settings.VResWidth;
      format.height = settings.VResHeight;
      format.doubleSize = previewFlag ? 0 : settings.Vb2xAA;
      SelectBitDepth(settings.VBitsPerPixel, format);
      format.codec = settings.VCompressionType;
      format.quality = settings.VQuality;
      format.dataRate = settings.VDataRate;
      format.keyFrameEvery = settings.VKeyFrame;
      format.interleave = settings.VInterleave;
      format.fieldMode = settings.VField;
      break;
    case OutputKind::kImageSequence:
      format.width = settings.IResWidth;
      format.height = settings.IResHeight;
      format.fieldMode = settings.IFieldSequence;
      if (settings.IFieldSequence != 0) {
        format.framesPerSecond *= 2.0f;
        format.fieldTime = true;
      }
      format.imageFileType = settings.IFileType;
      format.imageBits = settings.IBitsPerPixel;
      format.jpegQuality = settings.IJpegQuality;
      format.imageCompression = settings.ICompression;
      break;
    case OutputKind::kFlic:
      format.width = settings.FResWidth;
      format.height = settings.FResHeight;
      break;
    case OutputKind::kWav:
    case OutputKind::kDisplayOnly:
      SetSmallFormat(format);
      break;
  }
  format.width -= format.width % 4;
  format.height -= format.height % 4;
  return format;
}

std::int32_t RenderFrameCount(std::int32_t startMs, std::int32_t endMs, double fps) {
  if (!(fps > 0.0)) return 1;
  double frames = (static_cast<double>(endMs) - startMs) * fps * 0.001 + 0.5;
  if (frames < 1.0) return 1;
  if (frames > 2147483647.0) return 2147483647;
  return static_cast<std::int32_t>(frames);
}

std::int32_t RenderFramePeriod(double fps) {
  if (!(fps > 0.0)) return 0;
  return static_cast<std::int32_t>(1000.0 / fps);
}

std::int32_t RenderFrameTime(std::int32_t startMs, std::int64_t k, double fps) {
  return MovieFrameGrid{fps, startMs}.TimeOf(k);
}

int RenderProgressPercent(double tMs, std::int32_t startMs, std::int32_t endMs) {
  if (tMs == startMs || endMs == startMs) return 0;
  if (tMs == endMs) return 100;
  double percent = (tMs - startMs) * 100.0 / (static_cast<double>(endMs) - startMs);
  if (!(percent > 0.0)) return 0;
  if (percent > 100.0) return 100;
  return static_cast<int>(percent);
}

std::string FormatRenderTimeCode(std::int32_t ms, double fps, bool fieldTime) {
  if (fieldTime) fps *= 0.5;
  if (ms < 0) ms = 0;
  int s = ms / 1000;
  int hours = s / 3600;
  int minutes = (s % 3600) / 60;
  int seconds = s % 60;
  int frames = 0;
  int wholeFps = fps > 0.0 ? static_cast<int>(fps) : 0;
  if (wholeFps > 0) {
    frames = static_cast<int>((ms * 0.001 - s) * fps + 0.5);
    // A count that reaches a second's frames is the next second's frame 0.
    if (frames >= wholeFps) {
      frames = 0;
      if (++seconds == 60) {
        seconds = 0;
        if (++minutes == 60) {
          minutes = 0;
          ++hours;
        }
      }
    }
  }
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", hours, minutes, seconds, frames);
  return text;
}

std::string ImageSequenceExtension(std::int32_t fileType) {
  static constexpr std::array<const char*, 7> kExtensions = {".BMP", ".GIF", ".PCX", ".TGA", ".TIF", ".JPG", ".PCT"};
  if (fileType < 0 || fileType >= static_cast<std::int32_t>(kExtensions.size())) return {};
  return kExtensions[static_cast<std::size_t>(fileType)];
}

std::string ImageSequenceFileName(const std::string& basePath, std::uint32_t number, std::int32_t fileType) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04lu", static_cast<unsigned long>(number));
  return basePath + digits + ImageSequenceExtension(fileType);
}

}  // namespace sprocket

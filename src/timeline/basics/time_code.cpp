#include "timeline/basics/time_code.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace sprocket {

namespace {

// Nearest whole number, halves away from zero, saturated to 32 bits.
std::int32_t RoundToInt32(double value) {
  double rounded = std::round(value);
  if (!(rounded > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
  if (rounded >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::int32_t MsToFrames(std::int32_t ms, double fps) {
  if (!(fps > 0.0)) return 0;
  return RoundToInt32(static_cast<double>(ms) * fps * 0.001);
}

std::int32_t FramesToMs(std::int32_t frames, double fps) {
  if (!(fps > 0.0)) return 0;
  return RoundToInt32(static_cast<double>(frames) / fps * 1000.0);
}

std::int32_t SnapToFrame(std::int32_t ms, std::int32_t rateHundredths) {
  if (rateHundredths <= 0) return 0;
  double fps = RateToFps(rateHundredths);
  return FramesToMs(MsToFrames(ms, fps), fps);
}

std::int32_t MovieFrameGrid::TimeOf(std::int64_t k) const {
  if (!(fps > 0.0)) return originMs;
  return originMs + static_cast<std::int32_t>(static_cast<double>(k) / fps * 1000.0);
}

std::int64_t MovieFrameGrid::FirstFrameFrom(std::int32_t ms) const {
  if (!(fps > 0.0) || ms <= originMs) return 0;
  // An estimate from the rate, then the exact frame by the grid's own times.
  auto k = static_cast<std::int64_t>((static_cast<double>(ms) - originMs) * fps * 0.001);
  while (k > 0 && TimeOf(k - 1) >= ms) --k;
  while (TimeOf(k) < ms) ++k;
  return k;
}

TimeCode MsToTimeCode(std::int32_t ms, double fps) {
  if (ms < 0) ms = 0;
  std::int32_t totalSeconds = ms / 1000;
  int frames = 0;
  if (fps > 0.0) {
    frames = static_cast<int>((ms % 1000) * 0.001 * fps + 0.5);
    if (frames >= static_cast<int>(fps + 0.5)) {
      frames = 0;
      ++totalSeconds;
    }
  }
  TimeCode code;
  code.hours = totalSeconds / 3600;
  code.minutes = (totalSeconds % 3600) / 60;
  code.seconds = totalSeconds % 60;
  code.frames = frames;
  return code;
}

void FormatTimeCode(std::int32_t ms, double fps, char (&out)[kTimeCodeBufferSize]) {
  TimeCode code = MsToTimeCode(ms, fps);
  std::snprintf(out, kTimeCodeBufferSize, "%02d:%02d:%02d:%02d", code.hours, code.minutes, code.seconds, code.frames);
}

std::string FormatTimeCode(std::int32_t ms, double fps) {
  char buffer[kTimeCodeBufferSize];
  FormatTimeCode(ms, fps, buffer);
  return buffer;
}

}  // namespace sprocket

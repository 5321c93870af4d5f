#pragma once
// Time arithmetic of the timeline.
//
// Times are signed 32-bit milliseconds. Frame rates are held in hundredths of
// a frame per second (2997, 2500) and passed to the conversions as frames per
// second. A rate of 0 or below never divides: every conversion then gives 0.
//
//   ms --MsToFrames--> frame index --FramesToMs--> ms of that frame's start
//   SnapToFrame(ms, rate) = FramesToMs(MsToFrames(ms, fps), fps)

#include <cstdint>
#include <string>

namespace sprocket {

// ms x fps x 0.001 to the nearest whole number, halves away from zero.
std::int32_t MsToFrames(std::int32_t ms, double fps);

// frames / fps x 1000 to the nearest millisecond, halves away from zero.
std::int32_t FramesToMs(std::int32_t frames, double fps);

// The time of the frame boundary nearest to `ms` at `rateHundredths`.
std::int32_t SnapToFrame(std::int32_t ms, std::int32_t rateHundredths);

// A rate in hundredths as frames per second (2997 -> 29.97).
inline double RateToFps(std::int32_t rateHundredths) { return rateHundredths * 0.01; }

// The frames of a movie made by the render job: frame k shows the timeline
// at originMs + (int)(k / fps x 1000). A stretch of the timeline rendered on
// the grid of a movie holds the very pictures that movie shows there.
struct MovieFrameGrid {
  double fps = 0.0;
  std::int32_t originMs = 0;

  // The time of frame k (the origin at a rate of 0 or below).
  std::int32_t TimeOf(std::int64_t k) const;
  // The first frame whose time is `ms` or later (0 for times up to the origin).
  std::int64_t FirstFrameFrom(std::int32_t ms) const;
};

struct TimeCode {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int frames = 0;
  bool operator==(const TimeCode&) const = default;
};

// Wall-clock time code: whole seconds of the time, and the frame of the rest
// of the second rounded to the nearest frame; a frame count that reaches the
// rate's whole number of frames per second carries into the seconds.
// Negative times count as 0.
TimeCode MsToTimeCode(std::int32_t ms, double fps);

// "HH:MM:SS:FF", two digits a field (hours may grow to three digits).
std::string FormatTimeCode(std::int32_t ms, double fps);

// The same text into a buffer of 16 bytes, always terminated.
inline constexpr std::size_t kTimeCodeBufferSize = 16;
void FormatTimeCode(std::int32_t ms, double fps, char (&out)[kTimeCodeBufferSize]);

}  // namespace sprocket

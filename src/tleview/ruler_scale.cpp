#include "tleview/ruler_scale.h"

#include <algorithm>
#include <cstdio>

namespace sprocket {

std::string_view ScaleName(int scaleIndex) {
  static constexpr std::array<std::string_view, 12> kNames = {
      "one frame",   "two frames",  "four frames", "one second",  "two seconds",  "four seconds",
      "ten seconds", "twenty secs", "one minute",  "two minutes", "four minutes", "ten minutes"};
  if (scaleIndex < 0 || scaleIndex >= static_cast<int>(kNames.size())) return {};
  return kNames[scaleIndex];
}

std::string FormatRulerLabel(int tick, double unitMs, std::int32_t origin, std::int32_t rateHundredths) {
  if (rateHundredths <= 0) return {};
  const double fps = rateHundredths * 0.01;
  const auto t = static_cast<std::int64_t>(tick * unitMs + origin);
  std::int64_t hours = t / 3600000;
  std::int64_t minutes = (t % 3600000) / 60000;
  const std::int64_t rest = t % 60000;
  std::int64_t seconds = rest / 1000;
  auto frames = static_cast<std::int64_t>((rest % 1000) / (1000.0 / fps));
  if (frames == static_cast<std::int64_t>(fps + 0.5)) {
    frames = 0;
    ++seconds;
  }
  if (seconds == 60) {
    seconds = 0;
    ++minutes;
  }
  if (minutes == 60) {
    minutes = 0;
    ++hours;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%02lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds), static_cast<long long>(frames));
  return text;
}

int ScaleIndexAtX(int margin, int knobWidth, int x) {
  const int firstCentre = KnobLeft(margin, 0) + knobWidth / 2;
  const int index = (x - firstCentre + 2) / 5;
  return std::clamp(x < firstCentre ? 0 : index, 0, 11);
}

}  // namespace sprocket

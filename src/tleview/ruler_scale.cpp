#include "tleview/ruler_scale.h"

#include <algorithm>
#include <cmath>

#include "timeline/basics/time_code.h"

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
  // The tick's time to the nearest millisecond, shown as every other time
  // code of the editor shows it: truncating here put early labels a frame
  // behind the frame they mark.
  const double t = std::clamp(std::round(tick * unitMs + origin), 0.0, 2147483647.0);
  return FormatTimeCode(static_cast<std::int32_t>(t), RateToFps(rateHundredths));
}

int ScaleIndexAtX(int margin, int knobWidth, int x) {
  const int firstCentre = KnobLeft(margin, 0) + knobWidth / 2;
  const int index = (x - firstCentre + 2) / 5;
  return std::clamp(x < firstCentre ? 0 : index, 0, 11);
}

}  // namespace sprocket

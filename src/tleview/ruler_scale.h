#pragma once
// The arithmetic of the ruler and its scale control: time-code labels,
// scale names, label periods, the marks and knob of the control, and the
// clamps that keep band coordinates inside the 16-bit drawing range.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace sprocket {

// "one frame" .. "ten minutes" for scale indexes 0..11; empty otherwise.
std::string_view ScaleName(int scaleIndex);

// The label of major tick i: the time i x unit + origin (truncated to whole
// ms) as "HH:MM:SS:FF". The frame field counts whole frames of the rest of
// the second; a count equal to the rounded frame rate rolls over into the
// next second. Empty when the rate is not positive.
std::string FormatRulerLabel(int tick, double unitMs, std::int32_t origin, std::int32_t rateHundredths);

// Labels stand on every second major tick, every fourth at zoom level 3.
inline int LabelPeriod(int zoomLevel) { return zoomLevel == 3 ? 4 : 2; }

// The scale control in the header column: marks at M + these offsets.
inline constexpr std::array<int, 12> kScaleMarkOffsets = {10, 19, 27, 33, 38, 43, 47, 51, 54, 57, 60, 63};
inline int KnobLeft(int margin, int scaleIndex) { return margin + 1 + 5 * scaleIndex; }
// The scale index whose knob lies nearest to x (0..11).
int ScaleIndexAtX(int margin, int knobWidth, int x);

// Band x values are clamped to 0..32767; a band 32767 pixels wide or more
// ends at left + 32766.
inline std::int32_t ClampBandX(std::int64_t x) {
  return static_cast<std::int32_t>(x < 0 ? 0 : (x > 32767 ? 32767 : x));
}
inline std::int32_t BandRight(std::int32_t left, std::int32_t right) {
  return right - left >= 32767 ? left + 32766 : right;
}

}  // namespace sprocket

#pragma once
// The timeline's crop margins against the pictures of its clips: margins
// that would leave no picture of the smallest clip frame are cut down.

#include <optional>

#include "timeline/records/tl_event.h"

namespace sprocket {

// The smallest width and height among the frames of the timeline's video
// clips whose media header gives a size (AVI, FLC/FLI, image sequences);
// none when no clip gives one.
struct FrameSize {
  int width = 0;
  int height = 0;
};
std::optional<FrameSize> SmallestClipFrame(const TLEvent* head);

// Cuts the head's crop margins so that at least one column and one row of
// the smallest clip frame stay (the right margin gives way before the left,
// the top before the bottom). True when they changed.
bool ClampCropMarginsToClips(TLEvent* head);

// The warning shown when the margins were cut.
inline constexpr const char* kCropRangeChangedMessage =
    "The cropping range was larger than the smallest clip frame and has been reduced to fit it.";

// Cuts the margins (ClampCropMarginsToClips) and warns when they changed.
void CheckCroppingRange(TLEvent* head);

}  // namespace sprocket

#include "timeline/document/crop_range.h"

#include <algorithm>

#include "platform/prompts.h"
#include "timeline/records/clip_media_header.h"
#include "timeline/records/event_queries.h"

namespace sprocket {
namespace {

std::optional<FrameSize> FrameOf(const ClipMediaHeader& header) {
  if (const AviClipHeader* avi = header.Avi()) {
    const int width = avi->picture.width != 0 ? avi->picture.width : static_cast<int>(avi->file.width);
    const int height = avi->picture.height != 0 ? std::abs(avi->picture.height) : static_cast<int>(avi->file.height);
    if (width > 0 && height > 0) return FrameSize{width, height};
  } else if (const FlicClipHeader* flic = header.Flic()) {
    if (flic->width > 0 && flic->height > 0) return FrameSize{flic->width, flic->height};
  } else if (const SequenceClipHeader* sequence = header.Sequence()) {
    if (sequence->width > 0 && sequence->height > 0) return FrameSize{sequence->width, sequence->height};
  }
  return std::nullopt;
}

// The two margins of one direction leave at least one pixel of `size`;
// the second gives way first.
void Fit(int size, int& first, int& second) {
  first = std::clamp(first, 0, size - 1);
  second = std::clamp(second, 0, size - 1 - first);
}

}  // namespace

std::optional<FrameSize> SmallestClipFrame(const TLEvent* head) {
  std::optional<FrameSize> smallest;
  for (const TLEvent* e = head; e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || e->trackType != kTrackVideo || !e->header) continue;
    const std::optional<FrameSize> frame = FrameOf(*e->header);
    if (!frame) continue;
    if (!smallest) smallest = frame;
    smallest->width = std::min(smallest->width, frame->width);
    smallest->height = std::min(smallest->height, frame->height);
  }
  return smallest;
}

bool ClampCropMarginsToClips(TLEvent* head) {
  if (head == nullptr || !head->cropMargins.Any()) return false;
  const std::optional<FrameSize> frame = SmallestClipFrame(head);
  if (!frame) return false;
  int left = head->cropMargins.Left();
  int right = head->cropMargins.Right();
  int top = head->cropMargins.Top();
  int bottom = head->cropMargins.Bottom();
  Fit(frame->width, left, right);
  Fit(frame->height, bottom, top);
  const CropMargins before = head->cropMargins;
  head->cropMargins.Set(left, right, top, bottom);
  return !(head->cropMargins == before);
}

void CheckCroppingRange(TLEvent* head) {
  if (ClampCropMarginsToClips(head)) ShowMessage(kCropRangeChangedMessage, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace sprocket

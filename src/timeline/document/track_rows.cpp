#include "timeline/document/track_rows.h"

namespace sprocket {

int TrackRowCount(char trackType, std::int32_t viewStatus) {
  if (trackType == kTrackVideo) {
    if (viewStatus == kTrackViewVideoOnly) return 1;
    return viewStatus == kTrackViewStereo ? 3 : 2;
  }
  if (trackType == kTrackAudio && viewStatus == kTrackViewStereo) return 2;
  return 1;
}

std::int32_t GetTotalTrackHeight(const CTestDoc& doc) {
  std::int32_t total = 0;
  for (const TLEvent* event = GetNextEvent(doc.Head()); event != nullptr && event->kind == kEventTrackBegin;
       event = GetNextEvent(event)) {
    total += GetTrackHeight(doc, *event);
  }
  return total;
}

}  // namespace sprocket

#include "timeline/records/clip_time_index.h"

#include <algorithm>

namespace sprocket {

ClipTimeIndex::ClipTimeIndex(const TLEvent* head) : head_(head) {
  if (head == nullptr) return;
  for (const TLEvent* header = GetNextEvent(head); header != nullptr && header->kind == kEventTrackBegin;
       header = GetNextEvent(header)) {
    TrackClips& track = tracks_[header];
    for (const TLEvent* event = header->next; event != nullptr && event->kind != kEventTrackEnd; event = event->next) {
      if (!event->IsClipIn()) continue;
      if (!track.clips.empty() && event->time < track.clips.back()->time) track.inTimeOrder = false;
      const std::int32_t latest =
          track.latestOut.empty() ? event->OutTime() : std::max(track.latestOut.back(), event->OutTime());
      track.clips.push_back(event);
      track.latestOut.push_back(latest);
    }
  }
}

}  // namespace sprocket

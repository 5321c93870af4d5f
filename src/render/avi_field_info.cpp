#include "render/avi_field_info.h"

#include "timeline/event_edits.h"
#include "timeline/media_type.h"

namespace sprocket {

void ApplyAviFieldInfo(TLEvent* head) {
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->trackType == kTrackVideo && event->mediaType == kMediaAvi && event->IsClipIn()) {
      ApplyAviFieldInfoToClip(*event);
    }
  }
}

}  // namespace sprocket

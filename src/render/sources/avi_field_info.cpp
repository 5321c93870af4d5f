#include "render/sources/avi_field_info.h"

#include "timeline/basics/media_type.h"
#include "timeline/document/event_edits.h"

namespace sprocket {

void ApplyAviFieldInfo(TLEvent* head) {
  for (TLEvent* event = head; event != nullptr; event = GetNextEvent(event)) {
    if (event->trackType == kTrackVideo && event->mediaType == kMediaAvi && event->IsClipIn()) {
      ApplyAviFieldInfoToClip(*event);
    }
  }
}

}  // namespace sprocket

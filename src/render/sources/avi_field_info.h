#pragma once
// The field order of AVI clips from the settings table "AVI Field Info".

#include "timeline/records/tl_event.h"

namespace sprocket {

// Sets the field order of every AVI clip (media type 101) on a video track
// of the timeline from "AVI Field Info" by the clip's compressor code
// (ApplyAviFieldInfoToClip); called when the preferences are confirmed.
void ApplyAviFieldInfo(TLEvent* head);

}  // namespace sprocket

#pragma once
// What a whole timeline document holds to after every edit, undo and load.

#include <string>
#include <vector>

#include "timeline/document/document.h"

namespace sprocket {

// The broken rules of the document, one sentence each; empty when it is
// whole:
// - both lists are linked consistently and in time order;
// - the document's duration and track count are the list's;
// - every clip lies inside [0, duration] and none overlaps another on its
//   track;
// - render segments cover [0, duration] and are split at every edge of a
//   clip on a picture track;
// - the transition track holds exactly one transition over each overlap of
//   video tracks 1 and 3, and none elsewhere;
// - the selection names clips of the list.
std::vector<std::string> CheckTimelineDocument(const CTestDoc& doc);

}  // namespace sprocket

#pragma once
// What the user is told after an edit: the reason of a refusal, or the
// warning that transitions went with their overlaps. Commands and mouse
// gestures show it the same way.

#include "timeline/edit/timeline_edit.h"

namespace sprocket {

// The warning shown when an edit deleted transitions.
inline constexpr int kTransitionsDeletedMessage = 61285;

// Shows a refusal's message, or the transition warning when the edit lost
// transitions and the document's warning preference is on. True when the
// edit was made (or changed nothing).
bool ShowEditOutcome(const CTestDoc& doc, const EditResult& result);

}  // namespace sprocket

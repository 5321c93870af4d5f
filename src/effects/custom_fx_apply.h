#pragma once
// Applying a custom transition group's slot to the selected transition, as
// an edit of the document with its undo step.
//
// A slot applies its group's next transition: the entry after the one the
// transition carries now (the first entry when it carries none of them), so
// applying the same slot again steps through the group.

#include <string>

#include "effects/custom_fx_slots.h"
#include "timeline/document/document.h"

namespace sprocket {

// The first selected clip when it lies on a transition track, else null.
TLEvent* SelectedTransition(const CTestDoc& doc);
// The first selected clip when it lies on a video track, else null.
TLEvent* SelectedVideoClip(const CTestDoc& doc);

// The slot command's update rule: nonzero when a clip is selected, it lies
// on a transition track and the slot's group is registered and exists.
int IsCustomFxSlotAvailable(const CTestDoc& doc, const CustomFxRegistry& registry, int slot);

enum class ApplyFxResult {
  kApplied,
  kNoTransition,     // no transition selected: nothing done
  kSlotUnavailable,  // not registered, or its file is gone: nothing done
  kDamagedFile,      // the group file cannot be read: nothing done, `error` says why
};

struct ApplyFxOutcome {
  ApplyFxResult result = ApplyFxResult::kNoTransition;
  std::string error;
};

// Checks the rule above itself (the pop-up ids reach it unchecked), then
// takes an undo step "change transition" (165), gives the transition the
// group's next entry as its filters and type, and brings the render
// segments up to date (which marks the document modified).
ApplyFxOutcome ApplyCustomFxSlot(CTestDoc& doc, const CustomFxRegistry& registry, int slot);

}  // namespace sprocket

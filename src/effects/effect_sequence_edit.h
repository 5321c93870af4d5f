#pragma once
// Effect sequences edited on the timeline: a video clip's filter list, or a
// transition turned into an effect sequence (transition type 999) whose
// further filters are the transitions it runs.
//
// The dialog works on a copy of the list, and the document changes only when
// the dialog is accepted, in one undo step; a cancelled dialog leaves the
// timeline exactly as it was. Stopping previews before and repainting after
// are the view's part.

#include <cstdint>
#include <optional>

#include "timeline/document/document.h"

namespace sprocket {

inline constexpr std::int32_t kCmdEffectSequenceOnClip = 32887;
inline constexpr std::int32_t kCmdEffectSequenceOnTransition = 123;
inline constexpr std::int32_t kCmdEffectSequenceOnTransitionPopup = 261;

enum class EffectSequenceMode : int { kClip = 0, kTransition = 1 };

// What the effect sequence dialog is given.
struct EffectSequenceRequest {
  EffectSequenceMode mode = EffectSequenceMode::kClip;
  const TLEvent* record = nullptr;   // the clip or the transition
  std::int32_t frames = 0;           // the record's length in frames
  std::int32_t framesPerSecond = 0;  // the whole-number rate
  FilterList filters;                // the list to edit (a copy)
};

class EffectSequenceDialog {
public:
  virtual ~EffectSequenceDialog() = default;
  // The edited list on OK, nothing on Cancel.
  virtual std::optional<FilterList> Run(const EffectSequenceRequest& request) = 0;
};

// The document's rate as a whole number: hundredths x 0.01, truncated.
std::int32_t WholeFrameRate(const CTestDoc& doc);
// The frames of [in, out] ms at a whole-number rate, rounded to the nearest.
std::int32_t LengthInFrames(std::int32_t in, std::int32_t out, std::int32_t framesPerSecond);

enum class EffectSequenceOutcome {
  kNotAvailable,  // the selection does not fit the command: no dialog
  kRefused,       // a transition of 2 frames or less, or without clips on
                  // video tracks 1 and 3 at its middle: no dialog
  kCancelled,
  kApplied,
};

// The update rules: the selected clip lies on a video track, or on a
// transition track.
bool CanEditClipEffectSequence(const CTestDoc& doc);
bool CanEditTransitionEffectSequence(const CTestDoc& doc);

// On OK the clip's filters become the dialog's list in an undo step
// "Filter/Transition Wizard Editing" (61454).
EffectSequenceOutcome EditClipEffectSequence(CTestDoc& doc, EffectSequenceDialog& dialog);
// The dialog gets the transition's list with its first filter made an effect
// sequence (999; its first parameter's first three values and enable
// cleared). On OK the transition's filters become the dialog's list and its
// type 999 in an undo step "change transition" (165).
EffectSequenceOutcome EditTransitionEffectSequence(CTestDoc& doc, EffectSequenceDialog& dialog);

}  // namespace sprocket

#pragma once
// Edit > Delete, Cut and Paste of whole clips. Delete and Cut take the
// selected clip off the timeline in one undoable step; Cut keeps a copy of
// it, which Paste puts back at the position line, as often as wanted.

#include "commands/command_context.h"

namespace sprocket {

// Delete: the selected clip goes (undo text 180); false when nothing went.
bool CanDeleteClip(const CTestDoc& doc);
bool DeleteClipCommand(CommandContext& context);

// Cut: as Delete, keeping a copy for Paste. A transition is not cut: the
// transition track follows the overlaps of the A/B roll, so it could never
// be pasted back.
bool CanCutClip(const CTestDoc& doc);
bool CutClip(CommandContext& context);

// Paste: the cut clip at the position line (snapped to a frame), on its own
// track when that is free over the clip's length, else on the first free
// track of its type (undo text 175). Refused with a message when no track of
// its type is free there or the timeline would pass 10 hours.
bool CanPasteClip(const CommandContext& context);
bool PasteClip(CommandContext& context);

// The text of the refusal when no track of the clip's type is free.
inline constexpr const char* kNoFreeTrackForPasteMessage =
    "The clip cannot be pasted: no track of its kind is free at the position line.";

}  // namespace sprocket

#pragma once
// What every clip command works on: the document, the view's operations,
// the dialogs and where the program keeps its own pictures.

#include <string>

#include "commands/command_seams.h"
#include "timeline/document/document.h"

namespace sprocket {

struct CommandContext {
  CTestDoc& doc;
  ViewOperations& view;
  DialogProvider& dialogs;
  // The program's folder (with its trailing '/'), where "black.bmp" lives;
  // when it cannot be written there the picture is made in `spareDirectory`.
  std::string programDirectory;
  std::string spareDirectory;
  // The clip the last Cut took off the timeline (a detached copy that Paste
  // copies again), or null.
  EventListSlot cutClip;
};

// The clip of the document's first selection entry, or null.
TLEvent* SelectedClip(const CTestDoc& doc);

// Takes back an edit refused after its undo step was saved, and brings the
// track count and the view up to date.
void RevertRefusedCommand(CommandContext& context);
// After undo, redo or a revert replaced the event list: the track count
// follows the list, the extent is recomputed and the view repainted.
void AfterTimelineReplaced(CommandContext& context);

}  // namespace sprocket

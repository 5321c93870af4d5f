#pragma once
// What every clip command works on: the document, the view's operations,
// the dialogs and the clipboard of cut clips.

#include <memory>
#include <string>

#include "commands/command_seams.h"
#include "timeline/document/document.h"

namespace sprocket {

// The clip the last Cut took off a timeline (a detached copy that Paste
// copies again), or none. Copies of a clipboard are the same clipboard, so
// the views of the editor share one.
class CutClipboard {
public:
  const TLEvent* Clip() const { return slot_->get(); }
  void Keep(EventListSlot clip) { *slot_ = std::move(clip); }

private:
  std::shared_ptr<EventListSlot> slot_ = std::make_shared<EventListSlot>();
};

struct CommandContext {
  CTestDoc& doc;
  ViewOperations& view;
  DialogProvider& dialogs;
  CutClipboard cutClip;
};

// The clip of the document's first selection entry, or null.
TLEvent* SelectedClip(const CTestDoc& doc);

// Tells the user what a refusal or a lost transition means and shows the
// edit in the views; true when the edit was made (or changed nothing).
bool ConcludeEdit(CommandContext& context, const EditResult& result);
// After undo, redo or a revert replaced the event list: the track count
// follows the list, the extent is recomputed and the view repainted.
void AfterTimelineReplaced(CommandContext& context);

}  // namespace sprocket

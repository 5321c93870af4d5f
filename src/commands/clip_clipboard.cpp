#include "commands/clip_clipboard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "commands/clip_commands.h"
#include "platform/prompts.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/edit_record.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

bool TrackFree(CTestDoc& doc, const TLEvent& track, char type, std::int32_t in, std::int32_t out) {
  return track.trackType == type &&
         CheckTrackRange(doc, type, track.trackNumber, in, out, nullptr, nullptr) == kTrackRangeFree;
}

// The clip's own track when it is free over [in, out), else the first free
// track of the clip's type; 0 when none is.
std::int32_t PasteTrack(CTestDoc& doc, const TLEvent& clip, std::int32_t in, std::int32_t out) {
  if (const TLEvent* own = FindTrack(doc.Head(), clip.trackNumber);
      own != nullptr && TrackFree(doc, *own, clip.trackType, in, out)) {
    return own->trackNumber;
  }
  for (const TLEvent* track = GetNextEvent(doc.Head()); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    if (TrackFree(doc, *track, clip.trackType, in, out)) return track->trackNumber;
  }
  return 0;
}

bool TakeSelectedClipOff(CommandContext& context) { return DeleteSelectedClip(context); }

}  // namespace

bool CanDeleteClip(const CTestDoc& doc) { return SelectedClip(doc) != nullptr; }

bool DeleteClipCommand(CommandContext& context) { return TakeSelectedClipOff(context); }

bool CanCutClip(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  return clip != nullptr && clip->trackType != kTrackTransition;
}

bool CutClip(CommandContext& context) {
  if (!CanCutClip(context.doc)) return false;
  EventListSlot copy = CopyClipEvent(SelectedClip(context.doc));
  if (!TakeSelectedClipOff(context)) return false;
  context.cutClip.Keep(std::move(copy));
  return true;
}

bool CanPasteClip(const CommandContext& context) { return context.cutClip.Clip() != nullptr; }

bool PasteClip(CommandContext& context) {
  CTestDoc& doc = context.doc;
  const TLEvent* cut = context.cutClip.Clip();
  if (cut == nullptr || cut->ClipOut() == nullptr) return false;
  const std::int32_t in = SnapToFrame(std::max(doc.currentPosition, 0), doc.rate);
  const std::int64_t out = std::int64_t{in} + (cut->OutTime() - cut->time);
  if (out > kMaxTimelineEnd) {
    ShowMessage(kTimelineTooLongMessage, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::int32_t trackNumber = PasteTrack(doc, *cut, in, static_cast<std::int32_t>(out));
  if (trackNumber == 0) {
    ShowMessage(kNoFreeTrackForPasteMessage, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  context.view.StopPreview();
  TLEvent* clip = nullptr;
  if (!ConcludeEdit(context, PasteClipCopy(doc, *cut, in, trackNumber, &clip)) || clip == nullptr) return false;
  context.view.RebuildClipBitmaps(clip);
  doc.ClearSelection();
  doc.AddSelection(clip);
  return true;
}

}  // namespace sprocket

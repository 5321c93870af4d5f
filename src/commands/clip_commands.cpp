#include "commands/clip_commands.h"

#include <algorithm>
#include <cstring>

#include "commands/black_picture.h"
#include "platform/prompts.h"
#include "platform/string_table.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

bool IsAviWithSound(const TLEvent* clip) {
  return clip != nullptr && clip->mediaType == kMediaAvi && ClipHasSound(*clip);
}

bool OnRollTrack(const TLEvent& clip) {
  return clip.trackType == kTrackVideo && (clip.trackNumber == kRollTrackA || clip.trackNumber == kRollTrackB);
}
std::int32_t OtherRollTrack(const TLEvent& clip) { return clip.trackNumber == kRollTrackA ? kRollTrackB : kRollTrackA; }

const TLEvent* TrackOf(const CTestDoc& doc, const TLEvent& clip) { return FindTrack(doc.Head(), clip.trackNumber); }

std::int32_t ViewStatusOf(const CTestDoc& doc, const TLEvent& clip) {
  const TLEvent* track = TrackOf(doc, clip);
  return track != nullptr ? track->viewStatus : kTrackViewVideoOnly;
}

// Copies the audio stream information and wave format of one AVI header
// into another.
void CopyAviAudio(ClipMediaHeader& to, const ClipMediaHeader& from) {
  if (to.Avi() == nullptr || from.Avi() == nullptr) return;
  const auto source = from.Bytes();
  auto target = to.Bytes();
  std::memcpy(target.data() + kAviAudioStreamOffset, source.data() + kAviAudioStreamOffset, kAviAudioStreamBytes);
  std::memcpy(target.data() + kAviWaveFormatOffset, source.data() + kAviWaveFormatOffset, kAviWaveFormatBytes);
}

// The clip's first row grown by its track's audio rows.
ClipRect ClipRowsRect(const CTestDoc& doc, const TLEvent& clip) {
  ClipRect rect;
  GetClipRect(doc, clip, rect);
  const TLEvent* track = TrackOf(doc, clip);
  if (track == nullptr) return rect;
  int extraRows = 0;
  if (track->trackType == kTrackVideo && track->viewStatus != kTrackViewVideoOnly)
    extraRows = track->viewStatus == kTrackViewStereo ? 2 : 1;
  else if (track->trackType == kTrackAudio && track->viewStatus == kTrackViewStereo)
    extraRows = 1;
  rect.bottom += extraRows * (doc.RowHeight() + 1);
  return rect;
}

ClipRect Inflated(ClipRect rect, std::int32_t by) {
  return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

// The earliest record time of a track after `time`, or the track's end.
std::int32_t NextRecordTime(const TLEvent* track, std::int32_t time, std::int32_t fallback) {
  for (const TLEvent* event = track != nullptr ? track->next : nullptr; event != nullptr; event = event->next)
    if (event->time > time) return event->time;
  return fallback;
}
// The latest record time of a track before `time` (0 when none).
std::int32_t PreviousRecordTime(const TLEvent* track, std::int32_t time) {
  std::int32_t found = 0;
  for (const TLEvent* event = track != nullptr ? track->next : nullptr; event != nullptr; event = event->next)
    if (event->kind != kEventTrackEnd && event->time < time) found = std::max(found, event->time);
  return found;
}

void Split(CommandContext& context, TLEvent* video) {
  CTestDoc& doc = context.doc;
  if (doc.trackCount >= kMaxTracks) {
    ShowMessage(61440, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  context.view.StopPreview();
  doc.SaveUndoState(kEditSplitAudioVideo);
  const int tracksBefore = doc.trackCount;
  const std::int32_t audioTrack = FindOrAddAudioTrack(doc, video->time, video->OutTime());
  TLEvent* audio = nullptr;
  std::string error;
  const ClipCopyParts copy{&*video->header, video->OutTime(), &video->volume, &video->balance};
  if (audioTrack == 0 ||
      CreateClipFromFile(doc.Head(), video->time, kTrackAudio, audioTrack, video->playIn, video->playOut,
                         video->mediaType, video->speed, 0, video->clipName, video->name, video->extension,
                         video->directory, &copy, &audio, &error) == 0) {
    RevertRefusedCommand(context);
    ShowMessage(audioTrack == 0 ? std::string(StringText(61440)) : error, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  audio->derivedFiles = video->derivedFiles;
  audio->channelMode = video->channelMode;  // the sound keeps its channel mode
  video->header->ClearAviAudio();
  video->channelMode = 0;
  ++doc.linkCounter;
  video->linkNumber = audio->linkNumber = doc.linkCounter;

  const std::int32_t status = ViewStatusOf(doc, *audio);
  if (status == kTrackViewVolume || !video->waveform0) {
    audio->waveform0 = nullptr;
    audio->waveform1 = nullptr;
    context.view.RebuildClipBitmaps(audio);
  } else {
    audio->waveform0 = std::move(video->waveform0);
    video->waveform0 = nullptr;
    if (video->waveform1) {
      audio->waveform1 = std::move(video->waveform1);
      video->waveform1 = nullptr;
    } else if (status == kTrackViewStereo && audio->header->AudioChannels() == 2) {
      context.view.DrawClipWaveform(audio, 1);
    }
    GetClipRect(doc, *audio, audio->drawnRect);
  }
  doc.SetModifiedFlag();
  if (doc.trackCount != tracksBefore) context.view.RecalcTimelineExtent();
  context.view.RepaintTrackArea();
}

void Rejoin(CommandContext& context, TLEvent* clip) {
  CTestDoc& doc = context.doc;
  TLEvent* partner = FindLinkedClip(doc.Head(), clip);
  if (partner == nullptr) return;
  // The sound goes back to the video half, whichever half is selected.
  TLEvent* audio = clip->trackType == kTrackAudio ? clip : partner;
  TLEvent* video = audio == clip ? partner : clip;
  if (audio->trackType != kTrackAudio || video->trackType != kTrackVideo) return;
  context.view.StopPreview();
  doc.SaveUndoState(kEditSplitAudioVideo);
  video->derivedFiles = audio->derivedFiles;
  if (video->header && audio->header) CopyAviAudio(*video->header, *audio->header);
  video->volume = std::move(audio->volume);
  video->balance = std::move(audio->balance);
  audio->volume.clear();
  audio->balance.clear();
  video->channelMode = audio->channelMode;
  video->linkNumber = 0;
  if (ViewStatusOf(doc, *video) != kTrackViewVideoOnly) context.view.RebuildClipBitmaps(video);
  doc.ClearSelection();
  DeleteClip(audio);
  if (ValidateTimelineTimes(doc.Head()) != 0) {
    RevertRefusedCommand(context);
    return;
  }
  doc.SetModifiedFlag();
  context.view.RepaintTrackArea();
}

}  // namespace

bool ClipHasSound(const TLEvent& clip) {
  if (clip.mediaType == kMediaWav) return true;
  if (clip.mediaType != kMediaAvi || !clip.header || clip.header->Avi() == nullptr) return false;
  const int bits = clip.header->Avi()->wave.bitsPerSample;
  return bits == 8 || bits == 16;
}

bool ClipHasStereoSound(const TLEvent& clip) {
  if (!ClipHasSound(clip) || !clip.header) return false;
  return clip.header->AudioChannels() == 2;
}

// --- Split and rejoin ---

bool CanSplitOrRejoin(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr || clip->mediaType != kMediaAvi) return false;
  if (clip->trackType == kTrackAudio) return FindLinkedClip(doc.Head(), clip) != nullptr;
  return clip->trackType == kTrackVideo && ClipHasSound(*clip);
}

void SplitOrRejoinAudioVideo(CommandContext& context) {
  TLEvent* clip = SelectedClip(context.doc);
  if (clip == nullptr || clip->mediaType != kMediaAvi) return;
  if (clip->trackType == kTrackVideo && IsAviWithSound(clip))
    Split(context, clip);
  else
    Rejoin(context, clip);
}

// --- Field handling ---

bool CanSetFieldHandling(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  return clip != nullptr && clip->mediaType == kMediaAvi;
}

void SetFieldHandling(CommandContext& context) {
  TLEvent* clip = SelectedClip(context.doc);
  if (clip == nullptr || clip->mediaType != kMediaAvi || !clip->header) return;
  const auto order = context.dialogs.FieldHandling(clip->header->FieldOrder(), clip->MediaPath());
  if (!order || *order == clip->header->FieldOrder()) return;
  clip->header->SetFieldOrder(*order);
  context.doc.SetModifiedFlag();
}

// --- Fades ---

bool CanFade(CTestDoc& doc, bool fadeIn) {
  const TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr || !OnRollTrack(*clip)) return false;
  const std::int32_t start = fadeIn ? clip->time : clip->OutTime() - kFadeCheckMs;
  const std::int32_t end = fadeIn ? clip->time + kFadeCheckMs : clip->OutTime();
  return CheckTrackRange(doc, kTrackVideo, OtherRollTrack(*clip), start, end, nullptr, nullptr) == kTrackRangeFree;
}

bool InsertBlackClip(CommandContext& context, std::int32_t start, std::int32_t end, std::int32_t trackNumber) {
  CTestDoc& doc = context.doc;
  const std::string path = EnsureBlackPicture(context.programDirectory, context.spareDirectory);
  MediaPathParts parts;
  TLEvent* black = nullptr;
  std::string error = "The black picture cannot be written.";
  if (path.empty() || !SplitMediaPath(path, &parts) ||
      CreateClipFromFile(doc.Head(), start, kTrackVideo, trackNumber, 0, end - start, kMediaBmp, kNormalSpeed, 0,
                         parts.name, parts.name, parts.extension, parts.directory, nullptr, &black, &error) == 0) {
    RevertRefusedCommand(context);
    ShowMessage(error, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // The clip's length is snapped to a frame of the timeline; it must still
  // end where the room on the track ends.
  if (black->OutTime() > end) {
    black->ClipOut()->time = end;
    RelinkInTimeOrder(doc.Head(), black);
  }
  context.view.RebuildClipBitmaps(black);
  if (UpdateTransitionsForClip(doc, black) == 0) {
    RevertRefusedCommand(context);
    return false;
  }
  context.view.RepaintTrackArea();
  doc.SetModifiedFlag();
  return true;
}

void FadeFromOrToBlack(CommandContext& context, bool fadeIn) {
  CTestDoc& doc = context.doc;
  if (!CanFade(doc, fadeIn)) return;
  TLEvent* clip = SelectedClip(doc);
  const std::int32_t own = clip->trackNumber;
  const std::int32_t other = OtherRollTrack(*clip);
  const TLEvent* otherTrack = FindTrack(doc.Head(), other);
  std::int32_t start = 0;
  std::int32_t end = 0;
  if (fadeIn) {
    start = clip->time;
    end = std::min(start + kFadeLengthMs, NextRecordTime(otherTrack, start, doc.duration));
  } else {
    end = clip->OutTime();
    start = std::max(end - kFadeLengthMs, PreviousRecordTime(otherTrack, end));
  }
  context.view.StopPreview();
  doc.SaveUndoState(kEditChangeTransition);
  if (!InsertBlackClip(context, start, end, other)) return;
  TLEvent* transition = FindClipAtTime(doc.Head(), start + (end - start) / 2, 2);
  if (transition == nullptr || transition->trackType != kTrackTransition) return;
  transition->leftSide = fadeIn ? other : own;
  transition->rightSide = fadeIn ? own : other;
  const EditRecord edit{kEditChangeTransition, transition->trackNumber, {}};
  doc.UpdateSegmentsForEdit(doc.Head(), transition, &edit);
  context.view.RepaintMarkBand();
}

// --- Attributes ---

bool CanCopyAttributes(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  return clip != nullptr && !clip->intermediateMovie && clip->trackType != kTrackTransition;
}

void CopyAttributes(CommandContext& context) {
  if (!CanCopyAttributes(context.doc)) return;
  context.view.StopPreview();
  // A deep copy: pasting after the source was deleted reads nothing freed.
  context.doc.attributeClipboard = CopyClipEvent(SelectedClip(context.doc));
}

bool CanPasteAttributes(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  const TLEvent* source = doc.attributeClipboard.get();
  return clip != nullptr && source != nullptr && !clip->intermediateMovie && source->trackType == clip->trackType;
}

void PasteAttributes(CommandContext& context) {
  CTestDoc& doc = context.doc;
  if (!CanPasteAttributes(doc)) return;
  TLEvent* target = SelectedClip(doc);
  const TLEvent* source = doc.attributeClipboard.get();
  if (source->trackType == kTrackVideo && target->trackNumber < kFirstOverlayTrack &&
      source->trackNumber >= kFirstOverlayTrack && HasSpecialFilter(source->filters)) {
    ShowMessage(61296, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  context.view.StopPreview();
  doc.SaveUndoState(kEditPasteAttributes);
  CopyFilterList(target->filters, source->filters);
  const bool takesSound = ClipHasSound(*target);
  target->volume = !source->volume.empty() && takesSound ? source->volume : FlatEnvelope();
  target->balance = !source->balance.empty() && takesSound ? source->balance : FlatEnvelope();
  target->selectedPoint = -1;
  doc.SetModifiedFlag();
  if (target->trackType == kTrackVideo) {
    const EditRecord edit{kEditPasteAttributes, target->trackNumber, {}};
    doc.UpdateSegmentsForEdit(doc.Head(), target, &edit);
    context.view.RepaintMarkBand();
  }
  context.view.RepaintRect(ClipRowsRect(doc, *target));
}

// --- Clip speed ---

bool CanSetClipSpeed(const CTestDoc& doc) {
  const TLEvent* clip = SelectedClip(doc);
  return clip != nullptr && clip->trackType != kTrackTransition;
}

void SetClipSpeed(CommandContext& context) {
  CTestDoc& doc = context.doc;
  if (!CanSetClipSpeed(doc)) return;
  TLEvent* clip = SelectedClip(doc);
  const auto chosen = context.dialogs.SetValue(SetValueMode::kSpeed, clip->speed);
  if (!chosen || *chosen < kMinSpeedPercent) return;
  const std::int32_t speed = std::min(*chosen, kSetValueMax);
  const std::int64_t length = static_cast<std::int64_t>(clip->playOut - clip->playIn) * kNormalSpeed / speed;
  const std::int64_t wantedOut = clip->time + length;
  if (wantedOut > kMaxTimelineEnd) {
    ShowMessage(kTimelineTooLongMessage, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const std::int32_t newOut = SnapToFrame(static_cast<std::int32_t>(wantedOut), doc.rate);
  const SpeedChangeScope speedChange(context.view);
  if (CheckTrackRange(doc, clip->trackType, clip->trackNumber, clip->time, newOut, nullptr, nullptr,
                      context.view.SpeedChange()) != kTrackRangeFree) {
    ShowMessage(kSpeedOverlapMessage, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const ClipRect oldRect = Inflated(ClipRowsRect(doc, *clip), 2);
  const std::int32_t oldOut = clip->OutTime();
  context.view.StopPreview();
  doc.SaveUndoState(kEditClipSpeed);
  clip->speed = speed;
  MoveClipEvent(doc.Head(), newOut - oldOut, clip->trackNumber, oldOut, kEventClipOut, clip->trackType,
                clip->trackNumber);
  if (ValidateTimelineTimes(doc.Head()) != 0) {
    RevertRefusedCommand(context);
    return;
  }
  if (!CheckTransitionLoss(context)) return;
  if (clip->trackType == kTrackVideo) {
    const EditRecord edit{kEditClipSpeed, clip->trackNumber, {clip->OutTime() - oldOut}};
    doc.UpdateSegmentsForEdit(doc.Head(), clip, &edit);
    context.view.RepaintMarkBand();
  }
  context.view.RefreshClipThumbnails(clip);
  const ClipRect newRect = Inflated(ClipRowsRect(doc, *clip), 2);
  context.view.RepaintRect({std::min(oldRect.left, newRect.left), std::min(oldRect.top, newRect.top),
                            std::max(oldRect.right, newRect.right), std::max(oldRect.bottom, newRect.bottom)});
  doc.SetModifiedFlag();
}

// --- Delete ---

bool CheckTransitionLoss(CommandContext& context) {
  CTestDoc& doc = context.doc;
  const int before = CountTransitions(doc.Head());
  if (RebuildTransitions(doc) == 0) {
    RevertRefusedCommand(context);
    return false;
  }
  if (doc.transitionWarning != 0 && CountTransitions(doc.Head()) < before)
    ShowMessage(61285, MB_OK | MB_ICONEXCLAMATION);
  return true;
}

bool DeleteSelectedClip(CommandContext& context) {
  CTestDoc& doc = context.doc;
  TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr) return false;
  const std::string path = clip->MediaPath();
  const std::int32_t in = clip->time;
  const std::int32_t trackNumber = clip->trackNumber;
  std::optional<EditRecord> edit;
  if (clip->trackType == kTrackVideo && IsCoveredByUpperClip(doc.Head(), clip) == 0)
    edit = EditRecord{kEditDeleteClip, trackNumber, {in, clip->OutTime() - in}};
  else if (clip->trackType == kTrackAudio)
    doc.UpdateSegmentsForEdit(doc.Head(), nullptr, nullptr);
  context.view.StopPreview();
  doc.ClearSelection();
  DeleteClip(clip);
  if (ValidateTimelineTimes(doc.Head()) != 0) {
    RevertRefusedCommand(context);
    return false;
  }
  if (!CheckTransitionLoss(context)) return false;
  if (edit) {
    doc.UpdateSegmentsForEdit(doc.Head(), nullptr, &*edit);
    context.view.RepaintMarkBand();
  }
  // The clip's index marks go only once the delete holds.
  if (ClipMarkSet* set = doc.FindClipMarkSet(path, in, trackNumber)) {
    doc.clipMarkSets.erase(doc.clipMarkSets.begin() + (set - doc.clipMarkSets.data()));
  }
  doc.SetModifiedFlag();
  context.view.RepaintTrackArea();
  return true;
}

// --- Timeline duration ---

void SetTimelineDuration(CommandContext& context) {
  CTestDoc& doc = context.doc;
  std::int32_t latestOut = 0;
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event))
    if (event->kind == kEventClipOut) latestOut = std::max(latestOut, event->time);
  const std::int32_t shortest = std::max(kShortestDurationMs, latestOut);
  const std::int32_t longest = std::max(kLongestDurationMs, shortest);
  const auto chosen = context.dialogs.TimelineDuration(shortest, longest, doc.duration);
  if (!chosen) return;
  doc.SetDuration(std::clamp(*chosen, shortest, longest));
  doc.SetModifiedFlag();
  context.view.RecalcTimelineExtent();
}

}  // namespace sprocket

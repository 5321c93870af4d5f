#include "commands/clip_commands.h"

#include <algorithm>
#include <cstring>

#include "platform/prompts.h"
#include "platform/string_table.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/black_picture.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/clip_edits.h"
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
  TLEvent* audio = nullptr;
  EditResult result = SplitAudioVideo(doc, video, &audio);
  if (result.refusal && result.refusal->error == EditError::kNoTrack) result.refusal->message = StringText(61440);
  if (!ConcludeEdit(context, result) || audio == nullptr) return;
  // The sound's waveform pictures go with it, or are made anew for its track.
  const std::int32_t status = ViewStatusOf(doc, *audio);
  if (status == kTrackViewVolume || !video->waveform0) {
    context.view.RebuildClipBitmaps(audio);
  } else {
    audio->waveform0 = std::move(video->waveform0);
    audio->waveform1 = std::move(video->waveform1);
    if (!audio->waveform1 && status == kTrackViewStereo && audio->header->AudioChannels() == 2)
      context.view.DrawClipWaveform(audio, 1);
  }
}

void Rejoin(CommandContext& context, TLEvent* clip) {
  if (FindLinkedClip(context.doc.Head(), clip) == nullptr) return;
  context.view.StopPreview();
  context.doc.ClearSelection();
  TLEvent* video = clip->trackType == kTrackVideo ? clip : FindLinkedClip(context.doc.Head(), clip);
  if (!ConcludeEdit(context, RejoinAudioVideo(context.doc, clip))) return;
  if (video != nullptr && ViewStatusOf(context.doc, *video) != kTrackViewVideoOnly)
    context.view.RebuildClipBitmaps(video);
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
  context.view.StopPreview();
  const auto order = context.dialogs.FieldHandling(clip->header->FieldOrder(), clip->MediaPath());
  if (!order || *order == clip->header->FieldOrder()) return;
  ConcludeEdit(context, SetFieldOrder(context.doc, clip, *order));
}

// --- Fades ---

bool CanFade(CTestDoc& doc, bool fadeIn) {
  const TLEvent* clip = SelectedClip(doc);
  if (clip == nullptr || !OnRollTrack(*clip)) return false;
  const std::int32_t start = fadeIn ? clip->time : clip->OutTime() - kFadeCheckMs;
  const std::int32_t end = fadeIn ? clip->time + kFadeCheckMs : clip->OutTime();
  return CheckTrackRange(doc, kTrackVideo, OtherRollTrack(*clip), start, end, nullptr, nullptr) == kTrackRangeFree;
}

void FadeFromOrToBlack(CommandContext& context, bool fadeIn) {
  CTestDoc& doc = context.doc;
  if (!CanFade(doc, fadeIn)) return;
  TLEvent* clip = SelectedClip(doc);
  const TLEvent* otherTrack = FindTrack(doc.Head(), OtherRollTrack(*clip));
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
  const std::string black = EnsureBlackPicture();
  ConcludeEdit(context, FadeWithBlackClip(doc, clip, fadeIn, start, end, black));
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
  ConcludeEdit(context, PasteAttributesEdit(doc, target, *source));
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
  context.view.StopPreview();
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
  EditResult result = SetClipSpeedEdit(doc, clip, speed);
  if (result.refusal && result.refusal->error == EditError::kTrackNotFree)
    result.refusal->message = kSpeedOverlapMessage;
  ConcludeEdit(context, result);
}

// --- Delete ---

bool DeleteSelectedClip(CommandContext& context) {
  TLEvent* clip = SelectedClip(context.doc);
  if (clip == nullptr) return false;
  context.view.StopPreview();
  const EditResult result = DeleteClipEdit(context.doc, clip);
  context.doc.ClearSelection();
  return ConcludeEdit(context, result) && result.report.changed;
}

// --- Timeline duration ---

void SetTimelineDuration(CommandContext& context) {
  CTestDoc& doc = context.doc;
  const std::int32_t shortest = std::max(kShortestDurationMs, LatestClipOutTime(doc.Head()));
  const std::int32_t longest = std::max(kLongestDurationMs, shortest);
  context.view.StopPreview();
  const auto chosen = context.dialogs.TimelineDuration(shortest, longest, doc.duration);
  if (!chosen) return;
  ConcludeEdit(context, SetTimelineDurationEdit(doc, std::clamp(*chosen, shortest, longest)));
}

}  // namespace sprocket

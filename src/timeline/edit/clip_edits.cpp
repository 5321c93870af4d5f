#include "timeline/edit/clip_edits.h"

#include <algorithm>
#include <cstring>

#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_factory.h"
#include "timeline/document/clip_header_reader.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

std::int32_t SpeedOf(const TLEvent& clip) { return clip.speed > 0 ? clip.speed : kNormalSpeed; }

void ShiftClipInTime(TLEvent* head, TLEvent* clip, std::int32_t delta, std::int32_t trackNumber) {
  clip->time += delta;
  clip->ClipOut()->time += delta;
  if (trackNumber != clip->trackNumber) MoveClipToTrack(head, clip, trackNumber);
}

bool TrackTakes(const TLEvent* head, std::int32_t trackNumber, char type) {
  const TLEvent* track = FindTrack(head, trackNumber);
  return track != nullptr && track->trackType == type;
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

// A pasted half of a split pair stays linked only while its other half is
// the one clip on the timeline with that number and lies on the other kind
// of track: a second paste, or a paste after the other half went, is a clip
// of its own.
std::uint32_t LinkNumberAfterPaste(const TLEvent* head, const TLEvent& clip) {
  if (clip.linkNumber == 0) return 0;
  std::vector<const TLEvent*> holders;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event))
    if (event->IsClipIn() && event->linkNumber == clip.linkNumber) holders.push_back(event);
  return holders.size() == 1 && holders.front()->trackType != clip.trackType ? clip.linkNumber : 0;
}

bool ClipTakesSound(const TLEvent& clip) {
  if (clip.mediaType == kMediaWav) return true;
  if (clip.mediaType != kMediaAvi || !clip.header || clip.header->Avi() == nullptr) return false;
  const int bits = clip.header->Avi()->wave.bitsPerSample;
  return bits == 8 || bits == 16;
}

}  // namespace

// --- Moving ---

EditResult MoveClips(CTestDoc& doc, const std::vector<ClipMove>& moves, std::int32_t delta) {
  if (moves.empty() || moves.front().clip == nullptr) return RefusedEdit(EditError::kNoClip);
  std::vector<ClipMove> all;
  auto add = [&all](TLEvent* clip, std::int32_t trackNumber) {
    if (clip == nullptr) return;
    for (const ClipMove& move : all)
      if (move.clip == clip) return;
    all.push_back({clip, trackNumber});
  };
  for (const ClipMove& move : moves) add(move.clip, move.trackNumber);
  for (std::size_t i = 0, n = all.size(); i < n; ++i) {
    TLEvent* partner = FindSyncPartner(doc.Head(), all[i].clip);
    if (partner != nullptr) add(partner, partner->trackNumber);
  }
  const TLEvent* pressed = all.front().clip;
  delta = SnapToFrame(std::max(pressed->time + delta, 0), doc.rate) - pressed->time;
  bool acrossTracks = false;
  for (const ClipMove& move : all) {
    if (!TrackTakes(doc.Head(), move.trackNumber, move.clip->trackType)) return RefusedEdit(EditError::kNoTrack);
    delta = std::max(delta, -move.clip->time);  // none before the timeline's start
    acrossTracks = acrossTracks || move.trackNumber != move.clip->trackNumber;
  }
  if (delta == 0 && !acrossTracks) return {};
  TimelineEdit edit(doc, kEditMoveClip);
  for (const ClipMove& move : all) ShiftClipInTime(edit.Head(), move.clip, delta, move.trackNumber);
  SortClipRecords(edit.Head());
  return edit.Commit();
}

// --- Trimming ---

std::int32_t TrimmedEdgeTime(const CTestDoc& doc, const TLEvent& clip, ClipEdge edge, std::int32_t delta) {
  const std::int32_t speed = SpeedOf(clip);
  const std::int32_t frame = std::max(1, SnapToFrame(1, doc.rate));
  const double mediaMs = clip.header ? clip.header->MediaLengthMs() : 0.0;
  const std::int32_t outTime = clip.OutTime();
  if (edge == ClipEdge::kIn) {
    const std::int32_t in = SnapToFrame(std::clamp(clip.time + delta, 0, outTime - frame), doc.rate);
    return std::max(in, clip.time - clip.playIn * 100 / speed);  // the media cannot start before its beginning
  }
  std::int32_t end = SnapToFrame(std::max(outTime + delta, clip.time + frame), doc.rate);
  if (mediaMs > 0.0) {
    end = std::min<std::int32_t>(end, clip.time + static_cast<std::int32_t>((mediaMs - clip.playIn) * 100 / speed));
  }
  return end;
}

EditResult TrimClip(CTestDoc& doc, TLEvent* clip, ClipEdge edge, std::int32_t delta) {
  if (clip == nullptr || !clip->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  delta = TrimmedEdgeTime(doc, *clip, edge, delta) - (edge == ClipEdge::kIn ? clip->time : clip->OutTime());
  if (delta == 0) return {};
  TLEvent* partner = FindSyncPartner(doc.Head(), clip);
  TimelineEdit edit(doc, kEditTrimClip);
  for (TLEvent* c : {clip, partner}) {
    if (c == nullptr) continue;
    const std::int32_t mediaDelta = delta * SpeedOf(*c) / 100;
    if (edge == ClipEdge::kIn) {
      c->time += delta;
      c->playIn = std::max(0, c->playIn + mediaDelta);
    } else {
      c->ClipOut()->time += delta;
      c->playOut = std::max(c->playIn, c->playOut + mediaDelta);
    }
  }
  SortClipRecords(edit.Head());
  return edit.Commit();
}

// --- Placing and deleting ---

EditResult PlaceClip(CTestDoc& doc, const std::string& path, std::int32_t time, std::int32_t trackNumber,
                     TLEvent** placed) {
  MediaPathParts parts;
  if (!SplitMediaPath(path, &parts)) return RefusedEdit(EditError::kBadMedia, "Cannot use the file " + path);
  if (!IsReadableMediaExt(parts.extension)) {
    return RefusedEdit(EditError::kBadMedia,
                       "Cannot place " + path + ": Sprocket reads " + std::string(ReadableMediaKinds()) + ".");
  }
  const std::int32_t mediaType = GetMediaTypeCode(path);
  std::optional<ClipMediaHeader> header;
  std::string error;
  if (!ReadMediaHeader(path, mediaType, &header, &error))
    return RefusedEdit(EditError::kBadMedia, error.empty() ? "Cannot read the file " + path : error);
  const bool sound = IsAudioMediaType(mediaType);
  const char type = sound ? kTrackAudio : kTrackVideo;
  const double lengthMs = header ? header->MediaLengthMs() : 0.0;
  const std::int32_t playOut = lengthMs > 0.0 ? static_cast<std::int32_t>(lengthMs) : kStillLengthMs;
  time = SnapToFrame(std::max(time, 0), doc.rate);

  TimelineEdit edit(doc, kEditPlaceClip);
  if (!TrackTakes(edit.Head(), trackNumber, type))
    trackNumber = sound ? FindOrAddAudioTrack(doc, time, time + playOut) : 1;
  TLEvent* clip = nullptr;
  if (CreateClipFromFile(edit.Head(), time, type, trackNumber, 0, playOut, mediaType, kNormalSpeed, 0, parts.name,
                         parts.name, parts.extension, parts.directory, nullptr, &clip, &error) == 0) {
    return edit.Refuse(EditError::kBadMedia, error);
  }
  EditResult result = edit.Commit();
  if (placed != nullptr) *placed = result.Ok() ? clip : nullptr;
  return result;
}

EditResult DeleteClipEdit(CTestDoc& doc, TLEvent* clip) {
  if (clip == nullptr || !clip->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  TimelineEdit edit(doc, kEditDeleteClip);
  if (ClipMarkSet* set = doc.FindClipMarkSet(clip->MediaPath(), clip->time, clip->trackNumber))
    doc.clipMarkSets.erase(doc.clipMarkSets.begin() + (set - doc.clipMarkSets.data()));
  std::erase_if(doc.selection, [clip](const ClipSelection& entry) { return entry.clip == clip; });
  DeleteClip(clip);
  return edit.Commit();
}

EditResult PasteClipCopy(CTestDoc& doc, const TLEvent& cut, std::int32_t in, std::int32_t trackNumber,
                         TLEvent** pasted) {
  if (cut.ClipOut() == nullptr) return RefusedEdit(EditError::kNoClip);
  if (!TrackTakes(doc.Head(), trackNumber, cut.trackType)) return RefusedEdit(EditError::kNoTrack);
  TimelineEdit edit(doc, kEditPasteClip);
  EventListSlot copy = CopyClipEvent(&cut);
  copy->linkNumber = LinkNumberAfterPaste(edit.Head(), *copy);
  TLEvent* clip = InsertClipEvent(edit.Head(), std::move(copy), trackNumber, in);
  if (clip == nullptr) return edit.Refuse(EditError::kNoTrack);
  EditResult result = edit.Commit();
  if (pasted != nullptr) *pasted = result.Ok() ? clip : nullptr;
  return result;
}

// --- Sound and pictures of a clip ---

EditResult SplitAudioVideo(CTestDoc& doc, TLEvent* video, TLEvent** audio) {
  if (video == nullptr || video->mediaType != kMediaAvi || video->trackType != kTrackVideo || !video->header ||
      !ClipTakesSound(*video)) {
    return RefusedEdit(EditError::kNoClip);
  }
  TimelineEdit edit(doc, kEditSplitAudioVideo);
  const std::int32_t audioTrack = FindOrAddAudioTrack(doc, video->time, video->OutTime());
  if (audioTrack == 0) return edit.Refuse(EditError::kNoTrack);
  TLEvent* sound = nullptr;
  std::string error;
  const ClipCopyParts copy{&*video->header, video->OutTime(), &video->volume, &video->balance};
  if (CreateClipFromFile(edit.Head(), video->time, kTrackAudio, audioTrack, video->playIn, video->playOut,
                         video->mediaType, video->speed, 0, video->clipName, video->name, video->extension,
                         video->directory, &copy, &sound, &error) == 0) {
    return edit.Refuse(EditError::kBadMedia, error);
  }
  sound->derivedFiles = video->derivedFiles;
  sound->channelMode = video->channelMode;  // the sound keeps its channel mode
  video->header->ClearAviAudio();
  video->channelMode = 0;
  ++doc.linkCounter;
  video->linkNumber = sound->linkNumber = doc.linkCounter;
  EditResult result = edit.Commit();
  if (audio != nullptr) *audio = result.Ok() ? sound : nullptr;
  return result;
}

EditResult RejoinAudioVideo(CTestDoc& doc, TLEvent* clip) {
  TLEvent* partner = FindLinkedClip(doc.Head(), clip);
  if (clip == nullptr || partner == nullptr) return RefusedEdit(EditError::kNoClip);
  // The sound goes back to the video half, whichever half is given.
  TLEvent* audio = clip->trackType == kTrackAudio ? clip : partner;
  TLEvent* video = audio == clip ? partner : clip;
  if (audio->trackType != kTrackAudio || video->trackType != kTrackVideo) return RefusedEdit(EditError::kNoClip);
  TimelineEdit edit(doc, kEditSplitAudioVideo);
  video->derivedFiles = audio->derivedFiles;
  if (video->header && audio->header) CopyAviAudio(*video->header, *audio->header);
  video->volume = std::move(audio->volume);
  video->balance = std::move(audio->balance);
  video->channelMode = audio->channelMode;
  video->linkNumber = 0;
  std::erase_if(doc.selection, [audio](const ClipSelection& entry) { return entry.clip == audio; });
  DeleteClip(audio);
  return edit.Commit();
}

EditResult FadeWithBlackClip(CTestDoc& doc, TLEvent* clip, bool fadeIn, std::int32_t start, std::int32_t end,
                             const std::string& blackPath) {
  if (clip == nullptr || clip->trackType != kTrackVideo ||
      (clip->trackNumber != kRollTrackA && clip->trackNumber != kRollTrackB)) {
    return RefusedEdit(EditError::kNoClip);
  }
  const std::int32_t own = clip->trackNumber;
  const std::int32_t other = own == kRollTrackA ? kRollTrackB : kRollTrackA;
  MediaPathParts parts;
  if (blackPath.empty() || !SplitMediaPath(blackPath, &parts))
    return RefusedEdit(EditError::kBadMedia, "The black picture cannot be written.");
  TimelineEdit edit(doc, kEditChangeTransition);
  TLEvent* black = nullptr;
  std::string error = "The black picture cannot be written.";
  if (CreateClipFromFile(edit.Head(), start, kTrackVideo, other, 0, end - start, kMediaBmp, kNormalSpeed, 0, parts.name,
                         parts.name, parts.extension, parts.directory, nullptr, &black, &error) == 0) {
    return edit.Refuse(EditError::kBadMedia, error);
  }
  // The clip's length is snapped to a frame of the timeline; it must still
  // end where the room on the track ends.
  if (black->OutTime() > end) {
    black->ClipOut()->time = end;
    RelinkInTimeOrder(edit.Head(), black);
  }
  if (RebuildTransitions(doc) == 0) return edit.Refuse(EditError::kTransitionsConflict);
  TLEvent* transition = FindClipAtTime(edit.Head(), start + (end - start) / 2, 2);
  if (transition != nullptr && transition->trackType == kTrackTransition) {
    transition->leftSide = fadeIn ? other : own;
    transition->rightSide = fadeIn ? own : other;
  }
  return edit.Commit();
}

EditResult SetClipSpeedEdit(CTestDoc& doc, TLEvent* clip, std::int32_t speed) {
  if (clip == nullptr || !clip->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  if (speed <= 0) return RefusedEdit(EditError::kOutOfRange);
  const std::int64_t length = static_cast<std::int64_t>(clip->playOut - clip->playIn) * kNormalSpeed / speed;
  const std::int64_t wantedOut = clip->time + length;
  if (wantedOut > kMaxTimelineEnd) return RefusedEdit(EditError::kTimelineTooLong);
  const std::int32_t newOut = SnapToFrame(static_cast<std::int32_t>(wantedOut), doc.rate);
  TimelineEdit edit(doc, kEditClipSpeed);
  const std::int32_t oldOut = clip->OutTime();
  clip->speed = speed;
  MoveClipEvent(edit.Head(), newOut - oldOut, clip->trackNumber, oldOut, kEventClipOut, clip->trackType,
                clip->trackNumber);
  return edit.Commit();
}

EditResult PasteAttributesEdit(CTestDoc& doc, TLEvent* target, const TLEvent& source) {
  if (target == nullptr || !target->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  TimelineEdit edit(doc, kEditPasteAttributes);
  CopyFilterList(target->filters, source.filters);
  const bool takesSound = ClipTakesSound(*target);
  target->volume = !source.volume.empty() && takesSound ? source.volume : FlatEnvelope();
  target->balance = !source.balance.empty() && takesSound ? source.balance : FlatEnvelope();
  target->selectedPoint = -1;
  return edit.Commit();
}

EditResult SetFieldOrder(CTestDoc& doc, TLEvent* clip, std::int32_t fieldOrder) {
  if (clip == nullptr || !clip->header) return RefusedEdit(EditError::kNoClip);
  TimelineEdit edit(doc, kEditFieldHandling);
  clip->header->SetFieldOrder(fieldOrder);
  return edit.Commit();
}

EditResult SetChannelMode(CTestDoc& doc, TLEvent* clip, std::int32_t mode) {
  if (clip == nullptr || !clip->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  TimelineEdit edit(doc, kEditChannelMode);
  clip->channelMode = mode;
  return edit.Commit();
}

EditResult SetEnvelope(CTestDoc& doc, TLEvent* clip, int channel, VolumeEnvelope points) {
  if (clip == nullptr || !clip->IsClipIn()) return RefusedEdit(EditError::kNoClip);
  if (points.size() < 2) return RefusedEdit(EditError::kOutOfRange);
  TimelineEdit edit(doc, kEditAudioVolume);
  (channel == 0 ? clip->volume : clip->balance) = std::move(points);
  clip->selectedPoint = -1;
  return edit.Commit();
}

// --- The whole timeline ---

EditResult SetTimelineDurationEdit(CTestDoc& doc, std::int32_t ms) {
  if (ms < LatestClipOutTime(doc.Head()) || ms <= 0) return RefusedEdit(EditError::kOutOfRange);
  if (ms > kMaxTimelineEnd) return RefusedEdit(EditError::kTimelineTooLong);
  TimelineEdit edit(doc, kEditTimelineDuration);
  doc.SetDuration(ms);
  return edit.Commit();
}

EditResult SetMovieRange(CTestDoc& doc, TimeRange range) {
  range.start = SnapToFrame(std::clamp(range.start, 0, doc.duration), doc.rate);
  range.end = SnapToFrame(std::clamp(range.end, 0, doc.duration), doc.rate);
  if (range.end <= range.start) return RefusedEdit(EditError::kOutOfRange, "The movie range must hold a frame.");
  TimelineEdit edit(doc, kEditMovieRange);
  doc.movieRange = range;
  doc.rangesFollowContent = false;
  return edit.Commit();
}

EditResult SetAudioPreviewTracks(CTestDoc& doc, std::int32_t option,
                                 const std::vector<TrackPreviewSelection>& selections) {
  if (doc.Head() == nullptr) return RefusedEdit(EditError::kNoTrack);
  TimelineEdit edit(doc, kEditAudioPreviewTracks);
  TLEvent* head = edit.Head();
  head->audioPreviewOption = option;
  for (TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track))
    track->audioPreviewSelection = 0;
  for (const TrackPreviewSelection& entry : selections) {
    TLEvent* track = FindTrack(head, entry.trackNumber);
    if (track != nullptr) track->audioPreviewSelection = entry.selection;
  }
  return edit.Commit();
}

EditResult SetTrackViewStatusEdit(CTestDoc& doc, std::int32_t trackNumber, std::int32_t status) {
  TLEvent* track = FindTrack(doc.Head(), trackNumber);
  if (track == nullptr || track->trackType == kTrackTransition) return RefusedEdit(EditError::kNoTrack);
  if (status < kTrackViewBalance || status > kTrackViewStereo) return RefusedEdit(EditError::kOutOfRange);
  if (track->viewStatus == status) return {};
  TimelineEdit edit(doc, kEditTrackViewStatus);
  FindTrack(edit.Head(), trackNumber)->viewStatus = status;
  return edit.Commit();
}

}  // namespace sprocket

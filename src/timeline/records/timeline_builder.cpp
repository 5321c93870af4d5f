#include "timeline/records/timeline_builder.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace sprocket {

namespace {

bool IsClipRecord(const TLEvent* event) {
  return event != nullptr && (event->kind == kEventClipIn || event->kind == kEventClipOut);
}

bool IsValidTrackType(char type) { return type == kTrackVideo || type == kTrackAudio || type == kTrackTransition; }

// Order of clip records in the master list: by time, an out before an in at
// the same time, then by track number.
std::tuple<std::int32_t, int, std::int32_t> MasterKey(const TLEvent& event) {
  return {event.time, event.kind == kEventClipOut ? 0 : 1, event.trackNumber};
}

void ChainInsertAfter(TLEvent* position, TLEvent* event) {
  event->prev = position;
  event->next = position->next;
  if (position->next != nullptr) position->next->prev = event;
  position->next = event;
}

void ChainUnlink(TLEvent* event) {
  if (event->prev != nullptr) event->prev->next = event->next;
  if (event->next != nullptr) event->next->prev = event->prev;
  event->next = event->prev = nullptr;
}

// Takes a node out of the master list; it must have a predecessor.
std::unique_ptr<TLEvent> MasterDetach(TLEvent* event) {
  TLEvent* before = event->masterPrev;
  std::unique_ptr<TLEvent> self = std::move(before->masterNext);
  before->masterNext = std::move(self->masterNext);
  if (before->masterNext) before->masterNext->masterPrev = before;
  self->masterPrev = nullptr;
  return self;
}

TLEvent* MasterInsertAfter(TLEvent* position, std::unique_ptr<TLEvent> event) {
  TLEvent* raw = event.get();
  raw->masterNext = std::move(position->masterNext);
  if (raw->masterNext) raw->masterNext->masterPrev = raw;
  raw->masterPrev = position;
  position->masterNext = std::move(event);
  return raw;
}

// The last track header of the master list (the head when none).
TLEvent* LastHeader(TLEvent* head) {
  TLEvent* position = head;
  while (position->masterNext && position->masterNext->kind == kEventTrackBegin) {
    position = position->masterNext.get();
  }
  return position;
}

// The node after which a clip record belongs in the master list.
TLEvent* MasterPositionForClipRecord(TLEvent* head, const TLEvent& event) {
  TLEvent* position = LastHeader(head);
  auto key = MasterKey(event);
  while (IsClipRecord(position->masterNext.get()) && MasterKey(*position->masterNext) <= key) {
    position = position->masterNext.get();
  }
  return position;
}

// Links a clip record into the master list at its place.
TLEvent* InsertClipRecord(TLEvent* head, std::unique_ptr<TLEvent> event) {
  TLEvent* position = MasterPositionForClipRecord(head, *event);
  return MasterInsertAfter(position, std::move(event));
}

// The node of a track chain after which a clip starting at `in` belongs.
TLEvent* ChainPositionForClip(TLEvent* trackHeader, std::int32_t in) {
  TLEvent* position = trackHeader;
  while (position->next != nullptr && position->next->kind == kEventClipIn && position->next->time <= in &&
         position->next->next != nullptr) {
    position = position->next->next;
  }
  return position;
}

void LinkClipIntoChain(TLEvent* trackHeader, TLEvent* clipIn, TLEvent* clipOut) {
  TLEvent* position = ChainPositionForClip(trackHeader, clipIn->time);
  ChainInsertAfter(position, clipIn);
  ChainInsertAfter(clipIn, clipOut);
}

}  // namespace

EventListSlot NewTimeline(std::int32_t rate, std::int32_t duration) {
  auto head = std::make_unique<TLEvent>();
  head->kind = kEventTimelineBegin;
  head->trackType = 0;
  head->rate = rate;
  auto end = std::make_unique<TLEvent>();
  end->kind = kEventTimelineEnd;
  end->trackType = 0;
  end->time = duration;
  TLEvent* endRaw = MasterInsertAfter(head.get(), std::move(end));
  head->next = endRaw;
  endRaw->prev = head.get();
  return head;
}

EventListSlot MakeDefaultTimeline(std::int32_t rate, std::int32_t duration) {
  EventListSlot head = NewTimeline(rate, duration);
  for (char type : {kTrackVideo, kTrackTransition, kTrackVideo, kTrackVideo, kTrackVideo, kTrackAudio, kTrackAudio,
                    kTrackAudio, kTrackAudio}) {
    AppendTrack(head.get(), type);
  }
  return head;
}

TLEvent* InsertTrack(TLEvent* head, char type, std::int32_t number) {
  if (head == nullptr || !IsValidTrackType(type)) return nullptr;
  int tracks = CountTracks(head);
  if (tracks >= kMaxTracks || number < 1 || number > tracks + 1) return nullptr;

  for (TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->kind == kEventTimelineBegin || event->kind == kEventTimelineEnd) continue;
    if (event->trackNumber >= number) ++event->trackNumber;
    if (event->kind == kEventClipIn) {
      if (event->leftSide >= number) ++event->leftSide;
      if (event->rightSide >= number) ++event->rightSide;
    }
  }

  auto begin = std::make_unique<TLEvent>();
  begin->kind = kEventTrackBegin;
  begin->trackType = type;
  begin->trackNumber = number;
  auto end = std::make_unique<TLEvent>();
  end->kind = kEventTrackEnd;
  end->trackType = type;
  end->trackNumber = number;
  end->time = TimelineDuration(head);

  TLEvent* headerPosition = head;
  while (headerPosition->masterNext && headerPosition->masterNext->kind == kEventTrackBegin &&
         headerPosition->masterNext->trackNumber < number) {
    headerPosition = headerPosition->masterNext.get();
  }
  TLEvent* beginRaw = MasterInsertAfter(headerPosition, std::move(begin));

  TLEvent* endPosition = beginRaw;
  while (endPosition->masterNext && endPosition->masterNext->kind != kEventTimelineEnd &&
         !(endPosition->masterNext->kind == kEventTrackEnd && endPosition->masterNext->trackNumber > number)) {
    endPosition = endPosition->masterNext.get();
  }
  TLEvent* endRaw = MasterInsertAfter(endPosition, std::move(end));
  beginRaw->next = endRaw;
  endRaw->prev = beginRaw;
  return beginRaw;
}

TLEvent* AppendTrack(TLEvent* head, char type) { return InsertTrack(head, type, CountTracks(head) + 1); }

TLEvent* InsertClip(TLEvent* head, std::int32_t trackNumber, std::int32_t in, std::int32_t out,
                    const TLEventFields& fields) {
  TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || in < 0 || out <= in) return nullptr;
  auto clipIn = std::make_unique<TLEvent>(fields);
  clipIn->kind = kEventClipIn;
  clipIn->trackType = track->trackType;
  clipIn->trackNumber = trackNumber;
  clipIn->time = in;
  auto clipOut = std::make_unique<TLEvent>();
  clipOut->kind = kEventClipOut;
  clipOut->trackType = track->trackType;
  clipOut->trackNumber = trackNumber;
  clipOut->time = out;

  TLEvent* inRaw = InsertClipRecord(head, std::move(clipIn));
  TLEvent* outRaw = InsertClipRecord(head, std::move(clipOut));
  LinkClipIntoChain(track, inRaw, outRaw);
  return inRaw;
}

TLEvent* InsertClipEvent(TLEvent* head, EventListSlot clip, std::int32_t trackNumber, std::int32_t in) {
  TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || in < 0 || !clip || clip->kind != kEventClipIn || clip->ClipOut() == nullptr) {
    return nullptr;
  }
  std::int32_t length = clip->ClipOut()->time - clip->time;
  std::unique_ptr<TLEvent> clipOut = std::move(clip->masterNext);
  clipOut->masterPrev = nullptr;
  clip->next = nullptr;
  clipOut->prev = nullptr;
  for (TLEvent* record : {clip.get(), clipOut.get()}) {
    record->trackType = track->trackType;
    record->trackNumber = trackNumber;
  }
  clip->time = in;
  clipOut->time = in + (length > 0 ? length : 0);

  TLEvent* inRaw = InsertClipRecord(head, std::move(clip));
  TLEvent* outRaw = InsertClipRecord(head, std::move(clipOut));
  LinkClipIntoChain(track, inRaw, outRaw);
  return inRaw;
}

void DeleteClip(TLEvent* clipIn) {
  if (clipIn == nullptr || clipIn->kind != kEventClipIn) return;
  TLEvent* clipOut = clipIn->ClipOut();
  if (clipOut != nullptr && clipOut->kind == kEventClipOut) FreeEvent(clipOut);
  FreeEvent(clipIn);
}

void RelinkInTimeOrder(TLEvent* head, TLEvent* event) {
  if (head == nullptr || !IsClipRecord(event) || event->masterPrev == nullptr) return;
  TLEvent* clipOut = event->ClipOut();
  if (clipOut != nullptr && clipOut->masterPrev != nullptr) {
    // Both records of the clip may have moved: take both out first.
    std::unique_ptr<TLEvent> in = MasterDetach(event);
    std::unique_ptr<TLEvent> out = MasterDetach(clipOut);
    InsertClipRecord(head, std::move(in));
    InsertClipRecord(head, std::move(out));
  } else {
    InsertClipRecord(head, MasterDetach(event));
  }
  if (event->kind != kEventClipIn) return;
  TLEvent* track = FindTrack(head, event->trackNumber);
  if (clipOut == nullptr || track == nullptr) return;
  ChainUnlink(clipOut);
  ChainUnlink(event);
  LinkClipIntoChain(track, event, clipOut);
}

void SortClipRecords(TLEvent* head) {
  if (head == nullptr) return;
  TLEvent* last = LastHeader(head);
  std::vector<std::unique_ptr<TLEvent>> records;
  while (IsClipRecord(last->masterNext.get())) records.push_back(MasterDetach(last->masterNext.get()));
  std::stable_sort(records.begin(), records.end(),
                   [](const auto& a, const auto& b) { return MasterKey(*a) < MasterKey(*b); });
  for (auto& record : records) last = MasterInsertAfter(last, std::move(record));
  // Track chains: each track's clips in order of their in times.
  for (TLEvent* track = head->masterNext.get(); track != nullptr && track->kind == kEventTrackBegin;
       track = track->masterNext.get()) {
    std::vector<std::pair<TLEvent*, TLEvent*>> clips;
    for (TLEvent* event = track->next; event != nullptr && event->kind == kEventClipIn; event = event->next->next) {
      if (event->next == nullptr) break;
      clips.emplace_back(event, event->next);
    }
    std::stable_sort(clips.begin(), clips.end(),
                     [](const auto& a, const auto& b) { return a.first->time < b.first->time; });
    TLEvent* trackEnd = track->next;
    while (trackEnd != nullptr && trackEnd->kind != kEventTrackEnd) trackEnd = trackEnd->next;
    TLEvent* position = track;
    for (auto& [in, out] : clips) {
      position->next = in;
      in->prev = position;
      in->next = out;
      out->prev = in;
      position = out;
    }
    position->next = trackEnd;
    if (trackEnd != nullptr) trackEnd->prev = position;
  }
}

bool MoveClipToTrack(TLEvent* head, TLEvent* clipIn, std::int32_t trackNumber) {
  if (head == nullptr || clipIn == nullptr || clipIn->kind != kEventClipIn) return false;
  TLEvent* clipOut = clipIn->ClipOut();
  TLEvent* track = FindTrack(head, trackNumber);
  if (clipOut == nullptr || track == nullptr) return false;
  ChainUnlink(clipOut);
  ChainUnlink(clipIn);
  for (TLEvent* record : {clipIn, clipOut}) {
    record->trackType = track->trackType;
    record->trackNumber = trackNumber;
  }
  LinkClipIntoChain(track, clipIn, clipOut);
  // The track number is part of the master order at equal times.
  for (TLEvent* record : {clipIn, clipOut}) {
    std::unique_ptr<TLEvent> self = MasterDetach(record);
    InsertClipRecord(head, std::move(self));
  }
  return true;
}

bool CheckTimelineLinks(const TLEvent* head) {
  if (head == nullptr || head->kind != kEventTimelineBegin || head->masterPrev != nullptr) return false;
  // Master list: links both ways, sections in order.
  int section = 0;  // 0 head, 1 headers, 2 clip records, 3 track ends, 4 end
  const TLEvent* previousClipRecord = nullptr;
  std::int32_t lastHeaderNumber = 0;
  std::int32_t lastEndNumber = 0;
  for (const TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->masterNext && event->masterNext->masterPrev != event) return false;
    int wanted = 0;
    switch (event->kind) {
      case kEventTimelineBegin:
        wanted = 0;
        break;
      case kEventTrackBegin:
        wanted = 1;
        break;
      case kEventClipIn:
      case kEventClipOut:
        wanted = 2;
        break;
      case kEventTrackEnd:
        wanted = 3;
        break;
      case kEventTimelineEnd:
        wanted = 4;
        break;
      default:
        return false;
    }
    if (wanted < section || (event == head) != (wanted == 0)) return false;
    section = wanted;
    if (event->kind == kEventTrackBegin) {
      if (event->trackNumber <= lastHeaderNumber) return false;
      lastHeaderNumber = event->trackNumber;
    }
    if (event->kind == kEventTrackEnd) {
      if (event->trackNumber <= lastEndNumber) return false;
      lastEndNumber = event->trackNumber;
    }
    if (IsClipRecord(event)) {
      if (previousClipRecord != nullptr && MasterKey(*previousClipRecord) > MasterKey(*event)) return false;
      previousClipRecord = event;
    }
    if (event->kind == kEventTimelineEnd && event->masterNext) return false;
  }
  if (section != 4 || TimelineEnd(head) == nullptr || TimelineEnd(head)->prev != head) return false;

  // Track chains: b, (f, F)*, e, with each record on its track.
  int clipRecordsOnChains = 0;
  for (const TLEvent* header = head->masterNext.get(); header != nullptr && header->kind == kEventTrackBegin;
       header = header->masterNext.get()) {
    if (header->prev != nullptr) return false;
    const TLEvent* event = header;
    std::int32_t lastIn = -1;
    while (true) {
      const TLEvent* following = event->next;
      if (following == nullptr || following->prev != event) return false;
      if (following->trackNumber != header->trackNumber || following->trackType != header->trackType) return false;
      if (following->kind == kEventTrackEnd) {
        if (following->next != nullptr) return false;
        break;
      }
      if (following->kind != kEventClipIn || following->next == nullptr || following->next->kind != kEventClipOut ||
          following->time < lastIn) {
        return false;
      }
      lastIn = following->time;
      clipRecordsOnChains += 2;
      event = following->next;
      if (event->trackNumber != header->trackNumber) return false;
    }
  }
  int clipRecords = 0;
  for (const TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (IsClipRecord(event)) ++clipRecords;
  }
  return clipRecords == clipRecordsOnChains;
}

}  // namespace sprocket

#include "timeline/document/event_edits.h"

#include <algorithm>
#include <string>

#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

TLEvent* FindRecordAt(const TLEvent* head, std::int32_t time, char kind, char trackType, std::int32_t trackNumber) {
  TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || track->trackType != trackType) return nullptr;
  for (TLEvent* event = track->next; event != nullptr; event = event->next) {
    if (event->kind == kind && event->time == time) return event;
  }
  return nullptr;
}

}  // namespace

TLEvent* MoveClipEvent(TLEvent* head, std::int32_t delta, std::int32_t newTrack, std::int32_t time, char kind,
                       char trackType, std::int32_t trackNumber) {
  if (kind != kEventClipIn && kind != kEventClipOut) return nullptr;
  TLEvent* record = FindRecordAt(head, time, kind, trackType, trackNumber);
  if (record == nullptr || FindTrack(head, newTrack) == nullptr) return nullptr;

  std::int64_t moved = static_cast<std::int64_t>(record->time) + delta;
  std::int32_t newTime = static_cast<std::int32_t>(std::clamp<std::int64_t>(moved, 0, INT32_MAX));
  newTime = std::max(0, SnapToFrame(newTime, head->rate));
  if (kind == kEventClipOut && record->prev != nullptr && record->prev->kind == kEventClipIn) {
    newTime = std::max(newTime, record->prev->time);
  }
  record->time = newTime;

  if (kind == kEventClipIn && newTrack != record->trackNumber) MoveClipToTrack(head, record, newTrack);
  RelinkInTimeOrder(head, record);
  return record;
}

bool IsTimelineTooLong(const TLEvent* head) {
  if (head == nullptr) return false;
  const TLEvent* end = TimelineEnd(head);
  std::int32_t latestOut = 0;
  for (const TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->kind == kEventClipIn) latestOut = std::max(latestOut, event->OutTime());
  }
  return std::max(latestOut, end != nullptr ? end->time : 0) > kLongestTimelineMs;
}

int ValidateTimelineTimes(TLEvent* head) {
  if (head == nullptr) return 0;
  if (IsTimelineTooLong(head)) {
    ShowMessage(kTimelineTooLongMessage, MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  for (TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->time < 0) event->time = 0;
  }
  std::int32_t latestOut = 0;
  for (TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->kind != kEventClipIn) continue;
    TLEvent* out = event->ClipOut();
    if (out != nullptr && out->time < event->time) out->time = event->time;
    latestOut = std::max(latestOut, event->OutTime());
  }
  for (TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if ((event->kind == kEventTrackEnd || event->kind == kEventTimelineEnd) && event->time < latestOut) {
      event->time = latestOut;
    }
  }
  SortClipRecords(head);
  return 0;
}

void SyncTransitionFilter(TLEventFields& transition) {
  if (transition.transitionId == 0) return;
  if (transition.filters.empty()) {
    TLFilter filter;
    InitFilter(filter);
    transition.filters.push_back(std::move(filter));
  }
  transition.filters.front().id = transition.transitionId;
}

void SetTransitionType(TLEvent& transition, std::int32_t id, const TransitionTexts* texts) {
  transition.transitionId = id;
  SyncTransitionFilter(transition);
  transition.transitionIcon.reset();
  transition.ownPicture.reset();
  if (texts != nullptr) {
    transition.title = texts->title;
    transition.description = texts->description;
  }
}

std::int32_t ApplyAviFieldInfoToClip(TLEvent& clip) {
  if (!clip.header || clip.header->Avi() == nullptr) return clip.header ? clip.header->FieldOrder() : 0;
  std::uint32_t code = clip.header->CompressorCode();
  std::string codeText;
  for (int i = 0; i < 4; ++i) codeText += static_cast<char>((code >> (8 * i)) & 0xFF);

  std::int32_t order = 0;
  for (int entry = 0; entry < settings::kAviFieldInfoEntries; ++entry) {
    std::string value = GetProfileString(settings::kAviFieldInfo,
                                         std::string(settings::kAviFieldInfoEntryPrefix) + std::to_string(entry), "");
    // "FOURCC(d)": an entry too short to hold its digit, or without one, is no match.
    if (value.size() < 6 || value.compare(0, 4, codeText) != 0) continue;
    if (value[5] < '0' || value[5] > '9') continue;
    order = value[5] - '0';
    break;
  }
  clip.header->SetFieldOrder(order);
  return order;
}

}  // namespace sprocket

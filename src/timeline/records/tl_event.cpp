#include "timeline/records/tl_event.h"

#include <unordered_map>

namespace sprocket {

TLEvent::~TLEvent() {
  // Free the rest of the master list iteratively: each step takes the next
  // node's successor before the node is destroyed, so no destructor recurses.
  std::unique_ptr<TLEvent> rest = std::move(masterNext);
  while (rest) rest = std::move(rest->masterNext);
}

void CropMargins::Set(int left, int right, int top, int bottom) {
  leftBottom = (static_cast<std::uint32_t>(left) & 0xFFFF) | (static_cast<std::uint32_t>(bottom) & 0xFFFF) << 16;
  rightTop = (static_cast<std::uint32_t>(right) & 0xFFFF) | (static_cast<std::uint32_t>(top) & 0xFFFF) << 16;
}

std::string TLEventFields::MediaPath() const { return directory + name + extension; }

TLEvent* TimelineEnd(const TLEvent* head) {
  if (head == nullptr || head->kind != kEventTimelineBegin) return nullptr;
  TLEvent* end = head->next;
  return end != nullptr && end->kind == kEventTimelineEnd ? end : nullptr;
}

std::int32_t TimelineDuration(const TLEvent* head) {
  const TLEvent* end = TimelineEnd(head);
  return end != nullptr ? end->time : 0;
}

void FreeEvent(TLEvent* event) {
  if (event == nullptr || event->masterPrev == nullptr) return;
  TLEvent* before = event->masterPrev;
  std::unique_ptr<TLEvent> self = std::move(before->masterNext);
  before->masterNext = std::move(self->masterNext);
  if (before->masterNext) before->masterNext->masterPrev = before;
  if (self->prev != nullptr) self->prev->next = self->next;
  if (self->next != nullptr) self->next->prev = self->prev;
  self->next = self->prev = self->masterPrev = nullptr;
}

void FreeEventList(EventListSlot& slot) { slot.reset(); }

EventListSlot CopyEventList(const TLEvent* sourceHead) {
  if (sourceHead == nullptr) return nullptr;
  std::unordered_map<const TLEvent*, TLEvent*> copies;
  EventListSlot copyHead = std::make_unique<TLEvent>(static_cast<const TLEventFields&>(*sourceHead));
  copies[sourceHead] = copyHead.get();
  TLEvent* last = copyHead.get();
  for (const TLEvent* from = sourceHead->masterNext.get(); from != nullptr; from = from->masterNext.get()) {
    last->masterNext = std::make_unique<TLEvent>(static_cast<const TLEventFields&>(*from));
    last->masterNext->masterPrev = last;
    last = last->masterNext.get();
    copies[from] = last;
  }
  auto mapped = [&copies](const TLEvent* original) -> TLEvent* {
    if (original == nullptr) return nullptr;
    auto found = copies.find(original);
    return found != copies.end() ? found->second : nullptr;
  };
  for (const auto& [original, copy] : copies) {
    copy->next = mapped(original->next);
    copy->prev = mapped(original->prev);
  }
  return copyHead;
}

void CopyEventList(const TLEvent* sourceHead, EventListSlot& target) {
  // Copy first: the source may be the target's own list.
  EventListSlot copy = CopyEventList(sourceHead);
  target = std::move(copy);
}

EventListSlot CopyClipEvent(const TLEvent* clipIn) {
  if (clipIn == nullptr || clipIn->kind != kEventClipIn || clipIn->next == nullptr ||
      clipIn->next->kind != kEventClipOut) {
    return nullptr;
  }
  EventListSlot copy = std::make_unique<TLEvent>(static_cast<const TLEventFields&>(*clipIn));
  copy->masterNext = std::make_unique<TLEvent>(static_cast<const TLEventFields&>(*clipIn->next));
  TLEvent* out = copy->masterNext.get();
  out->masterPrev = copy.get();
  copy->next = out;
  out->prev = copy.get();
  return copy;
}

}  // namespace sprocket

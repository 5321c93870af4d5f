#include "effects/custom_fx_apply.h"

#include "effects/custom_fx_group.h"
#include "libs/effectcatalog/effect_catalog.h"
#include "timeline/document/event_edits.h"
#include "timeline/edit/timeline_edit.h"
#include "timeline/tlefile/filter_list_json.h"

namespace sprocket {

namespace {

TLEvent* SelectedClipOn(const CTestDoc& doc, char trackType) {
  if (doc.selection.empty()) return nullptr;
  TLEvent* clip = doc.selection.front().clip;
  return clip != nullptr && clip->IsClipIn() && clip->trackType == trackType ? clip : nullptr;
}

// The entry after the one equal to `current`, or the first.
const FilterList& NextEntry(const CustomFxGroup& group, const FilterList& current) {
  const auto currentJson = FilterListToJson(current);
  for (std::size_t i = 0; i < group.transitions.size(); ++i) {
    if (FilterListToJson(group.transitions[i]) == currentJson) {
      return group.transitions[(i + 1) % group.transitions.size()];
    }
  }
  return group.transitions.front();
}

}  // namespace

TLEvent* SelectedTransition(const CTestDoc& doc) { return SelectedClipOn(doc, kTrackTransition); }
TLEvent* SelectedVideoClip(const CTestDoc& doc) { return SelectedClipOn(doc, kTrackVideo); }

int IsCustomFxSlotAvailable(const CTestDoc& doc, const CustomFxRegistry& registry, int slot) {
  if (SelectedTransition(doc) == nullptr) return 0;
  return registry.IsSlotAvailable(slot);
}

ApplyFxOutcome ApplyCustomFxSlot(CTestDoc& doc, const CustomFxRegistry& registry, int slot) {
  TLEvent* transition = SelectedTransition(doc);
  if (transition == nullptr) return {ApplyFxResult::kNoTransition, {}};
  if (registry.IsSlotAvailable(slot) == 0) return {ApplyFxResult::kSlotUnavailable, {}};
  CustomFxGroup group;
  std::string error;
  if (!ReadCustomFxGroup(registry.Slot(slot)->fileName, group, &error)) {
    return {ApplyFxResult::kDamagedFile, std::move(error)};
  }
  const FilterList& entry = NextEntry(group, transition->filters);
  const std::int32_t id = EntryTransitionId(entry);

  TimelineEdit edit(doc, kEditChangeTransition);
  CopyFilterList(transition->filters, entry);
  const EffectDescriptor* descriptor = FindTransition(id);
  const TransitionTexts texts{std::string(descriptor->title), std::string(descriptor->description)};
  SetTransitionType(*transition, id, &texts);
  const EditResult result = edit.Commit();
  if (result.refusal) return {ApplyFxResult::kDamagedFile, result.refusal->message};
  return {ApplyFxResult::kApplied, {}};
}

}  // namespace sprocket

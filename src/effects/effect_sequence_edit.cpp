#include "effects/effect_sequence_edit.h"

#include "effects/custom_fx_apply.h"
#include "libs/effectcatalog/effect_catalog.h"
#include "platform/mul_div.h"
#include "timeline/document/event_edits.h"
#include "timeline/edit/timeline_edit.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

// Video tracks whose clips an effect sequence needs at the transition's middle.
constexpr std::int32_t kSequenceTrackA = 1;
constexpr std::int32_t kSequenceTrackB = 3;
constexpr std::int32_t kMinSequenceFrames = 3;

EffectSequenceRequest RequestFor(const CTestDoc& doc, EffectSequenceMode mode, const TLEvent& record) {
  const std::int32_t fps = WholeFrameRate(doc);
  return EffectSequenceRequest{mode, &record, LengthInFrames(record.time, record.OutTime(), fps), fps, record.filters};
}

// The transition's list with its first filter made an effect sequence.
FilterList SequenceStartList(const FilterList& filters) {
  FilterList list = filters;
  if (list.empty()) {
    list.emplace_back();
    InitFilter(list.front());
  }
  TLFilter& first = list.front();
  first.id = kFilterEffectSequence;
  if (!first.params.empty()) {
    TLFilterParam& param = first.params.front();
    param.values[0] = param.values[1] = param.values[2] = 0;
    param.enable = 0;
  }
  return list;
}

void Commit(CTestDoc& doc, TLEvent& record, std::int32_t kind, FilterList filters) {
  TimelineEdit edit(doc, kind);
  record.filters = std::move(filters);
  if (kind == kEditChangeTransition) {
    const EffectDescriptor* sequence = FindTransition(kFilterEffectSequence);
    TransitionTexts texts;
    if (sequence != nullptr) texts = {std::string(sequence->title), std::string(sequence->description)};
    SetTransitionType(record, kFilterEffectSequence, sequence != nullptr ? &texts : nullptr);
  }
  edit.Commit();  // a change of effects alone is never refused
}

}  // namespace

std::int32_t WholeFrameRate(const CTestDoc& doc) { return static_cast<std::int32_t>(doc.rate * 0.01); }

std::int32_t LengthInFrames(std::int32_t in, std::int32_t out, std::int32_t framesPerSecond) {
  return MulDiv(out - in, framesPerSecond, 1000);
}

bool CanEditClipEffectSequence(const CTestDoc& doc) { return SelectedVideoClip(doc) != nullptr; }
bool CanEditTransitionEffectSequence(const CTestDoc& doc) { return SelectedTransition(doc) != nullptr; }

EffectSequenceOutcome EditClipEffectSequence(CTestDoc& doc, EffectSequenceDialog& dialog) {
  TLEvent* clip = SelectedVideoClip(doc);
  if (clip == nullptr) return EffectSequenceOutcome::kNotAvailable;
  std::optional<FilterList> edited = dialog.Run(RequestFor(doc, EffectSequenceMode::kClip, *clip));
  if (!edited) return EffectSequenceOutcome::kCancelled;
  Commit(doc, *clip, kEditEffectSequence, std::move(*edited));
  return EffectSequenceOutcome::kApplied;
}

EffectSequenceOutcome EditTransitionEffectSequence(CTestDoc& doc, EffectSequenceDialog& dialog) {
  TLEvent* transition = SelectedTransition(doc);
  if (transition == nullptr) return EffectSequenceOutcome::kNotAvailable;
  EffectSequenceRequest request = RequestFor(doc, EffectSequenceMode::kTransition, *transition);
  const std::int32_t middle = transition->time + (transition->OutTime() - transition->time) / 2;
  if (request.frames < kMinSequenceFrames || FindClipCovering(doc.Head(), kSequenceTrackA, middle) == nullptr ||
      FindClipCovering(doc.Head(), kSequenceTrackB, middle) == nullptr) {
    return EffectSequenceOutcome::kRefused;
  }
  request.filters = SequenceStartList(transition->filters);
  std::optional<FilterList> edited = dialog.Run(request);
  if (!edited) return EffectSequenceOutcome::kCancelled;
  Commit(doc, *transition, kEditChangeTransition, std::move(*edited));
  return EffectSequenceOutcome::kApplied;
}

}  // namespace sprocket

#include "libs/turboeffect/turbo_effect.h"

#include <algorithm>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/filterrender/channel_tables.h"
#include "libs/turboeffect/turbo_kernels.h"

namespace sprocket {

namespace {

// A side's picture, or black when the side has none.
struct SidePicture {
  PictureView view;
  PictureBuffer black;
};

const std::uint8_t* FetchBlock(TurboSources& sources, int side, const PictureView& output, std::recursive_mutex* lock) {
  if (lock == nullptr) return sources.FetchPicture(side, output.width, output.height);
  std::lock_guard guard(*lock);
  return sources.FetchPicture(side, output.width, output.height);
}

bool Fetch(TurboSources& sources, int side, const PictureView& output, std::recursive_mutex* lock,
           SidePicture& picture) {
  const std::uint8_t* block = FetchBlock(sources, side, output, lock);
  if (block == nullptr) {
    picture.black = PictureBuffer(output.width, output.height);
    picture.view = picture.black.view();
    return true;
  }
  picture.view = ViewPicture24(block);
  return picture.view && picture.view.SameSize(output);
}

// The transition's list as the general road runs it: a second filter other
// than 999 would run after the transition.
bool OnlyTheTransitionRuns(std::span<const EffectFilter> filters) {
  return filters.size() < 2 || filters[1].id == effect_id::kEffectSequence ||
         filters[0].id == effect_id::kEffectSequence;
}

bool AllColourTables(std::span<const EffectFilter> filters) {
  return !filters.empty() && std::all_of(filters.begin(), filters.end(), [](const EffectFilter& filter) {
    return IsChannelTableFilter(filter.id) && IsTurboEffect(filter.id, 0) != 0;
  });
}

EffectValues TransitionValues(const TurboEntry& entry) {
  const EffectFilter& own = entry.filters.front();
  return ResolveEffectValues(*FindTransition(own.id), &own, entry.effectPercent);
}

bool TakesEntry(const TurboEntry& entry) {
  if (entry.doubleSize || entry.maskFlag != 0) return false;
  if (entry.trackLetter == 'X') {
    if (entry.filters.empty() || entry.sideAFilters || entry.sideBFilters) return false;
    if (!OnlyTheTransitionRuns(entry.filters) || IsTurboEffect(entry.filters.front().id, 0) == 0) return false;
    return TurboTakesTransition(entry.filters.front().id, TransitionValues(entry));
  }
  return entry.trackLetter == 'V' && AllColourTables(entry.filters);
}

}  // namespace

int IsTurboEffect(std::int32_t filterId, std::int32_t /*value*/) {
  const EffectDescriptor* effect = FindEffect(filterId);
  return effect != nullptr && effect->Has(kEffectFastPath) ? 1 : 0;
}

bool IsTurboEntry(const TurboEntry& entry, std::uint32_t codec) {
  return TakesEntry(entry) && IsTurboEffect(entry.filters.front().id, static_cast<std::int32_t>(codec)) != 0;
}

int TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output,
                 const EffectFrameParams* /*params*/, std::recursive_mutex* lock) {
  if (sources == nullptr || entry.entryCount != 1 || !TakesEntry(entry)) return 0;
  const PictureView out = ViewPicture24(output);
  if (!out) return 0;
  const RenderPumpCallback noPump;
  StopCheck stop(noPump);
  if (stop.Stopped()) return 0;

  if (entry.trackLetter == 'X') {
    SidePicture a;
    SidePicture b;
    if (!Fetch(*sources, kTurboSideA, out, lock, a) || !Fetch(*sources, kTurboSideB, out, lock, b)) return 0;
    TurboTransition(entry.filters.front().id, entry.transitionPercent, TransitionValues(entry), a.view, b.view, out);
    return 1;
  }
  const std::uint8_t* block = FetchBlock(*sources, kTurboSideClip, out, lock);
  if (block == nullptr) {  // no picture: the frame is black, as on the general road
    FillPixels(out, BgrPixel{});
    return 1;
  }
  const PictureView source = ViewPicture24(block);
  if (!source || !source.SameSize(out)) return 0;
  TurboColourTables(entry.filters, entry.effectPercent, source, out);
  return 1;
}

}  // namespace sprocket

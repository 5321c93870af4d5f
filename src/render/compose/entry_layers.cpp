#include "render/compose/entry_layers.h"

#include <array>
#include <cstring>
#include <utility>

#include "imagelib/drawing/mask_blend.h"
#include "render/compose/effect_bridge.h"
#include "render/picture/picture_ops.h"
#include "render/sources/render_state.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

constexpr const char* kNotEnoughMemory = "Not enough memory!";

// Reports a failed allocation once per job.
LayerResult NoMemory(bool report) {
  if (report) ShowRenderMessageOnce(kNotEnoughMemory, "RenderFrame");
  return LayerResult::kNoMemory;
}

class EntryLayer {
public:
  EntryLayer(const LayerContext& context, const RenderEntry& entry)
      : context_(context),
        entry_(entry),
        node_(context.tracks != nullptr ? context.tracks->FindNode(entry.trackNumber) : nullptr),
        workingWidth_(context.source.width),
        workingHeight_(context.source.height) {}

  LayerResult Lay() {
    LayerResult made = LayerResult::kLaid;
    if (entry_.trackLetter == kTrackVideo) {
      made = MakeVideo();
    } else if (entry_.trackLetter == kTrackTransition) {
      made = MakeTransition();
    }
    if (made != LayerResult::kLaid || !work_) return made;
    return Blend();
  }

private:
  GetDibArgs SourceArgs() const {
    GetDibArgs args = context_.source;
    args.entry = &entry_;
    args.node = node_;
    return args;
  }

  // Runs `filters` from `source` into `destination`.
  int Filter(const FilterList& filters, std::size_t first, const RenderSide& group, float percent,
             const DibPicture& source, const DibPicture& destination, const DibPicture& firstMask,
             const DibPicture& secondMask) {
    FillEffectPosition(*context_.params, group, context_.source.field, context_.source.fieldMode);
    const EffectFilterList list(filters, first);
    return context_.effects->ApplyFilterFrame(context_.logSwitch, list.FirstId(), percent, source.data(), 0,
                                              destination.data(), firstMask.data(), secondMask.data(), list.span(),
                                              group.rate, group.sourceTime, 1, context_.params, context_.output,
                                              context_.pump, 0, context_.effectArg);
  }

  // Gives each missing mask a picture of weight 128; false without memory.
  bool EnsureMasks(DibPicture& firstMask, DibPicture& secondMask) const {
    if (!firstMask) firstMask = OpaqueMask24(workingWidth_, workingHeight_);
    if (!secondMask) secondMask = OpaqueMask24(workingWidth_, workingHeight_);
    return firstMask && secondMask;
  }

  LayerResult MakeVideo() {
    std::array<DibPicture, 2> pictures;
    DibPicture alpha;
    GetDIB(SourceArgs(), pictures, &alpha);
    if (alpha) {
      secondMask_ = alpha.Clone();
      firstMask_ = std::move(alpha);
      if (!secondMask_) return NoMemory(false);
    }
    if (!pictures[0]) return LayerResult::kLaid;
    const RenderSide& main = entry_.main;
    if (main.filters.empty()) {
      work_ = std::move(pictures[0]);
      return LayerResult::kLaid;
    }
    work_ = DibPicture::Black24(workingWidth_, workingHeight_);
    if (!work_) return NoMemory(false);
    if (main.maskFlag != 0 && !EnsureMasks(firstMask_, secondMask_)) return NoMemory(false);
    const int answer = Filter(main.filters, 0, main, main.effectPercent, pictures[0], work_, firstMask_, secondMask_);
    return answer == kEffectStopped ? LayerResult::kStopped : LayerResult::kLaid;
  }

  // One side of a transition, with its own filters: black without a picture.
  LayerResult MakeSide(const RenderSide& side, DibPicture picture, DibPicture& work) {
    if (!picture) {
      work = DibPicture::Black24(workingWidth_, workingHeight_);
      return work ? LayerResult::kLaid : NoMemory(true);
    }
    if (side.filters.empty()) {
      work = std::move(picture);
      return LayerResult::kLaid;
    }
    work = DibPicture::Black24(workingWidth_, workingHeight_);
    if (!work) return NoMemory(true);
    DibPicture firstMask;
    DibPicture secondMask;
    if (side.maskFlag != 0 && !EnsureMasks(firstMask, secondMask)) return NoMemory(true);
    const int answer = Filter(side.filters, 0, side, side.effectPercent, picture, work, firstMask, secondMask);
    return answer == kEffectStopped ? LayerResult::kStopped : LayerResult::kLaid;
  }

  LayerResult MakeTransition() {
    std::array<DibPicture, 2> pictures;
    GetDIB(SourceArgs(), pictures);
    std::array<DibPicture, 2> sides;
    for (int side = 0; side < 2; ++side) {
      const LayerResult made =
          MakeSide(side == 0 ? entry_.sideA : entry_.sideB, std::move(pictures[side]), sides[side]);
      if (made != LayerResult::kLaid) return made;
    }

    DibPicture result = DibPicture::Black24(workingWidth_, workingHeight_);
    if (!result) return NoMemory(true);
    const RenderSide& own = entry_.main;
    FillEffectPosition(*context_.params, own, context_.source.field, context_.source.fieldMode);
    int answer = 0;
    {
      const EffectFilterList transition(entry_.transitionFilters);
      answer = context_.effects->RenderTransitionFrame(
          context_.logSwitch, transition.FirstId(), entry_.transitionPercent, sides[0].data(), sides[1].data(),
          result.data(), 0, 0, transition.span(), own.effectPercent, own.sourceTime,
          static_cast<std::int32_t>(own.rate), 1, context_.params, context_.pump);
    }
    sides = {};
    if (answer == kEffectStopped) return LayerResult::kStopped;

    if (answer == kEffectDone && RunsSecondFilter(entry_.transitionFilters)) {
      DibPicture before = std::move(result);
      result = DibPicture::Black24(workingWidth_, workingHeight_);
      if (!result) return NoMemory(true);
      if (own.maskFlag != 0 && !EnsureMasks(firstMask_, secondMask_)) return NoMemory(true);
      answer =
          Filter(entry_.transitionFilters, 1, own, entry_.transitionPercent, before, result, firstMask_, secondMask_);
      if (answer == kEffectStopped) return LayerResult::kStopped;
    }
    work_ = std::move(result);
    return LayerResult::kLaid;
  }

  LayerResult Blend() {
    firstMask_.reset();
    if (context_.source.doubleSize != 0) {
      work_ = ScaleDib24(work_.data(), context_.width, context_.height);
      if (!work_) return NoMemory(false);
      if (secondMask_) {
        secondMask_ = ScaleDib24(secondMask_.data(), context_.width, context_.height);
        if (!secondMask_) return NoMemory(false);
      }
    }
    DibPicture mask;
    if (secondMask_) {
      mask = MakeMask8(secondMask_.data());
      secondMask_.reset();
      if (!mask) return NoMemory(true);
    }
    if (node_ != nullptr) {
      node_->ApplyAccumulationPass(
          work_.data(), mask.data(), [this](const TLFilter& filter, const std::uint8_t* from, std::uint8_t* to) {
            const EffectFilterList list(std::span<const TLFilter>(&filter, 1));
            return context_.effects->ApplyFilterFrame(context_.logSwitch, filter.id, 0.0f, from, 0, to, nullptr,
                                                      nullptr, list.span(), 0.0f, 0, 1, nullptr, nullptr,
                                                      RenderPumpCallback{}, 0, 0);
          });
    }
    BlendUnderMask(work_.data(), context_.output, mask.data());
    return LayerResult::kLaid;
  }

  const LayerContext& context_;
  const RenderEntry& entry_;
  TrackList* node_;
  std::int32_t workingWidth_;
  std::int32_t workingHeight_;
  DibPicture work_;
  DibPicture firstMask_;
  DibPicture secondMask_;
};

}  // namespace

DibPicture OpaqueMask24(std::int32_t width, std::int32_t height) {
  DibPicture mask = DibPicture::Black24(width, height);
  if (mask) std::memset(mask.data() + kDibHeaderSize, 128, mask.Header().biSizeImage);
  return mask;
}

DibPicture MakeMask8(const std::uint8_t* mask24) {
  const std::optional<PictureGeometry> from = ReadPictureGeometry(mask24);
  if (!from || from->bitCount != 24) return {};
  DibPicture mask = DibPicture::Grey8(from->width, from->height);
  if (mask) MakeMaskDib(mask24, mask.data());
  return mask;
}

bool RunsSecondFilter(const FilterList& transitionFilters) {
  return transitionFilters.size() >= 2 && transitionFilters[0].id != kFilterEffectSequence &&
         transitionFilters[1].id != kFilterEffectSequence;
}

LayerResult LayEntry(const LayerContext& context, const RenderEntry& entry) { return EntryLayer(context, entry).Lay(); }

}  // namespace sprocket

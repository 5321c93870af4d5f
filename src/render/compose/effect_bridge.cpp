#include "render/compose/effect_bridge.h"

#include <algorithm>
#include <cstring>

namespace sprocket {

namespace {

GlobalBlock CopyBlock(HGLOBAL block) {
  if (block == nullptr) return {};
  GlobalBlock copy = GlobalBlock::Allocate(GlobalSize(block));
  GlobalLockGuard<std::uint8_t> from(block);
  GlobalLockGuard<std::uint8_t> to(copy.get());
  if (!from || !to) return {};
  std::memcpy(to.get(), from.get(), GlobalSize(block));
  return copy;
}

EffectParamSet ToParamSet(const TLFilterParam& param) {
  EffectParamSet set;
  std::copy_n(param.values.begin(), std::min<std::size_t>(param.values.size(), set.values.size()), set.values.begin());
  set.enable = param.enable;
  if (param.tables) {
    set.red = param.tables->red.data();
    set.green = param.tables->green.data();
    set.blue = param.tables->blue.data();
    set.master = param.tables->master.data();
  }
  return set;
}

}  // namespace

std::unique_ptr<FilterWorkData> PreparedFilterData::Clone() const {
  return std::make_unique<PreparedFilterData>(CopyBlock(textureMap_.get()), CopyBlock(workBlock_.get()));
}

EffectFilterList::EffectFilterList(std::span<const TLFilter> filters, std::size_t first) {
  if (first >= filters.size()) return;
  filters_.reserve(filters.size() - first);
  for (const TLFilter& record : filters.subspan(first)) {
    EffectFilter filter;
    filter.id = record.id;
    filter.effectData = record.effectData;
    for (const TLFilterParam& param : record.params) filter.params.push_back(ToParamSet(param));
    for (const TLBitmapNode& bitmap : record.bitmaps) {
      if (!bitmap.picture) continue;
      auto* address = static_cast<const std::uint8_t*>(GlobalLock(bitmap.picture.get()));
      if (address == nullptr) continue;
      lockedPictures_.push_back(bitmap.picture.get());
      filter.pictures.push_back(address);
    }
    if (const auto* prepared = dynamic_cast<const PreparedFilterData*>(record.workData.get())) {
      filter.textureMap = prepared->TextureMap();
      filter.workBlock = prepared->WorkBlock();
    }
    filters_.push_back(std::move(filter));
  }
}

EffectFilterList::~EffectFilterList() {
  for (HGLOBAL block : lockedPictures_) GlobalUnlock(block);
}

const FilterList& EntryEffectFilters(const RenderEntry& entry) {
  return entry.trackLetter == 'X' ? entry.transitionFilters : entry.main.filters;
}

TurboEntry MakeTurboEntry(const RenderEntry& entry, std::span<const EffectFilter> filters, std::int32_t entryCount,
                          bool doubleSize) {
  TurboEntry turbo;
  turbo.trackLetter = entry.trackLetter;
  turbo.entryCount = entryCount;
  turbo.filters = filters;
  turbo.transitionPercent = entry.transitionPercent;
  turbo.effectPercent = entry.main.effectPercent;
  if (entry.trackLetter == 'X') {
    turbo.sideAFilters = !entry.sideA.filters.empty();
    turbo.sideBFilters = !entry.sideB.filters.empty();
  }
  turbo.maskFlag = entry.main.maskFlag;
  turbo.doubleSize = doubleSize;
  return turbo;
}

}  // namespace sprocket

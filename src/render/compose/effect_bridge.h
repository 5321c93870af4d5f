#pragma once
// Filter lists as the effect libraries take them.
//
// A clip keeps its filters as TLFilter records; the effect libraries take
// EffectFilter records by plain values. An EffectFilterList is the libraries'
// view of a list for the time of one call: each parameter becomes a value
// set with its enable value and the addresses of its lookup tables, the
// pictures of the bitmap list stay locked while the view lives, and effect
// data prepared for the render (a texture map, a work block) is handed over
// by handle. The view points into the records: they must outlive it and
// stay unchanged meanwhile.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "libs/effectcatalog/effect_values.h"
#include "libs/turboeffect/turbo_effect.h"
#include "platform/global_memory.h"
#include "timeline/records/filter_list.h"
#include "timeline/records/render_entry.h"

namespace sprocket {

// The effect data the preparation of a render attaches to a filter (its
// `workData`) and takes away afterwards: the prepared texture map (1560)
// and the work block of the path-animation and strobe filters (1552, 8010).
// Copies of a filter get copies of both blocks.
class PreparedFilterData final : public FilterWorkData {
public:
  PreparedFilterData() = default;
  PreparedFilterData(GlobalBlock textureMap, GlobalBlock workBlock)
      : textureMap_(std::move(textureMap)), workBlock_(std::move(workBlock)) {}

  std::unique_ptr<FilterWorkData> Clone() const override;

  HGLOBAL TextureMap() const { return textureMap_.get(); }
  HGLOBAL WorkBlock() const { return workBlock_.get(); }

private:
  GlobalBlock textureMap_;
  GlobalBlock workBlock_;
};

class EffectFilterList {
public:
  EffectFilterList() = default;
  // The view of the records from `first` on (none when `first` is past
  // the end).
  explicit EffectFilterList(std::span<const TLFilter> filters, std::size_t first = 0);
  ~EffectFilterList();
  EffectFilterList(const EffectFilterList&) = delete;
  EffectFilterList& operator=(const EffectFilterList&) = delete;

  std::span<const EffectFilter> span() const { return filters_; }
  bool empty() const { return filters_.empty(); }
  // The id of the first filter, 0 for an empty list.
  std::int32_t FirstId() const { return filters_.empty() ? 0 : filters_.front().id; }

private:
  std::vector<EffectFilter> filters_;
  std::vector<HGLOBAL> lockedPictures_;
};

// What the fast path is told of a render entry: for an 'X' entry its
// transition list, for a 'V' entry the clip's filters (`filters`, the view
// of the matching list), the percentages, whether a side has filters of its
// own, the mask flag, the number of entries in the frame and whether the
// frame is composed at double size.
TurboEntry MakeTurboEntry(const RenderEntry& entry, std::span<const EffectFilter> filters, std::int32_t entryCount,
                          bool doubleSize);

// The list the fast path and the transition renderer read for an entry:
// the transition list of an 'X' entry, the filters of a 'V' entry.
const FilterList& EntryEffectFilters(const RenderEntry& entry);

}  // namespace sprocket

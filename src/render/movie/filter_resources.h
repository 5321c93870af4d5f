#pragma once
// The outside data some effects need during a render, prepared before it
// and released after it:
//
//   film grain, old film (8005, 8006)  their seed in effect-data words 1 and 2
//   repetition 3D (8009)               the output frame size in word 1
//   texture map (1560)                 the texture's tile, made from its stored data
//   video screen animation (1552)      the work block made from its stored data, and
//                                      for frames above 320 x 240 whose small screen
//                                      keeps its size, an empty "tlt" temporary file
//   freeze frame (8010)                the work block and an empty "frz" temporary
//                                      file that holds the frozen picture
//
// The prepared blocks hang on the filter as its work data (PreparedFilterData)
// until the release, which deletes the temporary files and stores the work
// block's nodes back into the filter's stored data.

#include <cstdint>

#include "timeline/records/tl_event.h"

namespace sprocket {

// Prepares the filters of every clip of the timeline for a render at
// width x height.
void PrepareFilterResources(TLEvent* head, std::int32_t width, std::int32_t height);
// Undoes PrepareFilterResources on the same timeline.
void ReleaseFilterResources(TLEvent* head);

// Prepares on construction (when a timeline is given) and releases on
// Release() or destruction.
class FilterResourceScope {
public:
  FilterResourceScope() = default;
  FilterResourceScope(TLEvent* head, std::int32_t width, std::int32_t height) { Prepare(head, width, height); }
  ~FilterResourceScope() { Release(); }
  FilterResourceScope(const FilterResourceScope&) = delete;
  FilterResourceScope& operator=(const FilterResourceScope&) = delete;

  void Prepare(TLEvent* head, std::int32_t width, std::int32_t height);
  void Release();
  bool active() const { return head_ != nullptr; }

private:
  TLEvent* head_ = nullptr;
};

}  // namespace sprocket

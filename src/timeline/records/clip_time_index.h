#pragma once
// Finding the clip of a track under a time without walking the track.
//
// The index keeps each track's clips in chain order with the latest out
// time up to each of them, and finds the first clip under a time by binary
// search, so a frame's lookups cost the logarithm of the clips instead of
// their number. It is made for a timeline whose times do not change while
// it is used (a render job, a mixdown) and answers exactly what a walk of
// the track's chain answers.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "timeline/records/tl_event.h"

namespace sprocket {

class ClipTimeIndex {
public:
  ClipTimeIndex() = default;
  // Indexes every track of the timeline that starts at `head`.
  explicit ClipTimeIndex(const TLEvent* head);

  const TLEvent* Head() const { return head_; }

  // The first clip of the track (its header) in chain order with
  // in <= t < out; null when none or the track is not indexed.
  const TLEvent* ClipAt(const TLEvent* trackHeader, double t) const {
    return FirstClip(
        trackHeader, [t](double in) { return in <= t; }, [t](double out) { return t < out; },
        [](const TLEvent&) { return true; });
  }

  // The first clip in chain order that `startsBy(in)` and `endsAfter(out)`
  // and that `accept`s. `startsBy` must hold for every time up to some time
  // and no later one, `endsAfter` for every time from some time on (both
  // are tests against one moment: "in <= t", "t < out" in time or in
  // frames).
  template <typename StartsBy, typename EndsAfter, typename Accept>
  const TLEvent* FirstClip(const TLEvent* trackHeader, StartsBy startsBy, EndsAfter endsAfter, Accept accept) const;

private:
  struct TrackClips {
    std::vector<const TLEvent*> clips;    // chain order
    std::vector<std::int32_t> latestOut;  // the latest out time of clips[0..i]
    bool inTimeOrder = true;              // in times never decrease along the chain
  };

  const TLEvent* head_ = nullptr;
  std::unordered_map<const TLEvent*, TrackClips> tracks_;  // by track header
};

template <typename StartsBy, typename EndsAfter, typename Accept>
const TLEvent* ClipTimeIndex::FirstClip(const TLEvent* trackHeader, StartsBy startsBy, EndsAfter endsAfter,
                                        Accept accept) const {
  const auto found = tracks_.find(trackHeader);
  if (found == tracks_.end()) return nullptr;
  const TrackClips& track = found->second;
  auto covers = [&](const TLEvent& clip) { return startsBy(clip.time) && endsAfter(clip.OutTime()) && accept(clip); };
  if (!track.inTimeOrder) {
    for (const TLEvent* clip : track.clips) {
      if (covers(*clip)) return clip;
    }
    return nullptr;
  }
  // Clips before the first whose running latest out time ends after the
  // moment all end by it; from there on, the clips that start by it.
  std::size_t first = 0;
  std::size_t count = track.latestOut.size();
  while (count > 0) {
    const std::size_t half = count / 2;
    if (!endsAfter(track.latestOut[first + half])) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  for (std::size_t i = first; i < track.clips.size() && startsBy(track.clips[i]->time); ++i) {
    if (covers(*track.clips[i])) return track.clips[i];
  }
  return nullptr;
}

}  // namespace sprocket

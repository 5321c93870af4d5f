#pragma once
// What rendering and scrubbing read of a timeline at a time: render entries
// (the clips to composite), clip slices (the clips under a time, per track)
// and render spans (rendered pieces covering a frame range).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "timeline/records/clip_media_header.h"
#include "timeline/records/filter_list.h"

namespace sprocket {

// The name a transition side without a clip gets: a black picture.
inline constexpr const char* kBlankFrameName = "~zkbblnk.bmp";

// One picture of a render entry: the main picture of a 'V' entry, or the A
// or B side of an 'X' entry. On an 'X' entry the entry's own group carries
// its effect percent, source time and rate.
struct RenderSide {
  // Empty for a clip that stands for a stretch of the timeline: the picture
  // is the timeline itself at `sourceTime`.
  std::string fileName;
  std::int32_t sourceFrame = 0;
  std::optional<ClipMediaHeader> header;
  FilterList filters;
  float rate = 0.0f;           // the clip's frames per second
  float effectPercent = 0.0f;  // 0..100
  std::array<std::int32_t, 3> effectValues{};
  // ms: for a clip without a file the timeline time to render; for a still
  // its length on the timeline; otherwise the length of its media.
  std::int32_t sourceTime = 0;
  std::int32_t maskFlag = 0;  // the filter list holds an alpha-mask filter
  // 0 use the output's field flag, 1 field flag 0, 2 field flag 1, other no field step.
  std::int32_t fieldSelector = 0;
  std::int32_t trackNumber = 0;  // the track of the side's clip (0 for a blank side)
  std::int32_t mediaType = 0;
};

struct RenderEntry {
  char trackLetter = 'V';  // 'V' video, 'X' transition
  std::int32_t trackNumber = 0;
  RenderSide main;  // the 'V' picture; the 'X' entry's own group
  RenderSide sideA;
  RenderSide sideB;
  // An 'X' entry's own list: the first filter is the transition, an optional
  // second one runs on its result.
  FilterList transitionFilters;
  float transitionPercent = 0.0f;
  // 0 none; 2 or more the clip's compressed samples may be copied; 3 exact
  // frames only. Set only on a 'V' entry with a file name.
  std::int32_t passThroughKind = 0;
  std::int32_t mediaType = 0;
  std::int32_t fastPath = 0;  // the fast effect path recognises the entry
  // On the first entry: the index of the 'X' entry of the list, -1 when no
  // transition covers the time.
  std::int32_t transitionLink = -1;
};

// The entries at one time, in compositing order: the first lies at the
// bottom, each later one is laid over the result so far.
struct RenderList {
  std::vector<RenderEntry> entries;

  bool empty() const { return entries.empty(); }
  const RenderEntry* First() const { return entries.empty() ? nullptr : &entries.front(); }
  // The transition entry the first entry links to, or null.
  const RenderEntry* TransitionLink() const;
};

// One clip under a time on a video or audio track.
struct ClipSlice {
  char trackType = 'V';
  std::int32_t trackNumber = 0;
  std::int32_t sourcePosition = 0;  // the source frame, clamped to the clip's frames
  std::string path;                 // at most 259 characters
  float rate = 0.0f;                // the clip's fps, or the timeline's for non-AVI clips
  std::optional<ClipMediaHeader> header;
  std::int32_t mediaType = 0;
  std::int32_t clipStart = 0;  // ms
  std::int32_t clipEnd = 0;    // ms
};

// One piece of a rendered file that covers part of a frame range.
struct RenderSpan {
  std::int32_t pieceId = 0;
  std::int32_t firstFrame = 0;
  std::int32_t lastFrame = 0;  // inclusive
  std::string fileName;
  bool operator==(const RenderSpan&) const = default;
};

using RenderSpanList = std::vector<RenderSpan>;

}  // namespace sprocket

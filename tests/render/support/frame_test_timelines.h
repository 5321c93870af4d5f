#pragma once
// Timelines for the tests of the frame renderers, built in code from media
// the tests make: colour cards whose blue byte is the card's index (see
// source_test_media.h).

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/global_memory.h"
#include "render/picture/dib_picture.h"
#include "timeline/records/filter_list.h"
#include "timeline/records/tl_event.h"

namespace sprocket::testing {

// A timeline at 25 frames a second with the default tracks: V1 (track 1),
// the transition track (2) between V1 and V2 (track 3), V3 (4), V4 (5) and
// four sound tracks.
EventListSlot MakeFrameTimeline(std::int32_t duration = 20000);

struct ClipPlacement {
  ClipPlacement(std::string clipPath, std::int32_t clipTrack, std::int32_t clipIn, std::int32_t clipOut)
      : path(std::move(clipPath)), track(clipTrack), in(clipIn), out(clipOut) {}

  std::string path;
  std::int32_t track = 1;
  std::int32_t in = 0;  // ms on the timeline
  std::int32_t out = 0;
  std::int32_t playIn = 0;  // ms into the media
  std::int32_t speed = 100;
  std::int32_t reverse = 0;
  std::int32_t passThroughKind = 0;
  FilterList filters;
};

// Places a clip of a media file (its header read from the file) and
// returns its clip-in record; the test fails when it cannot be placed.
TLEvent* PlaceClip(TLEvent* head, const ClipPlacement& placement);

// Places a clip that stands for the stretch of the timeline from `start`
// ms (an intermediate movie of `start`..`start` + out - in).
TLEvent* PlaceTimelineClip(TLEvent* head, std::int32_t track, std::int32_t in, std::int32_t out, std::int32_t start);

// Places a transition clip whose filter list is `filters` (the transition
// first).
TLEvent* PlaceTransition(TLEvent* head, std::int32_t track, std::int32_t in, std::int32_t out,
                         const FilterList& filters);

// A filter record with `id` and, when `value` is given, one parameter whose
// first value it is.
TLFilter MakeTestFilter(std::int32_t id, std::int32_t value = 0);

// The trailing effect (filter 9000) with mode, count and level.
TLFilter MakeTrailingFilter(std::int32_t mode, std::int32_t count, std::int32_t level);

// Writes `frames` cards, card i having index base + i, as an uncompressed
// AVI at 25 frames a second. The test fails when it cannot be written.
void WriteIndexedAvi(const std::filesystem::path& path, int frames, int width, int height, int base);

// A black 24-bit picture of width x height (the test fails without one).
DibPicture NewPicture(std::int32_t width, std::int32_t height);

// The card of `index` as a picture.
DibPicture CardPicture(int index, int width, int height);

// True when two pictures have the same size and the same pixel bytes.
bool SamePixels(const std::uint8_t* a, const std::uint8_t* b);

// Number of bytes that differ between two pictures of one size (all of
// them when the sizes differ).
std::size_t DifferentBytes(const std::uint8_t* a, const std::uint8_t* b);

}  // namespace sprocket::testing

#pragma once
// Filter lists: the effects of a clip, a transition or a track, and the
// render segments of a timeline (the same record in a second role).
//
// A filter list is a vector of TLFilter records in list order. Records own
// everything they hold, so copying a record or a list makes a deep copy that
// shares nothing with the source.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "timeline/records/clone_ptr.h"
#include "timeline/records/owned_block.h"

namespace sprocket {

// Ten extra values and four 256-entry lookup tables of a filter parameter.
struct TLParamTables {
  std::array<std::int32_t, 10> extra{};
  std::array<std::uint8_t, 256> red{};
  std::array<std::uint8_t, 256> green{};
  std::array<std::uint8_t, 256> blue{};
  std::array<std::uint8_t, 256> master{};
  bool operator==(const TLParamTables&) const = default;
};

inline constexpr std::size_t kFilterParamValues = 8;

// One parameter of a filter: numbers, two names and optional tables.
//
// As a rendered piece of a render segment the numbers are the piece id, its
// first and last frame and a fourth word; the names are the piece's file and
// the temporary file it was made from. A piece without a file describes the
// segment's own rendered movie instead: its rate (hundredths of a frame a
// second), frame count, width and height in the first four numbers. As a chunk node of a board clip the
// first three numbers are the chunk's values and the names the master and
// slave files. As the first parameter of the trailing effect (9000) the
// first three numbers are its mode, count and level.
struct TLFilterParam {
  std::array<std::int32_t, kFilterParamValues> values{};
  std::int32_t enable = 0;
  std::string name;        // at most 259 characters where a file name is meant
  std::string secondName;  // at most 259 characters
  std::optional<TLParamTables> tables;

  // The rendered-piece view of the numbers.
  std::int32_t& pieceId() { return values[0]; }
  std::int32_t& firstFrame() { return values[1]; }
  std::int32_t& lastFrame() { return values[2]; }
  std::int32_t& fourthWord() { return values[3]; }
  std::int32_t pieceId() const { return values[0]; }
  std::int32_t firstFrame() const { return values[1]; }
  std::int32_t lastFrame() const { return values[2]; }
  std::int32_t fourthWord() const { return values[3]; }
  // The segment-movie view of the numbers (a piece without a file).
  bool DescribesSegmentMovie() const { return name.empty(); }
  std::int32_t& movieRate() { return values[0]; }
  std::int32_t& movieFrames() { return values[1]; }
  std::int32_t& movieWidth() { return values[2]; }
  std::int32_t& movieHeight() { return values[3]; }
  std::int32_t movieRate() const { return values[0]; }
  std::int32_t movieFrames() const { return values[1]; }
  std::int32_t movieWidth() const { return values[2]; }
  std::int32_t movieHeight() const { return values[3]; }
  // A segment file's frame grid: the time of its movie's frame 0 (ms) and
  // its rate in thousandths of a frame a second (0: made before grids were kept).
  std::int32_t& gridOrigin() { return values[4]; }
  std::int32_t& gridRate() { return values[5]; }
  std::int32_t gridOrigin() const { return values[4]; }
  std::int32_t gridRate() const { return values[5]; }

  bool operator==(const TLFilterParam&) const = default;
};

// A rendered piece of a segment: id, frames first..last of `fileName`,
// made from `secondName`.
TLFilterParam MakeRenderedPiece(std::int32_t id, std::int32_t firstFrame, std::int32_t lastFrame, std::string fileName,
                                std::string secondName = {}, std::int32_t fourthWord = 0);

// One entry of a filter's bitmap list.
struct TLBitmapNode {
  std::string name;
  OwnedBlock picture;  // a packed DIB, or none
};

// Working data an effect library attaches to a filter between the
// preparation and the release of a render. Copies of a filter get a clone.
class FilterWorkData {
public:
  virtual ~FilterWorkData() = default;
  virtual std::unique_ptr<FilterWorkData> Clone() const = 0;
};

struct TLFilter {
  // --- As an effect filter ---
  std::int32_t id = 0;
  std::string script;  // script or file name of the effect
  // Parameters; on a render segment its rendered pieces, on a board play
  // record its chunk nodes.
  std::vector<TLFilterParam> params;
  std::vector<TLBitmapNode> bitmaps;
  std::vector<std::uint8_t> plugInData;        // plug-in filters (9999)
  std::vector<std::uint8_t> textureMap;        // texture-map data (1560)
  std::vector<std::uint8_t> storedEffectData;  // stored effect data (1552, 8010)
  std::array<std::int32_t, 3> effectData{};    // effect-data words 1, 2 and 3
  ClonePtr<FilterWorkData> workData;           // only during a render

  // --- As a render segment on the timeline's head ---
  std::int32_t rendered = 0;                             // 1: rendered to a board clip or by the effects board
  std::string fileName;                                  // the rendered file; empty: not rendered
  std::int32_t start = 0;                                // ms
  std::int32_t end = 0;                                  // ms
  std::int32_t length = 0;                               // end - start, kept in step by the editing code
  std::int32_t marked = 0;                               // chosen for "render marked"
  std::int32_t boardClip = 0;                            // the pieces were read from a covering board clip
  std::int32_t trimMark = 0;                             // 0, 1 start trimmed, 2 end trimmed (one Make Movie job)
  std::int32_t savedTime = 0;                            // the time a trim replaced
  std::optional<std::array<std::int32_t, 2>> savedSpan;  // start and end while snapped
  std::int32_t count = 0;                                // selects the segment's colour in the ruler
  std::int32_t copiedValue = 0;                          // a value a board play record carries
};

using FilterList = std::vector<TLFilter>;

// Sets a record to its empty state (what a new record holds).
void InitFilter(TLFilter& filter);
void InitFilterParam(TLFilterParam& param);
void InitParamTables(TLParamTables& tables);

// Copies one record's contents (a deep copy) into `to`, releasing what `to`
// held before.
void CopyFilter(TLFilter& to, const TLFilter& from);
// Releases everything one record owns (its parameter list included) and
// leaves it empty.
void ReleaseFilter(TLFilter& filter);
// Makes `to` a deep copy of the whole list `from`.
void CopyFilterList(FilterList& to, const FilterList& from);
// Frees every record of a list and empties it.
void FreeFilterList(FilterList& list);
// Frees a parameter list with its tables.
void FreeFilterParamList(std::vector<TLFilterParam>& params);

// True when the list holds one of the screen-wide effects that may not be
// moved from an overlay track onto the A/B roll: Video Screen Animation,
// Transparency Assignment, Gradient Wizard, Page Effect, Trailing Effect,
// Explosion Effect or Repetition 3D Effect.
bool HasSpecialFilter(const FilterList& list);

// True for filters that work with an alpha mask: ids 1500, 1510, 1550, 1552,
// 1560, 4001, 4020, 5000, 8002 and 8007, and a plug-in (9999) whose data block
// holds "QX" at bytes 364 and 365.
bool IsAlphaChannelFilter(const TLFilter& filter);
// True when any filter of the list works with an alpha mask.
bool HasAlphaChannelFilter(const FilterList& list);

}  // namespace sprocket

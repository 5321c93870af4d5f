#pragma once
// Filter lists and render segments as JSON: the body that timeline files
// and macro files share.
//
// A filter: { "id": n, "script": text, "params": [param...],
//   "bitmaps": [{ "name": text, "picture": base64 }], "plugInData": base64,
//   "textureMap": base64, "storedEffectData": base64, "effectData": [a, b, c] }
// A parameter: { "values": [up to 8 numbers], "enable": n, "name": text,
//   "secondName": text, "tables": { "extra": [10 numbers], "red": base64,
//   "green": base64, "blue": base64, "master": base64 } } (256 bytes a table).
// A render segment: { "start": ms, "end": ms, "rendered": n, "file": text,
//   "marked": n, "boardClip": n, "count": n, "pieces": [piece...] }.
// A piece of frames: { "id": n, "first": frame, "last": frame, "word4": n,
//   "gridOrigin": ms, "gridRate": n, "file": text, "file2": text }, its
//   frames first..last of "file" (last = first - 1: no frames).
// A piece describing the segment's rendered movie (no "file"): { "rate":
//   hundredths of a frame a second, "frames": n, "width": px, "height": px,
//   "gridOrigin": ms, "gridRate": thousandths, "file2": text }. Older files
//   wrote it as a piece of frames with an empty "file" (rate, frames, width
//   and height as "id", "first", "last" and "word4"); those are read too.
// Keys that hold their empty or zero value are left out when writing and
// take that value when missing.

#include <cstddef>
#include <cstdint>

#include <nlohmann/json.hpp>

#include "timeline/records/filter_list.h"
#include "timeline/tlefile/json_cursor.h"

namespace sprocket {

// Limits that reading enforces.
inline constexpr std::size_t kMaxJsonTextBytes = 65536;       // scripts, titles, notes
inline constexpr std::size_t kMaxJsonFileNameBytes = 259;     // file names of rendered pieces
inline constexpr std::size_t kMaxJsonBlockBytes = 64u << 20;  // one picture or data block
inline constexpr std::size_t kMaxJsonListItems = 100000;      // filters, parameters, segments, pieces

nlohmann::ordered_json FilterListToJson(const FilterList& filters);
// Reads a list written by FilterListToJson; throws JsonFormatError.
FilterList FilterListFromJson(const JsonCursor& list);

nlohmann::ordered_json RenderSegmentsToJson(const FilterList& segments);
// Reads render segments: each within [0, duration], start before end, in
// time order without overlaps. Throws JsonFormatError.
FilterList RenderSegmentsFromJson(const JsonCursor& list, std::int32_t duration);

}  // namespace sprocket

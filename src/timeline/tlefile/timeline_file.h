#pragma once
// Timeline files (.tle): the document's timeline as UTF-8 JSON.
//
//   { "format": "sprocket-timeline", "version": 1,
//     "rate": 2500, "duration": 60000,
//     "movieRange": [0, 5000], "previewRange": [0, 5000], "position": 0,
//     "view": { "zoom": 2, "scale": 3, "origin": 0, "clipView": 2, "scroll": 0 },
//     "title": ..., "recordIn": ..., "cropMargins": [left, right, top, bottom],
//     "masterVolume": [[level, position], ...], "masterBalance": [...],
//     "filters": [...], "segments": [...],
//     "tracks": [ { "type": "V", "number": 1, "viewStatus": 0, "clips": [
//         { "in": 0, "out": 3000, "file": "media/shot.avi", "mediaType": 101,
//           "playIn": 0, "playOut": 3000, "speed": 100, "reverse": false,
//           "name": "shot", "filters": [], "volume": [[10000, 0], [10000, 10000]],
//           "balance": [...] } ] },
//       { "type": "X", "number": 2, "clips": [
//         { "in": 2000, "out": 3000, "transition": 1, "filters": [] } ] } ],
//     "intermediateMovies": [...], "snapshotMarks": [...], "indexMarks": [...],
//     "clipMarks": [...] }
//
// Filters and render segments are written as filter_list_json.h says. Media
// paths inside the file's folder are written relative to it, and relative
// paths are read against it. Media headers are not stored: loading reads
// them from the media files (a missing or unreadable file is reported and
// its clips load without a header). Loading checks every value (types,
// ranges, lengths, order of tracks and clips) and refuses a bad file with a
// message naming the value, leaving the document as it was.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "timeline/document/document.h"

namespace sprocket {

inline constexpr std::string_view kTimelineFormatName = "sprocket-timeline";
inline constexpr int kTimelineFormatVersion = 1;
// Larger files are refused before they are parsed.
inline constexpr std::size_t kMaxTimelineFileBytes = 64u << 20;

// The file text of the document's timeline (its own list while a preview
// list is installed), media paths inside `folder` relative to it. False
// with `error` set when the document cannot be written (no timeline, a text
// that is not UTF-8).
bool FormatTimelineFile(const CTestDoc& doc, const std::filesystem::path& folder, std::string* text,
                        std::string* error = nullptr);

// Writes the timeline file: a temporary file in the target's folder, synced
// and renamed over the target. On failure the target is unchanged.
bool WriteTimelineFile(const CTestDoc& doc, const std::filesystem::path& path, std::string* error = nullptr);

// Reads a timeline file's text (relative media paths against `folder`) into
// the document: its timeline, ranges, view settings, switches and marks are
// replaced and its edit history cleared. False with `error` set, and the
// document untouched, for a bad file. `warnings` receives one sentence per
// media file that is missing or cannot be read.
bool ParseTimelineFile(std::string_view text, const std::filesystem::path& folder, CTestDoc& doc,
                       std::string* error = nullptr, std::vector<std::string>* warnings = nullptr);

// Reads the file at `path` as ParseTimelineFile does; the document then
// takes the path as its own, the file name as its title, and is unmodified.
bool ReadTimelineFile(const std::filesystem::path& path, CTestDoc& doc, std::string* error = nullptr,
                      std::vector<std::string>* warnings = nullptr);

// Writes the document to `path` and, on success, makes it the document's
// path and title and clears the modified flag.
bool SaveTimelineDocument(CTestDoc& doc, const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace sprocket

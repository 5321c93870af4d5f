#pragma once
// Reading the media header of a clip's file into the clip's header copy.
//
// What a file gives depends on its media type (media_type.h):
//   AVI (101)            the 444-byte header copy of its streams;
//   FLC, FLI (102, 103)  frame count, frame time and size from the file's
//                        128-byte header;
//   WAV (301)            the canonical 44-byte header, built from the file's
//                        "fmt " and "data" chunks (wherever they lie);
//   image sequence (501) frame count of the numbered images that follow the
//                        first one (a picture) without a gap;
//   stills (201..215)    no header, nor for other files of type 501.
// Sounds of other kinds (302, 303) have no reader.

#include <cstdint>
#include <optional>
#include <string>

#include "timeline/records/clip_media_header.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// The most images an image sequence is counted to.
inline constexpr std::int32_t kMaxSequenceImages = 1000000;

// Reads the header of the file at `path` as media of `mediaType` into
// `header` (set to nothing for a still). For an image sequence,
// `sequenceFieldMode` (0..4) says how many images make a frame (two from
// mode 3 on) and is kept in the header. False with `error` set, and `header`
// untouched, when the file is missing or is not what its type says.
bool ReadMediaHeader(const std::string& path, std::int32_t mediaType, std::optional<ClipMediaHeader>* header,
                     std::string* error, std::int32_t sequenceFieldMode = 0);

// Reads the header of the clip's media file (directory + name + extension)
// into the clip's header copy. An AVI clip then takes its field order from
// the "AVI Field Info" settings; an image-sequence clip keeps its field mode.
// Returns 1, or 0 with `error` set and the clip unchanged.
int ReadClipHeader(TLEvent* clip, std::string* error = nullptr);

}  // namespace sprocket

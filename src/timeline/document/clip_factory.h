#pragma once
// Making clips from media files.

#include <cstdint>
#include <string>
#include <string_view>

#include "timeline/records/clip_media_header.h"
#include "timeline/records/tl_event.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket {

// A media path cut into the three fields a clip keeps.
struct MediaPathParts {
  std::string directory;  // with its trailing '/', or empty
  std::string name;
  std::string extension;  // from the first dot of the file name, dot included
};

// Cuts `path` into directory, name and extension. False when the path ends
// in '/' (no file name) or a part is longer than a clip's field holds.
bool SplitMediaPath(std::string_view path, MediaPathParts* parts);

// The longest start of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 character (names kept in fixed-width fields).
std::string TruncateUtf8(std::string_view text, std::size_t maxBytes);

// True for the media type codes a clip may carry: moving pictures, stills,
// sounds, image sequences and other files (501), and 0 for clips without a
// file (transitions, intermediate movies).
bool IsKnownMediaType(std::int32_t code);

// What a clip copied from another brings along instead of reading its file.
struct ClipCopyParts {
  const ClipMediaHeader* header = nullptr;  // null: the copied clip has no header (a still)
  std::int32_t outTime = 0;                 // ms on the timeline
  const VolumeEnvelope* volume = nullptr;   // null: a flat envelope
  const VolumeEnvelope* balance = nullptr;  // null: a flat envelope
};

// Creates a clip of the file `directory` + `fileName` + `extension` on track
// `trackNumber` (whose type must be `trackType`) at `time` ms: its 'f' and
// 'F' records are linked into both lists of the timeline `head`. The clip
// plays the media from `playIn` to `playOut` ms at `speed` percent; its name
// is the first 19 characters of `clipName`.
//
// Without `copy` the file's header is read (ReadClipHeader) and the out time
// is time + (playOut - playIn) x 100 / speed, snapped to a frame at the
// timeline's rate; volume and balance start flat at 100 % and the centre.
// With `copy` its header copy, out time and envelopes are taken instead.
// `flag` is kept for the callers' argument list; they pass 0.
//
// Returns 1 with the new clip-in record in `*newClip`, or 0 with `error` set
// and the timeline unchanged when the track is missing or of another type,
// a time, length or speed is out of range, a name part is too long or the
// header cannot be read.
int CreateClipFromFile(TLEvent* head, std::int32_t time, char trackType, std::int32_t trackNumber, std::int32_t playIn,
                       std::int32_t playOut, std::int32_t mediaType, std::int32_t speed, int flag,
                       std::string_view clipName, std::string_view fileName, std::string_view extension,
                       std::string_view directory, const ClipCopyParts* copy, TLEvent** newClip,
                       std::string* error = nullptr);

}  // namespace sprocket

#pragma once
// The 444-byte header copy of a movie clip, read from its file.

#include <string>

#include "platform/media/avi_media_header.h"

namespace sprocket {

// Fills `header` for the file at `path`. AVI files give their stream headers
// exactly as stored; other movies FFmpeg opens (FLIC animations, for one)
// get headers made from what their readers deliver. False with `error` set
// when the file cannot be read or holds neither video nor sound.
bool ReadMovieHeader(const std::string& path, AviMediaHeader* header, std::string* error);

}  // namespace sprocket

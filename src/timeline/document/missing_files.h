#pragma once
// Finding clips whose media files are missing and putting replacements in
// their place.

#include <optional>
#include <set>
#include <string>

#include "timeline/document/document.h"

namespace sprocket {

// What the editor asks the user when a clip's file is missing. The editor
// shows a file dialog; tests answer from a script.
class MissingFileResolver {
public:
  virtual ~MissingFileResolver() = default;
  // The path of a file to use in place of `missingPath` (the media of
  // `clip`, and of any other clip with the same path), or nothing when the
  // user declines.
  virtual std::optional<std::string> AskReplacement(const std::string& missingPath, const TLEvent& clip) = 0;
};

// Finds the clips of the document's timeline whose media files are missing
// and asks `resolver` once per missing path for a replacement. A replacement
// must exist, suit the clip's track (sounds and AVIs on audio tracks,
// moving pictures, stills and image sequences on video tracks) and have a
// readable header; otherwise a message says why and the clips keep their
// path. Every clip of a replaced path takes the new file with its media type
// and header; its pictures and waveform file, which showed the old media,
// are dropped, and the clip index marks of the old path move to the new
// one. The document is marked modified when anything was replaced.
//
// With `declinedPaths`, paths in it are not asked about again, and paths the
// user declines are added to it, so that a repaint never asks twice.
// Returns the number of clips that got a replacement.
int CheckMissingClipFiles(CTestDoc& doc, MissingFileResolver& resolver, std::set<std::string>* declinedPaths = nullptr);

}  // namespace sprocket

#pragma once
// The audio-scrubbing blocks a track's node owns (inside the render folder
// only): zero-filled bytes handed to the scrubbing library, cleaned up by
// it when the node lets them go.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/sources/track_list.h"

namespace sprocket {

struct TrackList::ScrubBlock {
  ScrubBlock(std::size_t bytes, AudioScrubLibrary* owner, bool waveBlock)
      : data(bytes, 0), library(owner), wave(waveBlock) {}
  ScrubBlock(const ScrubBlock&) = delete;
  ScrubBlock& operator=(const ScrubBlock&) = delete;
  ~ScrubBlock() {
    if (library == nullptr) return;
    if (wave) {
      library->CleanupWaveScrubbing(data);
    } else {
      library->CleanupScrubbing(data);
    }
  }

  std::vector<std::uint8_t> data;
  AudioScrubLibrary* library;
  bool wave;
};

}  // namespace sprocket

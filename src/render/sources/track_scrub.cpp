// Scrubbing: the clip slices under the time the user scrubs to are assigned
// to the nodes of their tracks, with the blocks of audio scrubbing.

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/mul_div.h"
#include "render/sources/scrub_block.h"
#include "render/sources/track_list.h"
#include "timeline/basics/media_type.h"

namespace sprocket {

namespace {

// The slice's place in its clip's media, or nothing when the kind of media
// gives none.
std::optional<float> SlicePositionRatio(const ClipSlice& slice) {
  if (!slice.header) return std::nullopt;
  double length = 0.0;
  if (slice.mediaType == kMediaAvi && slice.header->Avi() != nullptr) {
    length = slice.header->Avi()->file.length;
  } else if (slice.mediaType == kMediaWav && slice.header->Wav() != nullptr) {
    const WavClipHeader& wav = *slice.header->Wav();
    if (wav.avgBytesPerSec == 0) return 0.0f;
    const auto durationMs = static_cast<std::int32_t>(static_cast<double>(wav.dataSize) / wav.avgBytesPerSec * 1000.0);
    length = MulDiv(durationMs, static_cast<std::int32_t>(slice.rate + 0.5f), 1000);
  } else {
    return std::nullopt;
  }
  // A clip of no length stands at its start.
  if (length <= 0.0) return 0.0f;
  return static_cast<float>(std::clamp(slice.sourcePosition / length, 0.0, 100.0));
}

}  // namespace

std::span<const std::uint8_t> TrackList::AviScrubBlock() const {
  return aviScrub_ ? std::span<const std::uint8_t>(aviScrub_->data) : std::span<const std::uint8_t>();
}

std::span<const std::uint8_t> TrackList::WaveScrubBlock() const {
  return waveScrub_ ? std::span<const std::uint8_t>(waveScrub_->data) : std::span<const std::uint8_t>();
}

void TrackList::ClearScrub() {
  aviScrub_.reset();
  waveScrub_.reset();
}

void TrackList::UpdateTrackList(const std::vector<ClipSlice>& slices, AudioScrubLibrary* scrub) {
  for (const ClipSlice& slice : slices) {
    TrackList* node = FindNode(slice.trackNumber);
    if (node == nullptr) continue;
    if (slice.trackType != kTrackVideo && slice.trackType != kTrackAudio) {
      node->assigned_ = true;
      continue;
    }
    if (const std::optional<float> ratio = SlicePositionRatio(slice)) node->positionRatio_ = *ratio;
    node->clipStart_ = slice.clipStart;
    node->clipEnd_ = slice.clipEnd;
    if (!slice.path.empty() && slice.path == node->path_) {
      node->assigned_ = true;
      continue;
    }
    node->path_ = slice.path;
    node->ClearScrub();
    if (slice.mediaType == kMediaAvi && slice.header && slice.header->HasAudio()) {
      node->kind_ = SourceKind::kAvi;
      node->aviScrub_ = std::make_unique<ScrubBlock>(kAviScrubBlockBytes, scrub, false);
      if (scrub != nullptr) scrub->ReadAviFile(slice.path, node->aviScrub_->data);
    } else if (slice.mediaType == kMediaWav) {
      node->kind_ = SourceKind::kOther;
      node->waveScrub_ = std::make_unique<ScrubBlock>(kWaveScrubBlockBytes, scrub, true);
      if (scrub != nullptr) scrub->ReadWaveFile(slice.path, node->waveScrub_->data);
    }
    node->assigned_ = true;
  }
  for (TrackList* node = this; node != nullptr; node = node->next_.get()) {
    if (!node->assigned_) {
      node->path_.clear();
      node->ClearScrub();
    }
    node->assigned_ = false;
  }
}

}  // namespace sprocket

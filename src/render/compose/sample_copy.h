#pragma once
// The compressed sample copy: AVI output whose frame is an unchanged frame
// of an AVI source takes the source's compressed sample as it is, instead of
// decoding and compressing it again.
//
// Copied samples must form an unbroken chain from a key frame on: a delta
// sample that is skipped or repeated corrupts every picture up to the next
// key frame. So the copy starts only at a key frame of the source, and,
// unless the exact-frame switch of the application is set, it serves the
// sample after the last one copied while the requests move forward one frame
// at a time. The state lives in the render state (render_state.h).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "render/picture/dib_picture.h"

namespace sprocket {

class TrackList;

// Pass-through kinds of a render entry.
inline constexpr std::int32_t kPassThroughNone = 0;
inline constexpr std::int32_t kPassThroughCopy = 2;
inline constexpr std::int32_t kPassThroughExact = 3;

// One block holding the video stream's format (its "strf" bytes, a bitmap
// header first, whose biSizeImage is set to the sample's size) followed by
// the compressed sample. Empty when no sample is to be copied: the frame is
// then rendered and compressed as usual.
//
// The request is `frame` of the AVI file `name`; `node` is the track's
// source whose open stream is used (may be null: the file is opened for
// this call). When the stream cannot be opened, "Fail to open video stream
// of source avi file!" is shown (once per job and file).
DibPicture ReadRawVideoSample(std::int32_t frame, const std::string& name, TrackList* node,
                              std::int32_t passThroughKind);

// The same for the disk-buffered renderer: while the requests continue the
// same file the copy always moves on one sample, and a frame past the end of
// the stream ends the copy instead of repeating the last sample.
DibPicture ReadRawVideoSampleNext(std::int32_t frame, const std::string& name, TrackList* node);

// The parts of a block made above: the format bytes and the sample bytes.
// Both empty for a block that is not such a block.
struct RawSampleParts {
  std::span<const std::uint8_t> format;
  std::span<const std::uint8_t> sample;
};
RawSampleParts SplitRawSample(const DibPicture& block);

}  // namespace sprocket

#pragma once
// Frames of a clip for the view's pictures (film strips, head frames, the
// thumbnails of movie clips and the tip window's picture), chosen as the
// frame compositor chooses them, so the view shows the frame a render
// would take. Movies are decoded at about the size shown (codecs that can
// decode reduced pictures do), not at full size and then scaled down.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/media/video_frame_reader.h"
#include "render/picture/dib_picture.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

class ClipFrameSource {
public:
  virtual ~ClipFrameSource() = default;
  // The clip's picture at timeline time `ms`, `width` x `height`, 24 bits;
  // empty when its media is missing or cannot be read.
  virtual DibPicture FrameAt(const TLEvent& clip, std::int32_t rate, std::int32_t ms, int width, int height) = 0;
};

// Movie readers opened for pictures of one size, the most recently used
// kept open for the next pictures of their files.
class SmallPictureReaders {
public:
  // An open reader of the file for pictures of `size`; null when the file
  // cannot be opened.
  VideoFrameReader* For(const std::string& path, DecodeSize size);

private:
  struct OpenReader {
    std::string path;
    DecodeSize size;
    std::unique_ptr<VideoFrameReader> reader;
  };
  std::deque<OpenReader> open_;  // the most recently used first
};

// Frames through the compositor's choice of source frame (the clip alone
// on a timeline of its own, without its effects and uncropped): movie
// frames from a small-picture reader, other sources through the
// compositor's source pictures (GetDIB). Files of no kind of their own
// (media type 501) are read by a movie reader.
class CompositorFrameSource final : public ClipFrameSource {
public:
  DibPicture FrameAt(const TLEvent& clip, std::int32_t rate, std::int32_t ms, int width, int height) override;

private:
  DibPicture OtherFileFrame(const TLEvent& clip, std::int32_t ms, int width, int height);
  // Frame `frame` of a movie file at width x height; empty when it cannot
  // be read this way.
  DibPicture SmallMovieFrame(const std::string& path, std::int64_t frame, int width, int height);

  SmallPictureReaders readers_;
};

}  // namespace sprocket

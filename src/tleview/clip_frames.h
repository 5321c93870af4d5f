#pragma once
// Frames of a clip for the view's pictures (film strips, head frames and
// the thumbnails of movie clips), decoded by the media sources the frame
// compositor reads, so the view shows what a render would take.

#include <cstdint>
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

// Frames through the compositor's source pictures (GetDIB): the clip alone
// on a timeline of its own, without its effects and uncropped. Files of no
// kind of their own (media type 501) are read by the movie frame reader,
// which stays open on the last such file for the next frames of its strip.
class CompositorFrameSource final : public ClipFrameSource {
public:
  DibPicture FrameAt(const TLEvent& clip, std::int32_t rate, std::int32_t ms, int width, int height) override;

private:
  DibPicture OtherFileFrame(const TLEvent& clip, std::int32_t ms, int width, int height);

  std::string openPath_;
  VideoFrameReader reader_;
};

}  // namespace sprocket

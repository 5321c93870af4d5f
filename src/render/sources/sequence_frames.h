#pragma once
// Frames of image-sequence clips: numbered still files, one image per frame,
// or, for interlaced sequences (field mode 3 or more), two field images per
// frame that are merged into one picture.

#include <cstdint>
#include <string>

#include "render/picture/dib_picture.h"
#include "timeline/records/clip_media_header.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// One image of a sequence as a new 24-bit picture (rows padded to 4 bytes,
// biClrUsed 0): the file `offset` places after `firstFile`
// (MakeNumberedFileName). Empty when that file is missing or cannot be read.
DibPicture LoadSequenceImage(const std::string& firstFile, std::int32_t offset);

// Frame `frameIndex` of a sequence whose first file is `firstFile`:
// - field mode below 3: image min(frame, frames - 1);
// - field mode 3 or more: images 2 x frame and the next one, limited to
//   2 x frames - 2 and 2 x frames - 1, both stretched to twice their
//   height; mode 3 takes the even lines from the second image and the odd
//   lines from the first, mode 4 the opposite dominance.
// Empty when the first file is named but missing or any image fails.
DibPicture LoadSequenceFrameFromFile(const std::string& firstFile, const SequenceClipHeader& header,
                                     std::int32_t frameIndex);

// Frame `frameIndex` of an image-sequence clip (its media path is the first
// file; its header gives the field mode and the frame count). Empty on every
// failure, without a message. A clip without a sequence header gives its
// media file as one image.
DibPicture LoadSequenceFrame(const TLEvent& clip, std::int32_t frameIndex);

// The picture of a clip frame for the still road of rendering: with a
// sequence header the sequence frame; otherwise the file itself as a still.
// With `alpha` given and a 32-bit TGA image, the alpha picture too.
DibPicture ReadClipImageFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                              DibPicture* alpha);

}  // namespace sprocket

#pragma once
// The pictures of single fields of interlaced clips.
//
// A field picture keeps every second line of a frame (the even lines 0, 2,
// 4 ... or the odd lines 1, 3, 5 ..., counted in memory order from the
// bottom row) and is stretched back to the frame's full height through the
// image-file library. Which field a clip gives depends on its field order
// (the first word of its media header: 0 progressive, 1 to 4 interlaced
// orders) and on the field mode and field flag of the output.

#include <cstdint>
#include <string>

#include "render/picture/dib_picture.h"
#include "timeline/records/clip_media_header.h"

namespace sprocket {

// The field picture of a picture (8 bits or fewer are made 24-bit first):
// its even lines (`evenLines`) or odd lines, stretched to the picture's own
// width and height. Empty on failure.
DibPicture FieldPicture(const std::uint8_t* picture, bool evenLines);

// The field step of a video picture: nothing when `skip` is set or the
// field mode is neither 1 nor 2; mode 1 keeps the even lines when the flag
// is set, else the odd lines; mode 2 the odd lines when the flag is set,
// else the even lines. The field picture replaces `picture`; on failure the
// picture stays whole and false is answered.
bool ApplyFieldMode(DibPicture& picture, std::int32_t fieldMode, std::int32_t fieldFlag, bool skip);
// Whether ApplyFieldMode changes pictures of that field mode.
bool FieldModeChangesPicture(std::int32_t fieldMode, bool skip);

// The field order of a media header copy (0 without one).
std::int32_t HeaderFieldOrder(const ClipMediaHeader* header);

// Field pictures by the clip's field order:
// - by order: orders 2 and 4 the odd lines, every other order the even ones;
// - by flag: flag clear, orders 2 and 4 even lines, else odd; flag set,
//   orders 2 and 4 odd lines, else even;
// - by mode: order 0 the odd lines for output field mode 3, else the even
//   ones; other orders as by flag.
DibPicture StretchFieldByOrder(const std::uint8_t* picture, const ClipMediaHeader* header);
DibPicture StretchFieldByFlag(const std::uint8_t* picture, const ClipMediaHeader* header, std::int32_t fieldFlag);
DibPicture StretchFieldByMode(const std::uint8_t* picture, const ClipMediaHeader* header, std::int32_t fieldFlag,
                              std::int32_t outputFieldMode);

// A clip's frame (a movie frame, or an image-sequence frame when the header
// is a sequence header) with its field chosen for the output:
// - output field mode 0: order 0 the frame as read; orders 1 and 3 odd
//   lines; else even lines;
// - output modes 1 and 2: order 0 the frame as read; flag clear, orders 1
//   and 3 even lines, else odd; flag set, orders 1 and 3 odd, else even;
// - other output modes: order 0 odd lines for mode 3, else even lines;
//   other orders as for modes 1 and 2.
// When the clip gives no picture, "Not enough memory!" is shown (once per
// job and file) and the result is empty.
DibPicture ReadClipFieldFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                              std::int32_t outputFieldMode, std::int32_t fieldFlag);

// A still or image-sequence frame with its alpha picture (32-bit TGA
// images; `alpha` may be null, and is left empty without alpha): output
// field mode 0 stretches by order, modes 1 and 2 by flag (both unless the
// order is 0), other modes by mode; the alpha picture gets the same
// treatment. Failure as ReadClipFieldFrame.
DibPicture ReadSequenceFieldFrame(const std::string& name, std::int32_t frame, const ClipMediaHeader* header,
                                  std::int32_t outputFieldMode, std::int32_t fieldFlag, DibPicture* alpha);

}  // namespace sprocket

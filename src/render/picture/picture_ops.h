#pragma once
// The small operations on pictures and image handles that rendering is
// built from: row sizes and headers, crop and pad, the 32-to-24-bit copy,
// the double-size reduction, the exchange between pictures and handles of
// the image-file library with resizing, stills with an alpha channel, and
// the effect position of a render entry.
//
// Pictures are passed by the address of their locked block (what
// GlobalLock gave; DibPicture::data()); each is read with its own stride
// (biSizeImage / height) and checked against its block, so a header that
// lies never leads outside the block. Pictures made here have rows padded
// to 4 bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "imagelib/dib_geometry.h"
#include "libs/effectcatalog/effect_frame_params.h"
#include "platform/imagefile/image_file_library.h"
#include "render/picture/dib_picture.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Crop margins in pixels: columns off the left and the right, rows off the
// bottom (the first rows in memory) and the top.
struct CropBox {
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  std::int32_t top = 0;

  bool Any() const { return left != 0 || right != 0 || bottom != 0 || top != 0; }
  bool operator==(const CropBox&) const = default;
};

// Bit 0 of the render option word: no field step for interlaced video.
inline constexpr std::int32_t kRenderOptionNoFieldStep = 1;
// Bit 1 of the render option word: no cropping.
inline constexpr std::int32_t kRenderOptionNoCrop = 2;

// The timeline's crop margins from its head, or none when `options` has
// kRenderOptionNoCrop set or there is no head.
CropBox ReadCropMargins(const TLEvent* head, std::int32_t options = 0);

// Copies the source header (its biSize bytes, at least 40) to the
// destination with the new width and height and biSizeImage = DibRowBytes x
// height; biClrUsed 0 for 24 bits. -1 when a pointer is null or the depth
// has no row size, else 0.
int InitDibHeader(std::int32_t width, std::int32_t height, const void* sourceHeader, void* destination);

// A new 24-bit picture of (width - left - right) x (height - bottom - top)
// cut out of a 24-bit picture; empty without memory, for a picture that is
// not 24-bit or when the margins leave nothing.
DibPicture CropDib24(const std::uint8_t* picture, const CropBox& margins);
// A new 24-bit picture of (width + left + right) x (height + bottom + top)
// with the picture inside a black border; empty without memory.
DibPicture PadDib24(const std::uint8_t* picture, const CropBox& margins);
// A new 24-bit picture with the blue, green and red bytes of a 32-bit one.
DibPicture Dib32To24(const std::uint8_t* picture32);
// A new 24-bit picture of width x height made from a 24-bit picture by the
// filtered rescaler with the Mitchell filter (an exact 2:1 reduction takes
// its row-halving path).
DibPicture ScaleDib24(const std::uint8_t* picture, std::int32_t width, std::int32_t height);

// A copy of the image's picture (get DIB) in a new block, biClrUsed 0 for
// 24 bits; empty for an unknown handle or without memory.
DibPicture CopyImageDib(ImageHandle image);
// A picture of 8 bits or fewer made 24-bit through the image-file library
// (DIB to handle, to true colour, get DIB); other pictures come back as they
// are. Empty when the conversion fails.
DibPicture PromoteTo24(DibPicture picture);

// Replaces the handle by a handle of its picture cropped by the margins
// (promoted to 24 bits first). Answers 1; on failure the handle is kept.
int CropImageHandle(ImageHandle& image, const CropBox& margins);
// A new handle of the picture, promoted and cropped when any margin is
// nonzero; the picture is consumed. kNoImage for no picture.
ImageHandle CropDibToImage(DibPicture picture, const CropBox& margins);
// The picture scaled to width x height with the Mitchell filter: the same
// bytes that a handle of it resized in the image-file library and copied out
// (ImageToDibResized) would give, without the library's copies. Pictures
// that the library would first convert (not 24-bit bottom-up, or of a size
// it refuses) take the library's road. Empty on failure.
DibPicture ResizedDib24(DibPicture picture, std::int32_t width, std::int32_t height);
// Resizes the image to width x height in the library and copies its picture
// (biClrUsed 0) into `out`; frees the handle (and sets it to kNoImage) when
// `freeHandle` is set. 1, or 0 on failure.
int ImageToDibResized(ImageHandle& image, DibPicture* out, std::int32_t width, std::int32_t height, bool freeHandle);
// Copies the image's picture at its own size, frees the handle when asked,
// and reduces the copy to width x height with ScaleDib24. 1, or 0.
int ImageToDibScaled(ImageHandle& image, DibPicture* out, std::int32_t width, std::int32_t height, bool freeHandle);

// Opens a still. With `wantMask` set and a 32-bit TGA file, the colour
// picture and the alpha picture become two handles (both freed and false
// when either cannot be had); otherwise the file is opened by the library
// into `picture` and `alpha` is kNoImage. True when a picture handle was
// opened.
bool OpenImageWithMask(const std::string& path, ImageHandle* picture, ImageHandle* alpha, bool wantMask);

// Fills words 4, 5, 6 and 14 of the frame parameters for one picture group
// of a render entry (the main group of a 'V' entry or a side of an 'X'
// entry): its field selector, the field flag, the field mode (the group's
// media header's when it has one, else `fieldMode` when 1 or more, else 0)
// and the frame's position in its clip, 0.0 .. 1.0.
void FillEffectPosition(EffectFrameParams& params, const RenderSide& group, std::int32_t fieldFlag,
                        std::int32_t fieldMode);

}  // namespace sprocket

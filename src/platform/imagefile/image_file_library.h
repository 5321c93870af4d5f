#pragma once
// The image-file library: still pictures held in memory behind integer image
// handles. Files of the still formats are opened into handles and saved from
// them; packed DIBs go in and out; pictures are converted to true colour,
// resized, reduced to 256 colours, drawn and turned into bitmaps.
//
// The calls, with the ordinal each is known by:
//    5 Open              4 Free             6 GetDib          13 DibToHandle
//   47 ToTrueColor      25 Resize          19 MakeBitmap      64 ReduceColors
//   86 GetPalette        2 Draw            40 SetJpegQuality  11 Save
//
// A picture is a packed DIB owned by the library: 24-bit, or 8-bit with a
// 256-entry colour table (image_picture.h). Handles are 1 or more and never
// reused while the library lives; negative values mean "no image".

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>

#include "imagelib/formats/color_palette.h"
#include "platform/global_memory.h"
#include "platform/imagefile/image_draw_target.h"
#include "platform/imagefile/image_picture.h"
#include "platform/imagefile/magick_codec.h"

namespace sprocket {

using ImageHandle = std::int32_t;
inline constexpr ImageHandle kNoImage = -1;

enum ImageFileOrdinal : int {
  kImageDraw = 2,
  kImageFree = 4,
  kImageOpen = 5,
  kImageGetDib = 6,
  kImageSave = 11,
  kImageDibToHandle = 13,
  kImageMakeBitmap = 19,
  kImageResize = 25,
  kImageSetJpegQuality = 40,
  kImageToTrueColor = 47,
  kImageReduceColors = 64,
  kImageGetPalette = 86,
};

// Results of the calls that report one: 0 done, negative failed.
enum ImageFileResult : int {
  kImageDone = 0,
  kImageFailed = -1,         // a file could not be read, decoded, encoded or written
  kImageInvalidHandle = -2,  // no image has that handle
  kImageBadArgument = -3,    // a size, count or format outside what the call accepts
  kImageNoMemory = -4,
};

inline constexpr int kDefaultJpegQuality = 75;

class ImageFileLibrary {
public:
  ImageFileLibrary();
  ImageFileLibrary(const ImageFileLibrary&) = delete;
  ImageFileLibrary& operator=(const ImageFileLibrary&) = delete;

  // 5: opens the first picture of a still-image file; the format is chosen by
  // the extension (BMP, DIB, GIF, JPG, PCD, PCT, PCX, TGA, TIF, WPG) and the
  // content must match it. kNoImage when the file cannot be opened.
  ImageHandle Open(const std::filesystem::path& path);

  // 4: frees the image; kImageInvalidHandle for an unknown handle.
  ImageFileResult Free(ImageHandle image);

  // 6: the picture as a packed DIB in a block owned by the library, valid
  // until the image is changed or freed; the caller locks, copies and
  // unlocks it. Any of the out pointers may be null. Null for an unknown
  // handle (the outs are then set to 0).
  HGLOBAL GetDib(ImageHandle image, int* width, int* height, int* bitsPerPixel);

  // 13: a new image holding a copy of a packed DIB of `bytes` bytes (see
  // ImportPackedDib for what is accepted); the caller keeps the DIB.
  // kNoImage when it cannot be read.
  ImageHandle DibToHandle(const void* packedDib, std::size_t bytes);
  // The same for a DIB in a block (the whole block is the DIB's extent).
  ImageHandle DibToHandle(HGLOBAL packedDib);

  // 47: makes an 8-bit image 24-bit in place; a 24-bit image stays as it is.
  ImageFileResult ToTrueColor(ImageHandle image);

  // 25: scales the image in place to width x height (Mitchell filter); the
  // result is 24-bit. The image is unchanged on failure.
  ImageFileResult Resize(ImageHandle image, int width, int height);

  // 19: a bitmap of the image at width x height: a new 24-bit packed DIB
  // owned by the caller. The image itself is unchanged. Empty on failure.
  GlobalBlock MakeBitmap(ImageHandle image, int width, int height);

  // 64: reduces the image in place to an 8-bit image of at most `colors`
  // colours (2..256, and no more than 2^bitsPerPixel; bitsPerPixel 1..8).
  // A nonzero `dither` diffuses the error of the colour choice.
  ImageFileResult ReduceColors(ImageHandle image, int bitsPerPixel, int dither, int colors);

  // 86: the colours of an 8-bit image; empty for a 24-bit image or an
  // unknown handle. The palette belongs to the caller.
  ColorPalette GetPalette(ImageHandle image);

  // 2: draws the image stretched into the rectangle (x, y, width, height) of
  // the target.
  ImageFileResult Draw(ImageHandle image, ImageDrawTarget& target, int x, int y, int width, int height);

  // 40: the JPEG quality (clamped to 1..100) of the following JPEG saves;
  // returns the quality now in force.
  int SetJpegQuality(int quality);

  // 11: saves the image in the format named by the path's extension (BMP,
  // GIF, PCX, TGA, TIF, JPG, PCT). Options: BMP 1 uncompressed, 12 run-length
  // encoded (8-bit images); TIF 0 uncompressed, 9 LZW; -1 the format's
  // default. The file is written whole or not at all: every write is
  // checked and a failure leaves no partial file.
  ImageFileResult Save(ImageHandle image, const std::filesystem::path& path, int option);

  // Number of live images (for leak checks).
  std::size_t ImageCount() const;
  // What went wrong in the last failed call, for logs.
  std::string LastError() const;

private:
  // One image: its picture and the picture's layout, kept apart from the
  // block's header, which callers of GetDib can reach.
  struct Entry {
    GlobalBlock picture;
    PictureLayout layout;
  };

  ImageHandle Insert(GlobalBlock picture);
  // The image with its header rewritten from the layout; null when unknown.
  Entry* Find(ImageHandle image);
  bool Replace(Entry& entry, GlobalBlock picture);
  ImageFileResult Fail(ImageFileResult result, std::string text);

  mutable std::mutex mutex_;
  std::map<ImageHandle, Entry> images_;
  ImageHandle nextHandle_ = 1;
  int jpegQuality_ = kDefaultJpegQuality;
  std::string lastError_;
};

// The process's one image-file library.
ImageFileLibrary& ImageFiles();

}  // namespace sprocket

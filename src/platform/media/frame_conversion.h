#pragma once
// Conversions between FFmpeg's pictures and packed DIBs. Used inside the
// media layer.
//
// Decoded pictures become 24-bit packed DIBs: bottom-up rows of blue, green,
// red bytes padded to 4 bytes. YUV pictures use the colour matrix their
// stream names (BT.601 for untagged pictures below 720 rows, BT.709 above)
// and their own range (full for JPEG-style pictures, limited otherwise).
// Pictures to encode go the other way: a packed DIB of 24 or 8 bits becomes
// the encoder's pixel format with the BT.601 matrix.

#include <cstdint>
#include <string>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"
#include "platform/media/ffmpeg_handles.h"
#include "platform/media/padded_pixels.h"
#include "platform/media/vector_bgr_to_yuv.h"
#include "platform/media/vector_colour.h"

namespace sprocket::media_detail {

// The road of a colour conversion: vector code where it takes the picture
// (byte for byte the exact road's), else the scaler's exact generic road; or
// the exact road always (for comparisons).
enum class ColourRoad { kVector, kExact };

class DecodedFrameConverter {
public:
  explicit DecodedFrameConverter(ColourRoad road = ColourRoad::kVector) : road_(road) {}
  // A new movable block with the picture as a 24-bit packed DIB (rows'
  // padding zeroed); empty with `error` set when the picture cannot be
  // converted.
  GlobalBlock ToDib24(const AVFrame* frame, std::string* error);

private:
  bool PrepareExactRoad(int width, int height, AVPixelFormat format, int matrix, bool fullRange);

  ColourRoad road_;
  VectorYuvToBgr vector_;
  ScaleContextPtr context_;
  int width_ = 0;
  int height_ = 0;
  int format_ = -1;
  int colorspace_ = -1;
  int fullRange_ = -1;
  int conversions_ = 0;
  bool sliced_ = false;  // the context cuts pictures into slices on threads
};

class EncoderFrameConverter {
public:
  explicit EncoderFrameConverter(ColourRoad road = ColourRoad::kVector) : road_(road) {}
  // Prepares conversions of `width` x `height` DIBs into `format` (the
  // exact road's scaler is made again for them).
  void Configure(int width, int height, AVPixelFormat format) {
    width_ = width;
    height_ = height;
    format_ = format;
    context_.reset();
    decodedContext_.reset();
  }
  // Fills `target` (allocated here) from a packed DIB's pixels, copied with
  // FFmpeg's padding, with `stride` bytes a row and, for 8 bits, a palette of
  // 256 four-byte entries. False with `error` set on failure.
  bool FromDib(const DibInfoHeader& header, const std::uint8_t* palette, const PaddedPixels& pixels,
               std::int32_t stride, AVFrame* target, std::string* error);
  // Whether a decoded movie picture can be scaled straight into the YUV
  // format `target` (ScalesStraightToYuv and CompressesYuv).
  static bool TakesDecoded(const AVFrame* frame, AVPixelFormat target);
  // Whether a decoded picture keeps its colours when scaled straight into a
  // YUV format: a YUV picture without alpha in the BT.601 matrix (the
  // scaler changes sizes and ranges but not matrices).
  static bool ScalesStraightToYuv(const AVFrame* frame);
  // Whether `target` is a YUV format (into which decoded pictures may go).
  static bool CompressesYuv(AVPixelFormat target);
  // Fills `target` (allocated here) with a decoded picture that TakesDecoded
  // accepts, scaled (bicubic) to the movie's size and changed to the
  // compressor's format and range. False with `error` set on failure.
  bool FromDecoded(const AVFrame* frame, AVFrame* target, std::string* error);

private:
  struct DecodedKind {
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool fullRange = false;
    bool operator==(const DecodedKind&) const = default;
  };

  bool CopyPaletteDib(const std::uint8_t* palette, const std::uint8_t* pixels, std::int32_t stride, AVFrame* target,
                      std::string* error);
  bool PrepareExactRoad(int bits, std::string* error);

  ColourRoad road_;
  VectorBgrToYuv vector_;
  ScaleContextPtr context_;
  int width_ = 0;
  int height_ = 0;
  AVPixelFormat format_ = AV_PIX_FMT_NONE;
  int sourceBits_ = 0;
  int conversions_ = 0;
  bool sliced_ = false;             // the context cuts pictures into slices on threads
  ScaleContextPtr decodedContext_;  // for decoded pictures of decodedKind_
  DecodedKind decodedKind_;
};

// Writes a DIB's 256-entry palette as FFmpeg's palette (1024 bytes).
void CopyDibPalette(const std::uint8_t* dibPalette, std::uint8_t* argb);

}  // namespace sprocket::media_detail

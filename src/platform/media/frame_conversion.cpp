#include "platform/media/frame_conversion.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/run_ahead.h"
#include "platform/worker_pool.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace sprocket::media_detail {

namespace {

// Decoding interpolates chroma at full width into RGB; encoding reads the
// RGB input at full chroma width.
constexpr int kDecodeFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;
constexpr int kEncodeFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP;
// Decoded pictures scaled straight into the compressor's format.
constexpr int kDecodedScaleFlags = SWS_BICUBIC;

struct PictureSize {
  int width = 0;
  int height = 0;
};

// The YUV format without the "full range" meaning of the JPEG variants,
// which FFmpeg's scaler wants to be told through the range instead.
AVPixelFormat PlainYuvFormat(AVPixelFormat format, bool* fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      *fullRange = true;
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      *fullRange = true;
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      *fullRange = true;
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      *fullRange = true;
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      *fullRange = true;
      return AV_PIX_FMT_YUV411P;
    default:
      return format;
  }
}

bool IsYuv(AVPixelFormat format) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) == 0 &&
         (descriptor->flags & AV_PIX_FMT_FLAG_PAL) == 0 && descriptor->nb_components >= 3;
}

// The scaler's matrix number for a stream's colour space.
int MatrixOf(AVColorSpace space, int height) {
  switch (space) {
    case AVCOL_SPC_BT709:
      return SWS_CS_ITU709;
    case AVCOL_SPC_FCC:
      return SWS_CS_FCC;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
      return SWS_CS_ITU601;
    case AVCOL_SPC_SMPTE240M:
      return SWS_CS_SMPTE240M;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL:
      return SWS_CS_BT2020;
    default:
      return height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
  }
}

// Pictures converted on the calling thread before a converter is made again
// with slices (short runs of pictures do not pay for starting the threads).
constexpr int kConversionsBeforeSlices = 50;

// A scaler from `from` pictures of `in` into `to` pictures of `out`. Where
// the sizes are the same and neither format halves its chroma vertically
// every output row comes from its own input row, so the scaler may cut the
// picture into row slices on threads of its own (`sliced`): the bytes are
// those of one slice.
ScaleContextPtr NewScaler(PictureSize in, AVPixelFormat from, PictureSize out, AVPixelFormat to, int flags,
                          bool sliced) {
  auto rowByRow = [](AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && descriptor->log2_chroma_h == 0 && (descriptor->flags & AV_PIX_FMT_FLAG_PAL) == 0;
  };
  const bool sameSize = in.width == out.width && in.height == out.height;
  const int threads = sliced && sameSize && rowByRow(from) && rowByRow(to) ? static_cast<int>(FrameWorkThreads()) : 1;
  ScaleContextPtr context(sws_alloc_context());
  if (!context) return nullptr;
  SwsContext* c = context.get();
  const bool set = av_opt_set_int(c, "srcw", in.width, 0) >= 0 && av_opt_set_int(c, "srch", in.height, 0) >= 0 &&
                   av_opt_set_pixel_fmt(c, "src_format", from, 0) >= 0 &&
                   av_opt_set_int(c, "dstw", out.width, 0) >= 0 && av_opt_set_int(c, "dsth", out.height, 0) >= 0 &&
                   av_opt_set_pixel_fmt(c, "dst_format", to, 0) >= 0 && av_opt_set_int(c, "sws_flags", flags, 0) >= 0 &&
                   av_opt_set_int(c, "threads", threads, 0) >= 0;
  if (!set || sws_init_context(c, nullptr, nullptr) < 0) return nullptr;
  return context;
}

ScaleContextPtr NewConverter(int width, int height, AVPixelFormat from, AVPixelFormat to, int flags, bool sliced) {
  return NewScaler({width, height}, from, {width, height}, to, flags, sliced);
}

void KeepBuffer(void*, std::uint8_t*) {}

// A frame over pixels this code owns (bottom-up rows: the last row first),
// in the reference-counted form the scaler's frame calls take.
FramePtr FrameOverDib(const std::uint8_t* pixels, std::int32_t stride, int width, int height, AVPixelFormat format,
                      std::size_t bytes) {
  FramePtr frame(av_frame_alloc());
  if (!frame) return nullptr;
  auto* data = const_cast<std::uint8_t*>(pixels);
  frame->buf[0] = av_buffer_create(data, bytes, KeepBuffer, nullptr, AV_BUFFER_FLAG_READONLY);
  if (frame->buf[0] == nullptr) return nullptr;
  frame->format = format;
  frame->width = width;
  frame->height = height;
  frame->data[0] = data + static_cast<std::ptrdiff_t>(stride) * (height - 1);
  frame->linesize[0] = -stride;
  return frame;
}

void Fail(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

// Gives `target` fresh buffers for a picture of `format`.
bool AllocatePicture(AVFrame* target, AVPixelFormat format, int width, int height, std::string* error) {
  av_frame_unref(target);
  target->format = format;
  target->width = width;
  target->height = height;
  if (av_frame_get_buffer(target, 0) < 0) {
    Fail(error, "Not enough memory!");
    return false;
  }
  return true;
}

}  // namespace

GlobalBlock DecodedFrameConverter::ToDib24(const AVFrame* frame, std::string* error) {
  const int width = frame->width;
  const int height = frame->height;
  const std::int32_t stride = PaddedStride24(width);
  if (width < 1 || height < 1 || stride == 0) {
    Fail(error, "The decoded picture has no usable size.");
    return {};
  }
  bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
  AVPixelFormat format = PlainYuvFormat(static_cast<AVPixelFormat>(frame->format), &fullRange);
  int matrix = MatrixOf(frame->colorspace, height);
  const bool vector = road_ == ColourRoad::kVector && VectorYuvToBgr::Takes(format, width);
  if (!vector && !PrepareExactRoad(width, height, format, matrix, fullRange)) {
    Fail(error, "The decoded picture format cannot be converted.");
    return {};
  }

  DibInfoHeader header = MakeDib24Header(width, height);
  // The conversion writes every pixel: only the rows' padding is cleared.
  GlobalBlock block =
      GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(header.biSizeImage), GMEM_MOVEABLE);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) {
    Fail(error, "Not enough memory!");
    return {};
  }
  WriteDibHeader(bytes.get(), header);
  std::uint8_t* pixels = bytes.get() + kDibHeaderSize;
  ClearDib24RowPadding(pixels, width, height);
  if (vector) {
    if (!vector_.Convert(frame, format, matrix, fullRange, pixels, stride)) {
      Fail(error, "The decoded picture could not be converted.");
      return {};
    }
    return block;
  }
  // The DIB is bottom-up: write the top row last by walking the rows backwards.
  FramePtr target = FrameOverDib(pixels, stride, width, height, AV_PIX_FMT_BGR24, header.biSizeImage);
  if (!target || sws_scale_frame(context_.get(), target.get(), frame) < 0) {
    Fail(error, "The decoded picture could not be converted.");
    return {};
  }
  return block;
}

// The exact road's scaler for pictures of this kind, made again when the
// kind changes. False when the scaler refuses the format.
bool DecodedFrameConverter::PrepareExactRoad(int width, int height, AVPixelFormat format, int matrix, bool fullRange) {
  conversions_ = std::min(conversions_ + 1, kConversionsBeforeSlices + 1);
  // Pictures converted ahead have other frames in flight beside them: no slices.
  const bool sliced = conversions_ > kConversionsBeforeSlices && !OnRunAheadThread();
  if (context_ && width == width_ && height == height_ && format == format_ && matrix == colorspace_ &&
      static_cast<int>(fullRange) == fullRange_ && sliced == sliced_) {
    return true;
  }
  context_ = NewConverter(width, height, format, AV_PIX_FMT_BGR24, kDecodeFlags, sliced);
  sliced_ = sliced;
  if (!context_) return false;
  if (IsYuv(format)) {
    const int* coefficients = sws_getCoefficients(matrix);
    sws_setColorspaceDetails(context_.get(), coefficients, fullRange ? 1 : 0, coefficients, 1, 0, 1 << 16, 1 << 16);
  }
  width_ = width;
  height_ = height;
  format_ = format;
  colorspace_ = matrix;
  fullRange_ = fullRange ? 1 : 0;
  return true;
}

bool EncoderFrameConverter::FromDib(const DibInfoHeader& header, const std::uint8_t* palette,
                                    const PaddedPixels& padded, std::int32_t stride, AVFrame* target,
                                    std::string* error) {
  if (header.biWidth != width_ || header.biHeight != height_) {
    Fail(error, "The picture's size differs from the movie's size.");
    return false;
  }
  const std::uint8_t* pixels = padded.data();
  if (stride < 1 || padded.size() < static_cast<std::size_t>(stride) * static_cast<std::size_t>(height_)) {
    Fail(error, "The picture's header does not match its block.");
    return false;
  }
  const int bits = header.biBitCount;
  if (bits != 24 && !(bits == 8 && palette != nullptr)) {
    Fail(error, "Only 24-bit and 8-bit pictures can be written.");
    return false;
  }
  if (format_ == AV_PIX_FMT_PAL8) return CopyPaletteDib(palette, pixels, stride, target, error);
  const bool vector = bits == 24 && road_ == ColourRoad::kVector && VectorBgrToYuv::Takes(format_, width_, height_);
  if (!vector && !PrepareExactRoad(bits, error)) return false;

  if (!AllocatePicture(target, format_, width_, height_, error)) return false;
  if (vector) {
    if (!vector_.Convert(pixels, stride, target)) {
      Fail(error, "The picture could not be converted for the compressor.");
      return false;
    }
    return true;
  }
  if (bits == 24) {
    FramePtr source = FrameOverDib(pixels, stride, width_, height_, AV_PIX_FMT_BGR24,
                                   static_cast<std::size_t>(stride) * static_cast<std::size_t>(height_));
    if (!source || sws_scale_frame(context_.get(), target, source.get()) < 0) {
      Fail(error, "The picture could not be converted for the compressor.");
      return false;
    }
    return true;
  }
  std::array<std::uint32_t, 256> argb{};
  CopyDibPalette(palette, reinterpret_cast<std::uint8_t*>(argb.data()));
  std::array<const std::uint8_t*, 4> source = {
      pixels + static_cast<std::ptrdiff_t>(stride) * (height_ - 1),
      bits == 8 ? reinterpret_cast<const std::uint8_t*>(argb.data()) : nullptr};
  std::array<int, 4> sourceStride = {-stride, 0};
  int rows = sws_scale(context_.get(), source.data(), sourceStride.data(), 0, height_, target->data, target->linesize);
  if (rows != height_) {
    Fail(error, "The picture could not be converted for the compressor.");
    return false;
  }
  return true;
}

// The exact road's scaler from DIBs of `bits` bits, made again when they
// change. False with `error` set when the scaler refuses the format.
bool EncoderFrameConverter::PrepareExactRoad(int bits, std::string* error) {
  conversions_ = std::min(conversions_ + 1, kConversionsBeforeSlices + 1);
  // Pictures converted beside others in flight: no slices.
  const bool sliced = conversions_ > kConversionsBeforeSlices && !OnRunAheadThread();
  if (context_ && bits == sourceBits_ && sliced == sliced_) return true;
  const AVPixelFormat source = bits == 24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_PAL8;
  bool fullRange = false;
  const AVPixelFormat target = PlainYuvFormat(format_, &fullRange);  // same planes, range told below
  context_ = NewConverter(width_, height_, source, target, kEncodeFlags, sliced);
  sliced_ = sliced;
  if (!context_) {
    Fail(error, "The picture cannot be converted for the compressor.");
    return false;
  }
  if (IsYuv(target)) {
    const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(context_.get(), coefficients, 1, coefficients, fullRange ? 1 : 0, 0, 1 << 16, 1 << 16);
  }
  sourceBits_ = bits;
  return true;
}

bool EncoderFrameConverter::TakesDecoded(const AVFrame* frame, AVPixelFormat target) {
  return ScalesStraightToYuv(frame) && CompressesYuv(target);
}

bool EncoderFrameConverter::ScalesStraightToYuv(const AVFrame* frame) {
  if (frame == nullptr || frame->width < 1 || frame->height < 1) return false;
  bool fullRange = false;
  const auto format = PlainYuvFormat(static_cast<AVPixelFormat>(frame->format), &fullRange);
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  // Without alpha, and in the matrix pictures are compressed with: the
  // scaler changes sizes and ranges but not matrices.
  return IsYuv(format) && descriptor->nb_components == 3 && MatrixOf(frame->colorspace, frame->height) == SWS_CS_ITU601;
}

bool EncoderFrameConverter::CompressesYuv(AVPixelFormat target) {
  bool fullRange = false;
  return IsYuv(PlainYuvFormat(target, &fullRange));
}

bool EncoderFrameConverter::FromDecoded(const AVFrame* frame, AVFrame* target, std::string* error) {
  if (!TakesDecoded(frame, format_)) {
    Fail(error, "The decoded picture cannot be compressed as it is.");
    return false;
  }
  bool sourceFull = frame->color_range == AVCOL_RANGE_JPEG;
  const AVPixelFormat source = PlainYuvFormat(static_cast<AVPixelFormat>(frame->format), &sourceFull);
  const DecodedKind kind{frame->width, frame->height, source, sourceFull};
  if (!decodedContext_ || !(kind == decodedKind_)) {
    bool targetFull = false;
    const AVPixelFormat plainTarget = PlainYuvFormat(format_, &targetFull);
    decodedContext_ =
        NewScaler({frame->width, frame->height}, source, {width_, height_}, plainTarget, kDecodedScaleFlags, false);
    if (!decodedContext_) {
      Fail(error, "The decoded picture cannot be scaled for the compressor.");
      return false;
    }
    const int* coefficients = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(decodedContext_.get(), coefficients, sourceFull ? 1 : 0, coefficients, targetFull ? 1 : 0,
                             0, 1 << 16, 1 << 16);
    decodedKind_ = kind;
  }
  if (!AllocatePicture(target, format_, width_, height_, error)) return false;
  if (sws_scale_frame(decodedContext_.get(), target, frame) < 0) {
    Fail(error, "The decoded picture could not be scaled for the compressor.");
    return false;
  }
  return true;
}

bool EncoderFrameConverter::CopyPaletteDib(const std::uint8_t* palette, const std::uint8_t* pixels, std::int32_t stride,
                                           AVFrame* target, std::string* error) {
  if (palette == nullptr) {
    Fail(error, "The compressor takes only 8-bit pictures with a palette.");
    return false;
  }
  if (!AllocatePicture(target, AV_PIX_FMT_PAL8, width_, height_, error)) return false;
  for (int y = 0; y < height_; ++y) {
    std::memcpy(target->data[0] + static_cast<std::ptrdiff_t>(target->linesize[0]) * y,
                pixels + static_cast<std::ptrdiff_t>(stride) * (height_ - 1 - y), static_cast<std::size_t>(width_));
  }
  CopyDibPalette(palette, target->data[1]);
  return true;
}

void CopyDibPalette(const std::uint8_t* dibPalette, std::uint8_t* argb) {
  // A DIB's entries are blue, green, red, unused bytes: FFmpeg's native
  // 32-bit ARGB words on a little-endian machine, but for the alpha.
  std::memcpy(argb, dibPalette, kDibPaletteBytes);
  for (int i = 0; i < 256; ++i) argb[4 * i + 3] = 0xFF;
}

}  // namespace sprocket::media_detail

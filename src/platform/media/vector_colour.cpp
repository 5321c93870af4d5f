#include "platform/media/vector_colour.h"

#include <libyuv.h>

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace sprocket::media_detail {
namespace {

// The flags of the exact road's chroma interpolation (bicubic, as the frame
// converters' scaler).
constexpr int kChromaFlags = SWS_BICUBIC | SWS_ACCURATE_RND;

const libyuv::YuvConstants* MatrixConstants(int matrix, bool fullRange) {
  if (matrix == SWS_CS_ITU709) return fullRange ? &libyuv::kYuvF709Constants : &libyuv::kYuvH709Constants;
  return fullRange ? &libyuv::kYuvJPEGConstants : &libyuv::kYuvI601Constants;
}

}  // namespace

bool VectorYuvToBgr::Takes(AVPixelFormat format, int matrix, bool fullRange, int width) {
  // 4:2:2 only with chroma of whole pairs of pixels: at odd widths the
  // chroma filter's edge differs from the exact road's by more than 50 dB
  // allow. 4:2:0 stays exact: the scaler filters its chroma rows otherwise
  // when it converts (46-49 dB on hard colour edges).
  const bool layout = format == AV_PIX_FMT_YUV444P || (format == AV_PIX_FMT_YUV422P && width % 2 == 0);
  // SWS_CS_ITU601 is also the scaler's number for SMPTE 170M and BT.470BG.
  // libyuv's limited-range BT.709 rounds its table differently (40 dB).
  return layout && (matrix == SWS_CS_ITU601 || (matrix == SWS_CS_ITU709 && fullRange));
}

bool VectorYuvToBgr::PrepareChroma(int width, int height, int chromaWidth, int chromaHeight) {
  if (chroma_ && width == width_ && height == height_ && chromaWidth == chromaWidth_ && chromaHeight == chromaHeight_) {
    return true;
  }
  chroma_.reset();
  chromaScaler_.reset(sws_getContext(chromaWidth, chromaHeight, AV_PIX_FMT_GRAY8, width, height, AV_PIX_FMT_GRAY8,
                                     kChromaFlags, nullptr, nullptr, nullptr));
  FramePtr chroma(av_frame_alloc());
  if (!chromaScaler_ || !chroma) return false;
  chroma->format = AV_PIX_FMT_YUV444P;
  chroma->width = width;
  chroma->height = height;
  if (av_frame_get_buffer(chroma.get(), 0) < 0) return false;
  chroma_ = std::move(chroma);
  width_ = width;
  height_ = height;
  chromaWidth_ = chromaWidth;
  chromaHeight_ = chromaHeight;
  return true;
}

bool VectorYuvToBgr::Convert(const AVFrame* frame, AVPixelFormat format, int matrix, bool fullRange,
                             std::uint8_t* pixels, std::int32_t stride) {
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
  const int width = frame->width;
  const int height = frame->height;
  if (descriptor == nullptr || !Takes(format, matrix, fullRange, width)) return false;
  const std::uint8_t* u = frame->data[1];
  const std::uint8_t* v = frame->data[2];
  int uStride = frame->linesize[1];
  int vStride = frame->linesize[2];
  if (format != AV_PIX_FMT_YUV444P) {
    const int chromaWidth = AV_CEIL_RSHIFT(width, descriptor->log2_chroma_w);
    const int chromaHeight = AV_CEIL_RSHIFT(height, descriptor->log2_chroma_h);
    if (!PrepareChroma(width, height, chromaWidth, chromaHeight)) return false;
    for (int plane = 1; plane <= 2; ++plane) {
      const std::uint8_t* const in[4] = {frame->data[plane]};
      const int inStride[4] = {frame->linesize[plane]};
      std::uint8_t* const out[4] = {chroma_->data[plane]};
      const int outStride[4] = {chroma_->linesize[plane]};
      if (sws_scale(chromaScaler_.get(), in, inStride, 0, chromaHeight, out, outStride) != height) return false;
    }
    u = chroma_->data[1];
    v = chroma_->data[2];
    uStride = chroma_->linesize[1];
    vStride = chroma_->linesize[2];
  }
  // A negative height writes the rows bottom-up, as a DIB holds them.
  return libyuv::I444ToRGB24Matrix(frame->data[0], frame->linesize[0], u, uStride, v, vStride, pixels, stride,
                                   MatrixConstants(matrix, fullRange), width, -height) == 0;
}

}  // namespace sprocket::media_detail

#pragma once
// The video stream of a joined movie: compressed pictures, copied samples
// and repeats, in movie order.
//
// A compressor's next picture is predicted from the last picture it made,
// which a player no longer holds once copied samples came between, so the
// first picture after copied samples is always made a key frame.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"
#include "platform/media/fourcc.h"

namespace sprocket {

struct JoinVideoShape {
  int width = 0;
  int height = 0;
  FourCC tag = 0;     // the code of the compressed stream; 0 uncompressed
  int bitCount = 24;  // of the stream's pictures: 24, or 8 for the fixed palette
  // The chroma layout of the motion JPEG pictures the compressor makes; 0
  // for other compressors.
  int chromaLayout = 0;
};

class JoinVideoOutput {
public:
  JoinVideoOutput(AviWriter* writer, const JoinVideoShape& shape) : writer_(writer), shape_(shape) {}

  const JoinVideoShape& Shape() const { return shape_; }

  // True when samples of a stream with this format (its bitmap header and
  // any codec bytes after it) decode the same inside the movie: the same
  // code, size and depth, and no codec bytes of their own.
  bool AcceptsSamplesOf(std::span<const std::uint8_t> format) const;

  // Compresses a 24-bit packed DIB of the movie's size (reduced to the
  // fixed palette for 8-bit movies).
  bool WritePicture(const std::uint8_t* dib, std::size_t blockBytes, bool forceKey);
  // Whether a decoded movie frame can be compressed as it is (scaled to the
  // movie's size on the way), and compresses one.
  bool TakesDecodedFrames() const { return writer_->TakesDecodedFrames(); }
  bool TakesDecoded(const DecodedVideoFrame& frame) const { return writer_->TakesDecodedFrame(frame); }
  bool WriteDecoded(const DecodedVideoFrame& frame, bool forceKey);
  // True when a copied sample's pictures are laid out as the compressor's
  // (always, unless the stream is motion JPEG): a movie never changes its
  // chroma layout midway, which some players refuse.
  bool SampleFitsLayout(std::span<const std::uint8_t> sample) const;
  // Copies a compressed sample unchanged.
  bool WriteSample(std::span<const std::uint8_t> sample, bool key);
  // An empty sample: the previous picture is shown again.
  bool WriteRepeat();

  std::int64_t Frames() const { return writer_->FramesWritten(); }
  bool LastWasCopied() const { return lastWasCopied_; }

private:
  AviWriter* writer_;
  JoinVideoShape shape_;
  bool lastWasCopied_ = false;
};

}  // namespace sprocket

#include "libs/moviejoin/join_video_output.h"

#include <algorithm>

#include "imagelib/dib_header.h"
#include "libs/moviejoin/palette_picture.h"
#include "platform/media/jpeg_chroma_layout.h"

namespace sprocket {

bool JoinVideoOutput::AcceptsSamplesOf(std::span<const std::uint8_t> format) const {
  if (format.size() < static_cast<std::size_t>(kDibHeaderSize) || shape_.bitCount != 24) return false;
  DibInfoHeader header = ReadDibHeader(format.data());
  bool plainHeader = header.biSize == static_cast<std::uint32_t>(kDibHeaderSize) &&
                     std::all_of(format.begin() + kDibHeaderSize, format.end(), [](std::uint8_t b) { return b == 0; });
  if (!plainHeader || header.biWidth != shape_.width || header.biHeight != shape_.height) return false;
  if (shape_.tag == 0) return header.biCompression == 0 && header.biBitCount == 24;
  return header.biCompression != 0 && FourCCEqualsNoCase(header.biCompression, shape_.tag);
}

bool JoinVideoOutput::SampleFitsLayout(std::span<const std::uint8_t> sample) const {
  return shape_.chromaLayout == 0 || JpegChromaLayout(sample) == shape_.chromaLayout;
}

bool JoinVideoOutput::WritePicture(const std::uint8_t* dib, std::size_t blockBytes, bool forceKey) {
  bool key = forceKey || lastWasCopied_;
  lastWasCopied_ = false;
  if (shape_.bitCount == 8) {
    GlobalBlock reduced = ReduceToFixedPalette(dib, blockBytes);
    if (!reduced) return writer_->WriteFrame(dib, blockBytes, key);  // the writer reports the bad picture
    return writer_->WriteFrame(reduced.get(), key);
  }
  return writer_->WriteFrame(dib, blockBytes, key);
}

bool JoinVideoOutput::WriteDecoded(const DecodedVideoFrame& frame, bool forceKey) {
  const bool key = forceKey || lastWasCopied_;
  lastWasCopied_ = false;
  return writer_->WriteDecodedFrame(frame, key);
}

bool JoinVideoOutput::WriteSample(std::span<const std::uint8_t> sample, bool key) {
  lastWasCopied_ = true;
  return writer_->WriteRawSample(sample.data(), sample.size(), key);
}

bool JoinVideoOutput::WriteRepeat() { return writer_->WriteRepeatFrame(); }

}  // namespace sprocket

#include "platform/media/padded_pixels.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/mem.h>
}

namespace sprocket::media_detail {

void PaddedPixels::Free::operator()(std::uint8_t* block) const { av_free(block); }

bool PaddedPixels::Assign(const std::uint8_t* pixels, std::size_t bytes) {
  if (bytes > capacity_ || !block_) {
    block_.reset();
    capacity_ = size_ = 0;
    if (bytes > SIZE_MAX - AV_INPUT_BUFFER_PADDING_SIZE) return false;
    auto* block = static_cast<std::uint8_t*>(av_malloc(bytes + AV_INPUT_BUFFER_PADDING_SIZE));
    if (block == nullptr) return false;
    block_.reset(block);
    capacity_ = bytes;
  }
  if (bytes > 0) std::memcpy(block_.get(), pixels, bytes);
  // The padding after the copy reads as zeros, as FFmpeg's own padding does.
  std::memset(block_.get() + bytes, 0, capacity_ - bytes + AV_INPUT_BUFFER_PADDING_SIZE);
  size_ = bytes;
  return true;
}

}  // namespace sprocket::media_detail

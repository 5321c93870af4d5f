#pragma once
// A copy of a picture's bytes in a block FFmpeg may read as it likes: aligned
// as FFmpeg aligns its own buffers and followed by FFmpeg's input padding, so
// vector code that reads whole groups past the last row stays inside the
// block. Used inside the media layer.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sprocket::media_detail {

class PaddedPixels {
public:
  // Copies `bytes` bytes from `pixels` (the block is kept and reused while
  // it is large enough). False when memory is short.
  bool Assign(const std::uint8_t* pixels, std::size_t bytes);
  const std::uint8_t* data() const { return block_.get(); }
  std::size_t size() const { return size_; }

private:
  struct Free {
    void operator()(std::uint8_t* block) const;
  };
  std::unique_ptr<std::uint8_t, Free> block_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
};

}  // namespace sprocket::media_detail

#pragma once
// Helpers the fuzz targets share: reading values off the front of an input,
// and a scratch file of this process that holds an input for the readers
// that open files by name.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace sprocket::fuzz {

// Takes values from the front of the input; past its end every value is 0.
class InputBytes {
public:
  InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t U8() {
    if (position_ >= size_) return 0;
    return data_[position_++];
  }
  std::int32_t I32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(U8()) << (8 * i);
    return static_cast<std::int32_t>(value);
  }
  // The next `count` bytes, fewer at the end of the input.
  std::span<const std::uint8_t> Take(std::size_t count) {
    count = std::min(count, size_ - position_);
    std::span<const std::uint8_t> taken(data_ + position_, count);
    position_ += count;
    return taken;
  }
  std::span<const std::uint8_t> Rest() { return Take(size_ - position_); }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// A file in the temporary folder named after this process, removed by the
// destructor. Write() replaces its contents.
class ScratchFile {
public:
  explicit ScratchFile(const std::string& extension);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // False when the file cannot be written.
  bool Write(std::span<const std::uint8_t> bytes) const;
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

}  // namespace sprocket::fuzz

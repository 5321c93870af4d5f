#pragma once
// Pictures for the effect library tests: locked packed 24-bit DIBs and 8-bit
// grey maps in global blocks, made small in the test.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/pixel_types.h"
#include "libs/effectcatalog/effect_catalog.h"
#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_values.h"
#include "platform/global_memory.h"

namespace sprocket::testing {

class TestPicture {
public:
  // A black picture, rows padded to 4 bytes.
  TestPicture(int width, int height, int bits = 24) : width_(width), height_(height) {
    const int stride = bits == 8 ? (width + 3) / 4 * 4 : PaddedStride24(width);
    const int offset = bits == 8 ? kDibMaskPixelOffset : kDibHeaderSize;
    handle_ = GlobalAlloc(GHND, static_cast<std::size_t>(offset) + static_cast<std::size_t>(stride) * height);
    data_ = static_cast<std::uint8_t*>(GlobalLock(handle_));
    DibInfoHeader header = MakeDib24Header(width, height);
    header.biBitCount = static_cast<std::uint16_t>(bits);
    header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    if (bits == 8) {
      header.biClrUsed = 256;
      for (int i = 0; i < 256; ++i)
        data_[kDibHeaderSize + i * 4] = data_[kDibHeaderSize + i * 4 + 1] = data_[kDibHeaderSize + i * 4 + 2] =
            static_cast<std::uint8_t>(i);
    }
    WriteDibHeader(data_, header);
  }
  TestPicture(const TestPicture&) = delete;
  TestPicture& operator=(const TestPicture&) = delete;
  ~TestPicture() {
    GlobalUnlock(handle_);
    GlobalFree(handle_);
  }

  std::uint8_t* block() const { return data_; }
  PictureView view() const { return ViewPicture24(data_); }
  int width() const { return width_; }
  int height() const { return height_; }

  void Set(int x, int y, BgrPixel pixel) const {
    std::uint8_t* p = view().At(x, y);
    p[0] = pixel.blue;
    p[1] = pixel.green;
    p[2] = pixel.red;
  }
  BgrPixel At(int x, int y) const {
    const std::uint8_t* p = view().At(x, y);
    return BgrPixel{p[0], p[1], p[2]};
  }
  void Fill(BgrPixel pixel) const { FillPixels(view(), pixel); }
  // Every channel a different smooth function of x and y, so that moved or
  // mixed pictures differ from the original.
  void FillPattern(int seed) const {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        Set(x, y,
            BgrPixel{static_cast<std::uint8_t>((x * 7 + y * 3 + seed * 40) & 0xFF),
                     static_cast<std::uint8_t>((x * 2 + y * 11 + seed * 90) & 0xFF),
                     static_cast<std::uint8_t>((x * 13 + y * 5 + seed * 17 + 60) & 0xFF)});
      }
    }
  }
  // An 8-bit grey picture: the byte of pixel (x, y).
  void SetGrey(int x, int y, std::uint8_t level) const {
    const int stride = static_cast<int>(ReadDibHeader(data_).biSizeImage) / height_;
    data_[kDibMaskPixelOffset + y * stride + x] = level;
  }

  // The pixel bytes of every row (width x 3 a row, tails left out).
  std::vector<std::uint8_t> Pixels() const {
    std::vector<std::uint8_t> bytes;
    const PictureView v = view();
    for (int y = 0; y < v.height; ++y) bytes.insert(bytes.end(), v.Row(y), v.Row(y) + v.width * 3);
    return bytes;
  }
  // The whole block, header and row tails included.
  std::vector<std::uint8_t> Bytes() const { return {data_, data_ + GlobalSize(handle_)}; }

  int CountEqual(BgrPixel pixel) const {
    int count = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) count += At(x, y) == pixel ? 1 : 0;
    }
    return count;
  }

private:
  int width_;
  int height_;
  HGLOBAL handle_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

// A filter record with one parameter set (the start values) and, when
// `end` is given, a second one.
inline EffectFilter MakeFilter(std::int32_t id, std::initializer_list<std::pair<int, std::int32_t>> start = {},
                               std::initializer_list<std::pair<int, std::int32_t>> end = {}) {
  EffectFilter filter;
  filter.id = id;
  const EffectDescriptor* effect = FindEffect(id);
  EffectParamSet set;
  if (effect != nullptr) {
    for (const ParamDescriptor& param : effect->params)
      set.values[static_cast<std::size_t>(param.slot)] = param.defaultValue;
  }
  EffectParamSet endSet = set;
  for (const auto& [slot, value] : start) set.values[static_cast<std::size_t>(slot)] = value;
  for (const auto& [slot, value] : end) endSet.values[static_cast<std::size_t>(slot)] = value;
  filter.params.push_back(set);
  if (end.size() > 0) filter.params.push_back(endSet);
  return filter;
}

}  // namespace sprocket::testing

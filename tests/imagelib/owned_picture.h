#pragma once
// A test picture that owns its handle variable and frees the block at the end.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "imagelib/dib_image.h"
#include "platform/global_memory.h"

namespace sprocket::testing {

struct OwnedPicture {
  HGLOBAL handle = nullptr;
  CDibImage image{&handle};

  OwnedPicture() = default;
  OwnedPicture(int width, int height) { EXPECT_EQ(image.Create(width, height), kDibDone); }
  OwnedPicture(const OwnedPicture&) = delete;
  OwnedPicture& operator=(const OwnedPicture&) = delete;
  ~OwnedPicture() {
    if (handle != nullptr) GlobalFree(handle);
  }

  // The whole block, header included.
  std::vector<std::uint8_t> Bytes() const {
    GlobalLockGuard<std::uint8_t> lock(handle);
    return std::vector<std::uint8_t>(lock.get(), lock.get() + GlobalSize(handle));
  }
  void SetGrey(int x, int y, int value) { image.SetPixel(x, y, static_cast<COLORREF>(value * 0x010101)); }
  int Blue(int x, int y) const { return static_cast<int>(image.GetPixel(x, y) >> 16); }
  std::vector<int> BlueRow(int y) const {
    std::vector<int> row;
    for (int x = 0; x < image.GetSize().width; ++x) row.push_back(Blue(x, y));
    return row;
  }
  DibRect Whole() const { return DibRect{image.GetMaxXY().x, image.GetMaxXY().y, 0, 0}; }
};

}  // namespace sprocket::testing

#pragma once
// Scopes around pictures for one operation: pixels locked until the end of a
// block, and scratch pictures freed unless handed on.

#include <utility>

#include "imagelib/dib_image.h"
#include "platform/global_memory.h"

namespace sprocket {

// Locks a picture's pixels for one operation; unlocks on every way out.
class BitsLock {
public:
  explicit BitsLock(CDibImage& image) : image_(image), result_(image.LockBits()) {}
  BitsLock(const BitsLock&) = delete;
  BitsLock& operator=(const BitsLock&) = delete;
  ~BitsLock() {
    if (result_ == kDibDone) image_.Unlock();
  }
  DibResult result() const { return result_; }
  std::uint8_t* bits() const { return image_.GetLockedBits(); }

private:
  CDibImage& image_;
  DibResult result_;
};

// A picture over a handle variable of its own; the block is freed with the
// object unless it was handed on with Release.
struct ScopedPicture {
  HGLOBAL handle = nullptr;
  CDibImage image{&handle};
  ScopedPicture() = default;
  ScopedPicture(const ScopedPicture&) = delete;
  ScopedPicture& operator=(const ScopedPicture&) = delete;
  ~ScopedPicture() { image.Free(); }
  HGLOBAL Release() { return std::exchange(handle, nullptr); }
};

}  // namespace sprocket

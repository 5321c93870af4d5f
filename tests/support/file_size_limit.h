#pragma once
// A limit on the size of the files this process writes, for the scope's
// lifetime: writes past it fail the way they do on a full disk (SIGXFSZ is
// ignored meanwhile).

#include <cstdint>

namespace sprocket::testing {

class ScopedFileSizeLimit {
public:
  explicit ScopedFileSizeLimit(std::uint64_t bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
  bool Active() const { return active_; }

private:
  bool active_ = false;
  std::uint64_t oldLimit_ = 0;
  void (*oldHandler_)(int) = nullptr;
};

}  // namespace sprocket::testing

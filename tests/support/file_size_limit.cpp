#include "file_size_limit.h"

#include <sys/resource.h>
#include <csignal>

namespace sprocket::testing {

ScopedFileSizeLimit::ScopedFileSizeLimit(std::uint64_t bytes) {
  struct rlimit old {};
  if (getrlimit(RLIMIT_FSIZE, &old) != 0) return;
  oldLimit_ = old.rlim_cur;
  oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old;
  limit.rlim_cur = bytes;
  active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  struct rlimit limit {};
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = oldLimit_;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::signal(SIGXFSZ, oldHandler_);
}

}  // namespace sprocket::testing

#include "platform/files/fd_io.h"

#include <unistd.h>
#include <cerrno>

namespace sprocket {

bool WriteFully(int fd, const void* data, std::size_t bytes, std::int64_t offset) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t wrote = offset < 0 ? ::write(fd, p + done, bytes - done)
                                     : ::pwrite(fd, p + done, bytes - done, static_cast<off_t>(offset + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

bool ReadFully(int fd, std::uint64_t offset, void* out, std::size_t bytes) {
  auto* p = static_cast<std::uint8_t*>(out);
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t got = ::pread(fd, p + done, bytes - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace sprocket

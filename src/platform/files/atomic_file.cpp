#include "platform/files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace sprocket {

namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what + ": " + std::strerror(errno);
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream contents;
  contents << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return contents.str();
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  std::string tempName = path.string() + ".XXXXXX";
  int fd = ::mkstemp(tempName.data());
  if (fd < 0) return Fail(error, "cannot create a temporary file beside " + path.string());

  // Keep the permissions of the file being replaced.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    ::fchmod(fd, 0644);
  }

  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int savedErrno = errno;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(tempName.c_str(), path.c_str()) == 0) return true;

  if (savedErrno != 0 && !ok) errno = savedErrno;
  Fail(error, "cannot write " + path.string());
  ::unlink(tempName.c_str());
  return false;
}

}  // namespace sprocket

#include "platform/temp_files.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/file_paths.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"

namespace sprocket {

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string MakeName(std::string_view folder, std::string_view prefix, unsigned number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04X", number & 0xFFFFu);
  return WithTrailingSlash(folder) + std::string(prefix.substr(0, 3)) + digits + ".tmp";
}

}  // namespace

std::string SystemTempFolder() {
  if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && IsFolder(tmp)) return WithTrailingSlash(tmp);
  return "/tmp/";
}

std::string ConfiguredTempFolder() {
  std::string dir = GetProfileString(settings::kTempFileDir, settings::kTempDirCurrent);
  return IsFolder(dir) ? WithTrailingSlash(dir) : SystemTempFolder();
}

std::optional<TempFileName> GetTempFileName(std::string_view folder, std::string_view prefix, unsigned unique) {
  if (unique != 0) return TempFileName{MakeName(folder, prefix, unique), unique & 0xFFFFu};

  // Start from a time- and process-dependent number and walk until a name is free.
  auto ticks = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  unsigned start = (ticks ^ static_cast<unsigned>(::getpid())) & 0xFFFFu;
  for (unsigned step = 0; step < 0x10000u; ++step) {
    unsigned number = (start + step) & 0xFFFFu;
    if (number == 0) continue;
    std::string path = MakeName(folder, prefix, number);
    int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return TempFileName{path, number};
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace sprocket

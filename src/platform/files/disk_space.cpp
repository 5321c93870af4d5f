#include "platform/files/disk_space.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <filesystem>
#include <string>

namespace sprocket {

namespace {

// The path itself when it exists, else its nearest existing ancestor.
std::optional<std::string> NearestExisting(std::string_view path) {
  std::filesystem::path current = path.empty() ? std::filesystem::path(".") : std::filesystem::path(path);
  current = std::filesystem::absolute(current).lexically_normal();
  std::error_code ec;
  while (!std::filesystem::exists(current, ec)) {
    if (!current.has_relative_path()) return std::nullopt;
    current = current.parent_path();
  }
  return current.string();
}

std::optional<dev_t> DeviceOf(std::string_view path) {
  std::optional<std::string> existing = NearestExisting(path);
  struct stat info {};
  if (!existing || ::stat(existing->c_str(), &info) != 0) return std::nullopt;
  return info.st_dev;
}

}  // namespace

std::optional<std::uint64_t> FreeSpaceKB(std::string_view path) {
  std::optional<std::string> existing = NearestExisting(path);
  struct statvfs fs {};
  if (!existing || ::statvfs(existing->c_str(), &fs) != 0) return std::nullopt;
  // Block size x 0.001 x free blocks + 0.5, truncated: kilobytes of 1000 bytes.
  double kb = static_cast<double>(fs.f_frsize) * 0.001 * static_cast<double>(fs.f_bavail) + 0.5;
  return static_cast<std::uint64_t>(kb);
}

bool IsSameDevice(std::string_view first, std::string_view second) {
  std::optional<dev_t> a = DeviceOf(first);
  std::optional<dev_t> b = DeviceOf(second);
  return a && b && *a == *b;
}

}  // namespace sprocket

#pragma once
// Free space and device identity of the file systems that hold paths.

#include <cstdint>
#include <optional>
#include <string_view>

namespace sprocket {

// Free kilobytes (1000 bytes) available to the user on the file system that
// holds `path`, measured on the nearest folder of the path that exists;
// nothing when no part of the path exists.
std::optional<std::uint64_t> FreeSpaceKB(std::string_view path);

// True when both paths (or their nearest existing folders) are on the same
// device: the Linux meaning of "the same drive".
bool IsSameDevice(std::string_view first, std::string_view second);

}  // namespace sprocket

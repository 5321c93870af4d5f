#include "platform/system_info.h"

#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"

namespace sprocket {

PlatformFamily GetPlatformFamily(const Profile& profile) {
  int family = profile.GetProfileInt(settings::kPlatform, settings::kPlatformFamily, 1);
  return family == 2 ? PlatformFamily::kWorkstation : PlatformFamily::kSingleUser;
}

int ProcessorCount() {
  long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  if (online > 0) return static_cast<int>(online);
  unsigned hw = std::thread::hardware_concurrency();
  return hw > 0 ? static_cast<int>(hw) : 1;
}

std::uint64_t FreeMemoryBytes() {
  std::ifstream meminfo("/proc/meminfo");
  std::uint64_t availableKiB = 0;
  std::uint64_t swapFreeKiB = 0;
  bool haveAvailable = false;
  std::string line;
  while (std::getline(meminfo, line)) {
    std::istringstream fields(line);
    std::string name;
    std::uint64_t value = 0;
    fields >> name >> value;
    if (name == "MemAvailable:") {
      availableKiB = value;
      haveAvailable = true;
    } else if (name == "SwapFree:") {
      swapFreeKiB = value;
    }
  }
  if (!haveAvailable) {
    long pages = ::sysconf(_SC_AVPHYS_PAGES);
    long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
  }
  return (availableKiB + swapFreeKiB) * 1024;
}

}  // namespace sprocket

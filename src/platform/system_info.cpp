#include "platform/system_info.h"

#include "platform/files/process_tag.h"

#include <signal.h>
#include <unistd.h>
#include <cerrno>
#include <fstream>
#include <iterator>
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

namespace {

// The machine's boot time in seconds since 1970 ("btime" of /proc/stat), -1
// when unknown.
std::int64_t BootTime() {
  std::ifstream stat("/proc/stat");
  std::string line;
  while (std::getline(stat, line)) {
    if (line.rfind("btime ", 0) == 0) return std::stoll(line.substr(6));
  }
  return -1;
}

// When a process started, in seconds since 1970; -1 when unknown.
std::int64_t ProcessStartTime(int pid) {
  const std::optional<std::uint64_t> ticks = ProcessStartTicks(pid);
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  const std::int64_t boot = BootTime();
  if (!ticks || ticksPerSecond <= 0 || boot < 0) return -1;
  return boot + static_cast<std::int64_t>(*ticks / static_cast<unsigned long long>(ticksPerSecond));
}

}  // namespace

bool ProcessRunningSince(int pid, std::int64_t epochSeconds) {
  if (pid <= 0) return false;
  if (::kill(pid, 0) != 0 && errno != EPERM) return false;
  const std::int64_t started = ProcessStartTime(pid);
  // The boot time and the start are whole seconds: a second's slack.
  return started < 0 || started <= epochSeconds + 1;
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

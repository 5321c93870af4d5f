#pragma once
// Facts about the machine the editor runs on.

#include <cstdint>

namespace sprocket {

class Profile;

enum class PlatformFamily : int {
  kSingleUser = 1,   // rendered segments are reused by Make Movie; no board-native output
  kWorkstation = 2,  // board-native output exists
};

// "Platform" / "Family" of the settings (default 1; other values read as 1).
PlatformFamily GetPlatformFamily(const Profile& profile);

// Number of processors available to the process (at least 1).
int ProcessorCount();

// True while the process `pid` runs and was started no later than the time
// `epochSeconds` (seconds since 1970): a process started after it only
// reuses the number of one that ended. A process whose start cannot be read
// counts as running.
bool ProcessRunningSince(int pid, std::int64_t epochSeconds);

// Memory available to new allocations, in bytes: available physical memory
// plus free swap. The status bar shows it divided by 1000.
std::uint64_t FreeMemoryBytes();

}  // namespace sprocket

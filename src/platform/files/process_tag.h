#pragma once
// The tag that names files after the process that made them: its number
// and its start time ("<pid>-<start>"), so that a later process that got
// the same number does not pass for the owner.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sprocket {

struct ProcessTag {
  pid_t pid = 0;
  // Clock ticks after boot at which the process started; none in names
  // made without it (older names, or no /proc).
  std::optional<std::uint64_t> startTicks;
};

// When the process `pid` started (clock ticks after boot), from
// /proc/<pid>/stat; nothing when it does not run or cannot be read.
std::optional<std::uint64_t> ProcessStartTicks(pid_t pid);

// This process's tag, as text: "<pid>-<start>", or "<pid>" when its start
// cannot be read.
std::string OwnProcessTagText();

// Reads "<pid>-<start>-<unique>" or "<pid>-<unique>" (the older form): the
// tag and the unique part; nothing when `text` has neither form. A unique
// part holds letters and digits only.
struct TaggedName {
  ProcessTag owner;
  std::string_view unique;
};
std::optional<TaggedName> ParseTaggedName(std::string_view text);

// False only when the owner has surely ended: no process of that number
// runs, or the one that runs started at another time. A process we may
// not signal counts as running.
bool OwnerMayRun(const ProcessTag& owner);

}  // namespace sprocket

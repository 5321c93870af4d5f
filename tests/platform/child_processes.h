#pragma once
// Processes for the tests of files named after their owner: one that has
// ended, one that sleeps, and the tags their files carry.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/files/process_tag.h"

namespace sprocket::testing {

// The number of a process that has ended.
inline pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// A child that sleeps until the end of the scope.
class SleepingChild {
public:
  SleepingChild() : pid_(::fork()) {
    if (pid_ == 0) {
      ::pause();
      ::_exit(0);
    }
  }
  ~SleepingChild() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  SleepingChild(const SleepingChild&) = delete;
  SleepingChild& operator=(const SleepingChild&) = delete;
  pid_t pid() const { return pid_; }

private:
  pid_t pid_;
};

// The tag of a running process, as its files carry it.
inline std::string TagOf(pid_t pid) {
  const std::optional<std::uint64_t> start = ProcessStartTicks(pid);
  return std::to_string(pid) + "-" + (start ? std::to_string(*start) : "0");
}

// A tag with the number of a running process but another start time: the
// process that made the file ended and its number was given to another.
inline std::string ReusedTagOf(pid_t pid) {
  const std::optional<std::uint64_t> start = ProcessStartTicks(pid);
  return std::to_string(pid) + "-" + std::to_string(start ? *start + 1 : 1);
}

}  // namespace sprocket::testing

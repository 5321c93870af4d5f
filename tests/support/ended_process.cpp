#include "ended_process.h"

#include <sys/wait.h>
#include <unistd.h>

namespace sprocket::testing {

int EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

}  // namespace sprocket::testing

#pragma once
// Process numbers for tests of files named after processes.

namespace sprocket::testing {

// The number of a child process that has started and ended (and been
// reaped): no process runs under it until the system hands it out again.
int EndedProcessId();

}  // namespace sprocket::testing

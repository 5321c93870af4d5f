#pragma once
// The message pump that long renders hand to the effect libraries: it lets
// the front end process its events (through the process's pump hook, see
// platform/message_pump.h) and reports whether the user asked to stop.

#include <cstdint>
#include <functional>

namespace sprocket {

// What a pump call works with: the job's abort flag (may be null: then
// there is none) and the mode (0 look at key presses only, other values
// process every waiting event).
struct PumpControl {
  std::int32_t* abortFlag = nullptr;
  std::int32_t mode = 0;
};

// Pumps once. When the user asked to stop (ESC in the editor, Ctrl-C in the
// command-line tool, a test's trip), the abort flag is set and 1 answered;
// otherwise the answer is the abort flag (0 without one). `control` may be
// null: no abort flag, mode 0.
int PumpRenderMessages(const PumpControl* control);

// A pump callback for the effect libraries over the control (which must
// outlive the callback).
std::function<int()> MakeRenderPump(const PumpControl* control);

}  // namespace sprocket

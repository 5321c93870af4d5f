#pragma once
// Long work runs on the calling thread and lets the front end breathe
// through a pump hook: the editor processes its events there (and turns ESC
// into the abort flag), the command-line tool sets the flag on Ctrl-C, and
// tests trip it after a number of frames.

#include <functional>

namespace sprocket {

using PumpHook = std::function<void()>;

// Installs the hook called by PumpMessages (an empty hook does nothing).
void SetPumpHook(PumpHook hook);
// Calls the pump hook once.
void PumpMessages();

void RequestAbort();
void ClearAbort();
bool IsAbortRequested();

}  // namespace sprocket

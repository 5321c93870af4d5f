#pragma once
// Long work runs on the calling thread and lets the front end breathe
// through a pump hook: the editor processes its events there (and turns ESC
// into the abort flag), the command-line tool sets it on Ctrl-C (and asks
// for a termination on SIGTERM and SIGHUP), and tests trip it after a
// number of frames.

#include <functional>

namespace sprocket {

using PumpHook = std::function<void()>;

// Installs the hook called by PumpMessages (an empty hook does nothing).
void SetPumpHook(PumpHook hook);
// Calls the pump hook once.
void PumpMessages();

// A stop: long work ends at its next pump and keeps what it finished (a
// movie stopped by the user holds the frames made so far).
void RequestAbort();
// A termination (the process is asked to end): long work stops as for an
// abort but keeps nothing unfinished; a movie being written is discarded,
// so that a file it would have replaced stays as it was.
void RequestTermination();
// Clears both requests (not the process's termination below).
void ClearAbort();
// True after either request, and for good once the process is asked to end.
bool IsAbortRequested();
bool IsTerminationRequested();

// The process is asked to end (SIGTERM, SIGHUP): safe to call from a signal
// handler. Unlike the requests above it is never cleared by ClearAbort, so
// that the work under way and every job after it stop and keep nothing
// unfinished while the process winds down.
void RequestProcessTermination(int signalNumber) noexcept;
// The signal that asked the process to end, 0 while none did.
int ProcessTerminationSignal() noexcept;
// Forgets the request: only for a process that starts a new session of the
// same program (tests do).
void ClearProcessTermination() noexcept;

}  // namespace sprocket

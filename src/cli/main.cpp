// sprocket-render: Make Movie of a timeline file without a window.
//
// The timeline is loaded, the movie (or preview) range set when one is
// given, and Make Movie runs with the settings of the settings folder: the
// output dialogs answer with --out, prompts print their text and take their
// default answer (Yes/OK with --yes), and the video board is the one the
// settings describe. Rendered segments named by the timeline file are
// reused; segment files this run makes are removed again afterwards,
// because the timeline file itself is not changed. Work files and folders
// that killed runs left in the folders of the settings are removed first.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/render_command.h"
#include "cli/render_options.h"
#include "platform/leftovers.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "platform/worker_pool.h"

using namespace sprocket;

namespace {

volatile std::sig_atomic_t stopAsked = 0;
volatile std::sig_atomic_t terminationAsked = 0;

extern "C" void OnStopSignal(int signal) {
  stopAsked = 1;
  if (signal != SIGINT) terminationAsked = 1;
}

// Ctrl-C stops the render at its next message pump and keeps what a stop
// keeps (a movie holds the frames made so far). A termination request and
// a closed terminal stop it there too, but keep nothing unfinished: the
// movie being written is discarded and a file of its name stays as it was.
// Either way the job removes its work files and its temporary folder.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handlers stay to the end: a signal after the output was written must
// not end the process by the default action with the work done.
void HandleStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : kStopSignals) {
    sigaction(signal, &action, nullptr);
    sigaddset(&stops, signal);
  }
  // A parent may start us with them blocked; a signal that came before the
  // handlers were in place is delivered now.
  sigprocmask(SIG_UNBLOCK, &stops, nullptr);
}

void PassStopRequest() {
  if (terminationAsked != 0) {
    RequestTermination();
  } else if (stopAsked != 0) {
    RequestAbort();
  }
}

}  // namespace

int main(int argc, char** argv) {
  ShareAllocationArenas();
  HandleStopSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  ParseResult parsed = ParseRenderOptions(args);
  if (!parsed.options) {
    std::fprintf(stderr, "sprocket-render: %s\n\n%s", parsed.error.c_str(), RenderUsage().c_str());
    return kExitFailed;
  }
  const RenderOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(RenderUsage().c_str(), stdout);
    return kExitWritten;
  }
  if (!options.configDir.empty()) SetConfigDir(options.configDir);
  if (options.oneThread) SetParallelFrameWork(false);
  RemoveLeftoversOfEndedRuns(AppProfile());

  StreamPrompts prompts(options.answerYes);
  SetPrompts(&prompts);
  // A stop signal asks the render to stop at its next message pump.
  ClearAbort();
  SetPumpHook(PassStopRequest);
  int status = stopAsked != 0 ? kExitFailed : RunRenderCommand(options, stderr);
  // A stop that ended the run outside a render job (a segment, a mixdown,
  // before the job) still counts as stopped; one that came after the
  // output was written changes nothing.
  if (stopAsked != 0 && status == kExitFailed) {
    std::fprintf(stderr, "sprocket-render: stopped\n");
    status = kExitStopped;
  }
  SetPumpHook({});
  SetPrompts(nullptr);
  return status;
}

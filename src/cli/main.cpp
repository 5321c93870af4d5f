// sprocket-render: Make Movie of a timeline file without a window.
//
// The timeline is loaded, the movie (or preview) range set when one is
// given, and Make Movie runs with the settings of the settings folder: the
// output dialogs answer with --out, prompts print their text and take their
// default answer (Yes/OK with --yes), and the video board is the one the
// settings describe. Rendered segments named by the timeline file are
// reused; segment files this run makes are removed again afterwards,
// because the timeline file itself is not changed.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/render_command.h"
#include "cli/render_options.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "platform/worker_pool.h"

using namespace sprocket;

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

// Ctrl-C, a termination request and a closed terminal all stop the render
// at its next message pump: the job then removes its partial output and
// its temporary folder as a stop does.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void HandleStopSignals(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  HandleStopSignals(OnInterrupt);
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

  StreamPrompts prompts(options.answerYes);
  SetPrompts(&prompts);
  // A stop signal asks the render to stop at its next message pump.
  ClearAbort();
  SetPumpHook([] {
    if (interrupted != 0) RequestAbort();
  });
  int status = interrupted != 0 ? kExitFailed : RunRenderCommand(options, stderr);
  // A stop that came outside a render job (a segment, a mixdown, before the
  // job) still counts as stopped.
  if (interrupted != 0 && status != kExitStopped) {
    std::fprintf(stderr, "sprocket-render: stopped\n");
    status = kExitStopped;
  }
  HandleStopSignals(SIG_DFL);
  SetPumpHook({});
  SetPrompts(nullptr);
  return status;
}

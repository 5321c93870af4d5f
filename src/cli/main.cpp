// sprocket-render: renders a timeline file to a movie without a window.

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/render_command.h"
#include "cli/render_options.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

int main(int argc, char** argv) {
  using namespace sprocket;
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

  StreamPrompts prompts(options.answerYes);
  SetPrompts(&prompts);
  // Ctrl-C asks the render to stop at its next message pump.
  ClearAbort();
  SetPumpHook([] {
    if (interrupted != 0) RequestAbort();
  });
  std::signal(SIGINT, OnInterrupt);
  const int status = RunRenderCommand(options, stderr);
  std::signal(SIGINT, SIG_DFL);
  SetPumpHook({});
  SetPrompts(nullptr);
  return status;
}

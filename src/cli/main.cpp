// sprocket-render: renders a timeline file to a movie without a window.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/render_options.h"
#include "platform/settings_store.h"

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
  std::fprintf(stderr, "sprocket-render: %s: rendering is not built yet; no output was written.\n",
               options.timeline.c_str());
  return kExitFailed;
}

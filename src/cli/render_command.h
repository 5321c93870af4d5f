#pragma once
// What sprocket-render does with its options: loads the timeline file,
// sets the movie (or preview) range when one is given, reads the output
// settings from the settings folder and runs the render job for the chosen
// output, as Make Movie hands a plain render to the render window.

#include <cstdio>
#include <string>

#include "cli/render_options.h"

namespace sprocket {

// Runs the render and answers the exit code: kExitWritten, kExitFailed (a
// bad timeline, a refusal or a failure, told on `err`) or kExitStopped (the
// abort flag was set while rendering). Prompts go through the process's
// prompts; the progress line goes to `err` when it is a terminal.
int RunRenderCommand(const RenderOptions& options, std::FILE* err);

}  // namespace sprocket

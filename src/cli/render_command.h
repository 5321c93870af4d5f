#pragma once
// What sprocket-render does with its options: loads the timeline file, sets
// the movie (or preview) range when one is given and runs Make Movie with the
// settings of the settings folder. The output dialogs answer with the
// output path, and the video board is the one the settings describe.

#include <cstdio>

#include "cli/render_options.h"

namespace sprocket {

// Runs Make Movie and answers the exit code: kExitWritten, kExitFailed (a
// bad timeline, a refusal or a failure, told on `err`) or kExitStopped (the
// user stopped the render). Prompts go through the process's prompts; the
// progress line goes to `err` when it is a terminal.
int RunRenderCommand(const RenderOptions& options, std::FILE* err);

}  // namespace sprocket

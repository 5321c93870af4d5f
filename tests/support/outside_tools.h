#pragma once
// Running installed command-line tools (ffmpeg, ffprobe, sox, ImageMagick)
// as outside oracles for the files the tests write.

#include <optional>
#include <string>

namespace sprocket::testing {

// True when `name` is an executable on PATH.
bool ToolAvailable(const std::string& name);

// Runs a shell command and answers its standard output, or nothing when it
// could not run or exited with a nonzero status.
std::optional<std::string> RunCommand(const std::string& command);

}  // namespace sprocket::testing

#pragma once
// Running installed command-line tools (ffmpeg, ffprobe) as outside oracles.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sprocket::testing {

// True when `name` is an executable on PATH.
bool ToolAvailable(const std::string& name);

// Runs a shell command and answers its standard output, or nothing when it
// could not run or exited with a nonzero status.
std::optional<std::string> RunCommand(const std::string& command);

// One frame as FFmpeg decodes an 8-bit animation: the colour indices (top
// line first, rows of exactly `width` bytes) and its 256 colours as red,
// green, blue.
struct DecodedFrame {
  std::vector<std::uint8_t> indices;
  std::vector<std::uint8_t> palette;
};

// Decodes every frame of `path` with ffmpeg into colour indices and
// palettes; nothing when ffmpeg fails.
std::optional<std::vector<DecodedFrame>> DecodeIndexedWithFfmpeg(const std::filesystem::path& path, int width,
                                                                 int height);

}  // namespace sprocket::testing

#pragma once
// 8-bit animations as FFmpeg decodes them, the outside oracle of the FLIC
// reader and writer.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "outside_tools.h"

namespace sprocket::testing {

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

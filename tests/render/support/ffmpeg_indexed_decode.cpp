#include "ffmpeg_indexed_decode.h"

namespace sprocket::testing {

std::optional<std::vector<DecodedFrame>> DecodeIndexedWithFfmpeg(const std::filesystem::path& path, int width,
                                                                 int height) {
  // Raw pal8 output: each frame's pixels, then its palette as 256 entries of
  // blue, green, red, alpha.
  const auto output =
      RunCommand("ffmpeg -nostdin -v error -i '" + path.string() + "' -f rawvideo -pix_fmt pal8 - 2>/dev/null");
  if (!output) return std::nullopt;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t frameBytes = pixels + 1024;
  if (output->size() % frameBytes != 0) return std::nullopt;
  std::vector<DecodedFrame> frames;
  for (std::size_t at = 0; at < output->size(); at += frameBytes) {
    DecodedFrame frame;
    frame.indices.assign(output->begin() + at, output->begin() + at + pixels);
    for (int i = 0; i < 256; ++i) {
      const std::size_t entry = at + pixels + static_cast<std::size_t>(i) * 4;
      frame.palette.push_back(static_cast<std::uint8_t>((*output)[entry + 2]));
      frame.palette.push_back(static_cast<std::uint8_t>((*output)[entry + 1]));
      frame.palette.push_back(static_cast<std::uint8_t>((*output)[entry]));
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

}  // namespace sprocket::testing

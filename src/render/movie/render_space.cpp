#include "render/movie/render_space.h"

namespace sprocket {

namespace {

std::uint64_t RoundKB(double kb) { return kb > 0.0 ? static_cast<std::uint64_t>(kb + 0.5) : 0; }

}  // namespace

std::uint64_t AudioSpaceKB(const MovieSettings& record, std::int64_t ms) {
  if (record.VReserved1 == 0) return 0;
  const double seconds = static_cast<double>(ms) * 0.001;
  return RoundKB(static_cast<double>(record.ABitsPerSample) * record.ASamplesPerSec * record.AChannels * 0.000125 *
                 seconds);
}

std::uint64_t VideoSpaceKB(std::int32_t width, std::int32_t height, std::int64_t frames) {
  return RoundKB(((static_cast<double>(width) * height * 3.0 + 40.0) * 0.001 * static_cast<double>(frames)) * 0.2);
}

std::uint64_t BoardVideoSpaceKB(std::int64_t frames, bool onTempDrive) {
  const std::uint64_t kb = RoundKB(static_cast<double>(frames) * 0.1);
  return onTempDrive ? kb * 2 : kb;
}

}  // namespace sprocket

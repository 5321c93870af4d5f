#pragma once
// The disk space a render needs, in kilobytes of 1000 bytes, as the free
// space checks before a movie or a segment render estimate it. Every
// product is taken in double precision and each result rounded by adding
// 0.5 and truncating.

#include <cstdint>

#include "platform/settings/movie_settings.h"

namespace sprocket {

// The sound of `ms` milliseconds in the record's format:
// bits x rate x channels x 0.000125 x seconds; 0 when the record's output
// carries no sound.
std::uint64_t AudioSpaceKB(const MovieSettings& record, std::int64_t ms);
// Compressed pictures: ((width x height x 3 + 40) x 0.001 x frames) x 0.2.
std::uint64_t VideoSpaceKB(std::int32_t width, std::int32_t height, std::int64_t frames);
// Pictures in the board's own format: frames x 0.1, twice that when the
// output lies on the drive of the temporary folder.
std::uint64_t BoardVideoSpaceKB(std::int64_t frames, bool onTempDrive);

}  // namespace sprocket

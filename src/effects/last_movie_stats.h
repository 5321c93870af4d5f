#pragma once
// The statistics of the last movie Make Movie made, as it records them in
// the settings section "Last Make Movie".

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/settings/profile.h"

namespace sprocket {

inline constexpr std::int32_t kCmdLastMovieStatistics = 33114;

struct LastMovieStats {
  std::string fileName;
  std::string fileDate;
  std::string fileSize;
  std::string fileType;
  std::string resolution;
  std::string bitsPerPixel;
  std::string duration;  // seconds
  std::string fps;
  std::string frames;
};

// The update rule of the statistics command: a movie was recorded ("FileName"
// is not empty).
bool HasLastMovie(const Profile& profile);
// The recorded statistics, or nothing before any movie was made.
std::optional<LastMovieStats> ReadLastMovieStats(const Profile& profile);
// Caption and value of each line the statistics dialog shows, in order.
std::vector<std::pair<std::string, std::string>> LastMovieStatsLines(const LastMovieStats& stats);

}  // namespace sprocket

#include "effects/last_movie_stats.h"

#include "platform/settings/settings_keys.h"

namespace sprocket {

namespace {

std::string Key(const Profile& profile, std::string_view key) {
  return profile.GetProfileString(settings::kLastMakeMovie, key);
}

}  // namespace

bool HasLastMovie(const Profile& profile) { return !Key(profile, "FileName").empty(); }

std::optional<LastMovieStats> ReadLastMovieStats(const Profile& profile) {
  if (!HasLastMovie(profile)) return std::nullopt;
  return LastMovieStats{Key(profile, "FileName"), Key(profile, "FileDate"),   Key(profile, "FileSize"),
                        Key(profile, "FileType"), Key(profile, "Resolution"), Key(profile, "BitsPerPixel"),
                        Key(profile, "Duration"), Key(profile, "fFps"),       Key(profile, "Frames")};
}

std::vector<std::pair<std::string, std::string>> LastMovieStatsLines(const LastMovieStats& stats) {
  return {{"File Name:", stats.fileName},
          {"File Date:", stats.fileDate},
          {"File Size:", stats.fileSize},
          {"File Type:", stats.fileType},
          {"Resolution:", stats.resolution},
          {"Bits Per Pixel:", stats.bitsPerPixel},
          {"Duration (seconds):", stats.duration},
          {"Frames Per Second:", stats.fps},
          {"Frames:", stats.frames}};
}

}  // namespace sprocket

#include "effects/last_movie_stats.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace sprocket {
namespace {

TEST(LastMovieStats, NothingBeforeAMovieThenEveryRecordedKey) {
  testing::TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  EXPECT_FALSE(HasLastMovie(profile));
  EXPECT_FALSE(ReadLastMovieStats(profile).has_value());
  profile.WriteProfileString("Last Make Movie", "FileDate", "12/07/26");
  EXPECT_FALSE(HasLastMovie(profile));  // the file name decides

  profile.WriteProfileStrings("Last Make Movie", {{"FileName", "/OUT/M.AVI"},
                                                  {"FileSize", "1234Bytes"},
                                                  {"FileType", "MJPG"},
                                                  {"Resolution", "320X240"},
                                                  {"BitsPerPixel", "24"},
                                                  {"Duration", "2.000"},
                                                  {"fFps", "25.00"},
                                                  {"Frames", "50"}});
  ASSERT_TRUE(HasLastMovie(profile));
  const std::optional<LastMovieStats> stats = ReadLastMovieStats(profile);
  ASSERT_TRUE(stats.has_value());
  const auto lines = LastMovieStatsLines(*stats);
  const std::vector<std::string> values = {"/OUT/M.AVI", "12/07/26", "1234Bytes", "MJPG", "320X240",
                                           "24",         "2.000",    "25.00",     "50"};
  ASSERT_EQ(lines.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(lines[i].second, values[i]) << lines[i].first;
}

}  // namespace
}  // namespace sprocket

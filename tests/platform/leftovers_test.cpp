// At start-up each program removes what killed runs left in the folders its
// settings name, and nothing of a running process.

#include <gtest/gtest.h>

#include <filesystem>

#include "child_processes.h"
#include "platform/leftovers.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;

TEST(Leftovers, TheFoldersOfTheSettingsAreCleanedOfEndedRunsOnly) {
  testing::TempDir dir;
  for (const char* folder : {"temp", "temp2", "movies", "previews", "Last Movies", "elsewhere"}) {
    fs::create_directories(dir / folder);
  }
  Profile profile(dir / "RODUVER.INI");
  profile.WriteProfileString(settings::kTempFileDir, settings::kTempDirCurrent, (dir / "temp").string());
  profile.WriteProfileString(settings::kTempFileDir, "Dir2", (dir / "temp2").string() + "/");
  profile.WriteProfileString(settings::kTempFileDir, "Dir3", (dir / "temp").string());  // the same folder again
  profile.WriteProfileString(settings::kTempFileDir, "Dir4", (dir / "missing").string());
  profile.WriteProfileString(settings::kMovieAviDir, settings::kDir, (dir / "movies").string() + "/");
  profile.WriteProfileString(settings::kPreviewAviDir, settings::kDir, (dir / "previews").string());
  // The last movie's name is kept upper-cased.
  const std::string lastMovie = (dir / "Last Movies" / "take.avi").string();
  std::string upper = lastMovie;
  for (std::size_t i = dir.path().string().size(); i < upper.size(); ++i) upper[i] = std::toupper(upper[i]);
  profile.WriteProfileString(settings::kLastMakeMovie, "FileName", upper);

  const std::vector<std::string> folders = LeftoverFolders(profile);
  const std::vector<std::string> expected = {(dir / "temp/").string(), (dir / "temp2/").string(),
                                             (dir / "movies/").string(), (dir / "previews/").string(),
                                             (dir / "Last Movies/").string()};
  ASSERT_EQ(folders.size(), expected.size() + 1);  // the system's temporary folder first
  EXPECT_EQ(std::vector<std::string>(folders.begin() + 1, folders.end()), expected);

  testing::SleepingChild sleeper;
  const std::string ended = std::to_string(testing::EndedProcess());
  const std::string live = testing::TagOf(sleeper.pid());
  const std::string mine = testing::TagOf(::getpid());
  struct Leftover {
    std::string path;
    bool kept;
  } leftovers[] = {
      {"temp/sprocket-job-" + ended + "-aaaaaa/recorder.wav", false},
      {"temp/.zkb2A.avi.part-" + ended + "-3-bbbbbb", false},
      {"temp2/sprocket-job-" + testing::ReusedTagOf(::getpid()) + "-cccccc/recorder.wav", false},
      {"movies/.film.avi.part-" + ended + "-dddddd", false},
      {"previews/.short.avi.part-" + ended + "-9-eeeeee", false},
      {"Last Movies/.take.avi.part-" + ended + "-ffffff", false},
      {"temp/sprocket-job-" + live + "-gggggg/recorder.wav", true},
      {"temp/sprocket-job-" + mine + "-hhhhhh/recorder.wav", true},
      {"movies/.film.avi.part-" + live + "-iiiiii", true},
      {"movies/.film.avi.part-" + mine + "-jjjjjj", true},
      {"movies/film.avi", true},
      {"elsewhere/.film.avi.part-" + ended + "-kkkkkk", true},  // a folder the settings do not name
  };
  for (const Leftover& leftover : leftovers) dir.Write(leftover.path, "x");

  RemoveLeftoversOfEndedRuns(profile);

  for (const Leftover& leftover : leftovers) {
    // The work file, or the job's folder.
    const fs::path path(leftover.path);
    EXPECT_EQ(fs::exists(dir / *path.begin() / *std::next(path.begin())), leftover.kept) << leftover.path;
  }
}

}  // namespace
}  // namespace sprocket

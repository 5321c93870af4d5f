// The Preview menu's plays in the preview window: a chosen movie file, and
// the last movie Make Movie recorded (its name is stored upper-cased).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/main_frame.h"
#include "app/preview_window.h"
#include "media_test_clips.h"
#include "platform/settings/settings_keys.h"
#include "scripted_prompts.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

TEST(PreviewMenu, PlaysAFileOrTheLastMovieInThePreviewWindowAndNamesWhatCannotPlay) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "Movies");
  const std::string movie = (dir / "Movies" / "Final Cut.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(movie, 0, 4, 1, 16), "");
  Profile profile(dir / "RODUVER.INI");
  ApplicationState app;
  ManualPlaybackClock clock;
  RecordingAudioOut audio;
  CPreviewWnd window(&audio, &clock);
  CMainFrame frame(nullptr, &app, &profile);
  frame.SetPreviewWindow(&window);

  struct Case {
    const char* name;
    std::string storedLastMovie;  // empty: play `file` instead
    std::string file;
    bool plays;
  };
  const Case cases[] = {
      {"a movie file", "", movie, true},
      {"a file that is not there", "", (dir / "gone.avi").string(), false},
      {"the last movie, stored upper-cased", Upper(movie), "", true},
      {"a last movie that is gone", Upper((dir / "gone.avi").string()), "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScriptedPrompts prompts;
    if (!c.plays) {
      const std::string path = c.storedLastMovie.empty() ? c.file : c.storedLastMovie;
      prompts.Expect("Cannot play " + path + ": Cannot open \"" + path + "\" as a movie: No such file or directory.");
    }
    window.StopMonitor();
    bool played = false;
    if (c.storedLastMovie.empty()) {
      played = frame.PlayMovieFile(c.file);
    } else {
      profile.WriteProfileString(settings::kLastMakeMovie, "FileName", c.storedLastMovie);
      played = frame.OnPlayLastMovie();
    }
    EXPECT_EQ(played, c.plays);
    EXPECT_EQ(window.IsMonitorRunning(), c.plays);
    if (c.plays) EXPECT_FALSE(window.Picture().isNull());
    EXPECT_TRUE(prompts.AllShown());
  }
}

}  // namespace
}  // namespace sprocket

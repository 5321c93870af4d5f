// The values of the Preferences dialog: loaded, checked as Make Movie checks
// its formats, stored in the settings file and the application's state.

#include "render/output/output_preferences.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/settings/startup_settings.h"
#include "render/output/render_format.h"
#include "temp_dir.h"

namespace sprocket::testing {
namespace {

OutputPreferences Defaults() {
  OutputPreferences values;
  values.fieldOrders[0] = "DUDC(1)";
  values.fieldOrders[1] = "CFCC(2)";
  return values;
}

TEST(OutputPreferences, StoredValuesLoadAgainAndBecomeTheApplications) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  ASSERT_TRUE(SeedStartupSettings(profile));
  ApplicationState app;
  OutputPreferences values = LoadOutputPreferences(app, profile);
  EXPECT_EQ(values.movie, app.movie);
  EXPECT_EQ(values.fieldOrders[1], "CFCC(2)");
  EXPECT_EQ(values.fieldOrders[4], "");
  EXPECT_TRUE(OutputPreferencesProblems(values).empty());

  values.movie.VResWidth = 720;
  values.movie.VFramesPerSec = 25.0f;
  values.movie.VCompressionType = "DIB ";
  values.preview.VReserved1 = 0;
  values.preview.ASamplesPerSec = 11025;
  values.preview.FResHeight = 240;
  values.fieldOrders[1] = "";
  values.fieldOrders[19] = "MJPG(1)";
  ASSERT_TRUE(StoreOutputPreferences(values, app, profile));
  EXPECT_EQ(app.movie, values.movie);
  EXPECT_EQ(app.preview, values.preview);
  EXPECT_EQ(profile.GetProfileString("Movie", "VFramesPerSec"), "2500");
  EXPECT_EQ(profile.GetProfileString("Preview", "Prev_FResHeight"), "240");

  ApplicationState fresh;
  LoadApplicationSettings(fresh, profile);
  EXPECT_EQ(LoadOutputPreferences(fresh, profile), values);
}

TEST(OutputPreferences, AnUnwritableFileIsToldButTheValuesApply) {
  TempDir dir;
  // A folder where the file should be: nothing can be written there.
  std::filesystem::create_directories(dir / "RODUVER.INI");
  Profile profile(dir / "RODUVER.INI");
  ApplicationState app;
  OutputPreferences values = Defaults();
  values.movie.VResHeight = 576;
  EXPECT_FALSE(StoreOutputPreferences(values, app, profile));
  EXPECT_EQ(app.movie.VResHeight, 576);
}

// Each change makes exactly the one problem named, with Make Movie's own
// message where Make Movie refuses the format.
TEST(OutputPreferences, ValuesNoOutputCanUseAreRefusedOneMessageEach) {
  struct Case {
    const char* what;
    std::function<void(OutputPreferences&)> change;
    std::string message;
  };
  MovieSettings wide = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  wide.VResWidth = 9000;
  const Case cases[] = {
      {"wide movie", [](OutputPreferences& v) { v.movie.VResWidth = 9000; },
       "Movie, AVI movie: " + OutputSettingsProblem(wide, OutputKind::kAvi, false)},
      {"double size", [](OutputPreferences& v) { v.movie.Vb2xAA = 1, v.movie.VResHeight = 4800; },
       "Movie, AVI movie: The output size 640X4800 is too large! At most 4096X4096 can be made at double size."},
      {"small animation", [](OutputPreferences& v) { v.preview.FResWidth = 3; },
       "Preview, animation (FLI/FLC): The output size 0X200 is too small!"},
      {"large images", [](OutputPreferences& v) { v.preview.IResHeight = 10000; },
       "Preview, image sequence: The output size 640X10000 is too large! At most 8192X8192 can be made."},
      {"no rate", [](OutputPreferences& v) { v.movie.VFramesPerSec = 0.0f; },
       "Movie, frame rate: at least 1 frame per second is needed."},
      {"unknown compressor", [](OutputPreferences& v) { v.preview.VCompressionType = "QQQQ"; },
       "Preview, compressor: \"QQQQ\" cannot be written by this program; choose another."},
      {"no digit", [](OutputPreferences& v) { v.fieldOrders[3] = "TVJP(x)"; },
       "AVI Field Info, ENTRY3: \"TVJP(x)\" is not a compressor code with its field order, such as CFCC(2)."},
      {"short code", [](OutputPreferences& v) { v.fieldOrders[7] = "DV(2)"; },
       "AVI Field Info, ENTRY7: \"DV(2)\" is not a compressor code with its field order, such as CFCC(2)."},
  };
  for (const Case& c : cases) {
    OutputPreferences values = Defaults();
    c.change(values);
    EXPECT_EQ(OutputPreferencesProblems(values), std::vector<std::string>{c.message}) << c.what;
  }
  // A rate too high for every output gives one message per output.
  OutputPreferences fast = Defaults();
  fast.movie.VFramesPerSec = 1000.0f;
  EXPECT_EQ(OutputPreferencesProblems(fast).size(), 3u);
}

TEST(OutputPreferences, FieldOrderEntriesAreACodeAndADigitInParentheses) {
  for (const char* good : {"", "CFCC(2)", "DIB (0)", "mjpg(9)"}) EXPECT_TRUE(IsFieldOrderEntry(good)) << good;
  for (const char* bad : {"CFCC", "CFCC(2", "CFCC 2)", "CFCC(22)", "CFCC[2]", "CFCCC(2)"}) {
    EXPECT_FALSE(IsFieldOrderEntry(bad)) << bad;
  }
}

TEST(OutputPreferences, NewTimelinesTakeTheMovieRateWithinWhatTimelinesHold) {
  MovieSettings movie;
  for (auto [fps, rate] : {std::pair{25.0f, 2500}, std::pair{29.97f, 2997}, std::pair{0.5f, 100},
                           std::pair{500.0f, 12000}, std::pair{0.0f, 2997}, std::pair{-5.0f, 2997}}) {
    movie.VFramesPerSec = fps;
    EXPECT_EQ(NewTimelineRate(movie), rate) << fps;
  }
}

}  // namespace
}  // namespace sprocket::testing

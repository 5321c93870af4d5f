#include <gtest/gtest.h>

#include "platform/application_state.h"
#include "platform/files/atomic_file.h"
#include "platform/settings/movie_settings.h"
#include "platform/settings/startup_settings.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::ScopedConfigDir;
using testing::TempDir;

TEST(MovieSettings, DefaultsOfBothRecords) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  MovieSettings movie = LoadMovieSettings(profile, MovieSettingsKind::kMovie);
  EXPECT_EQ(movie.VResWidth, 640);
  EXPECT_EQ(movie.VResHeight, 480);
  EXPECT_FLOAT_EQ(movie.VFramesPerSec, 29.97f);
  EXPECT_EQ(movie.VCompressionType, "MJPG");
  EXPECT_EQ(movie.VQuality, 7500);
  EXPECT_EQ(movie.VDataRate, 0);
  EXPECT_EQ(movie.VKeyFrame, 15);
  EXPECT_EQ(movie.VInterleave, 1);
  EXPECT_EQ(movie.VBitsPerPixel, 24);
  EXPECT_EQ(movie.VReserved1, 1);
  EXPECT_EQ(movie.ABitsPerSample, 16);
  EXPECT_EQ(movie.ASamplesPerSec, 44100);
  EXPECT_EQ(movie.AChannels, 2);
  EXPECT_EQ(movie.IResWidth, 640);
  EXPECT_EQ(movie.IResHeight, 480);
  EXPECT_EQ(movie.IFileType, 0);
  EXPECT_EQ(movie.IBitsPerPixel, 24);
  EXPECT_EQ(movie.IJpegQuality, 75);
  EXPECT_EQ(movie.FResWidth, 320);
  EXPECT_EQ(movie.FResHeight, 200);
  EXPECT_EQ(movie.Vb2xAA, 0);

  MovieSettings preview = LoadMovieSettings(profile, MovieSettingsKind::kPreview);
  EXPECT_EQ(preview.VResWidth, 320);
  EXPECT_EQ(preview.VResHeight, 240);
  EXPECT_FLOAT_EQ(preview.VFramesPerSec, 15.0f);
  EXPECT_EQ(preview.VCompressionType, "MJPG");
  EXPECT_EQ(preview.ABitsPerSample, 16);
  EXPECT_EQ(preview.ASamplesPerSec, 22050);
  EXPECT_EQ(preview.AChannels, 2);
}

TEST(MovieSettings, RoundTripUsesPrevPrefixForThePreviewRecord) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  MovieSettings movie = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  movie.VResWidth = 720;
  movie.VFramesPerSec = 25.0f;
  movie.VCompressionType = "DIB ";
  movie.szPaletteFile = "/pal/web.pal";
  movie.IFieldSequence = 3;
  MovieSettings preview = MovieSettings::Defaults(MovieSettingsKind::kPreview);
  preview.VResWidth = 160;
  preview.VFramesPerSec = 29.97f;
  preview.szPrefix = "prv";
  preview.Vb2xAA = 1;

  ASSERT_TRUE(StoreMovieSettings(profile, MovieSettingsKind::kMovie, movie));
  ASSERT_TRUE(StoreMovieSettings(profile, MovieSettingsKind::kPreview, preview));

  EXPECT_EQ(profile.GetProfileInt("Movie", "VFramesPerSec", 0), 2500);
  EXPECT_EQ(profile.GetProfileInt("Movie", "VResWidth", 0), 720);
  EXPECT_EQ(profile.GetProfileInt("Preview", "Prev_VFramesPerSec", 0), 2997);
  EXPECT_EQ(profile.GetProfileInt("Preview", "Prev_VResWidth", 0), 160);
  EXPECT_EQ(profile.GetProfileString("Preview", "Prev_szPrefix"), "prv");
  EXPECT_EQ(profile.GetProfileInt("Preview", "VResWidth", -1), -1);  // no unprefixed keys
  EXPECT_EQ(profile.GetProfileString("Movie", "szPrefix", "none"), "none");

  EXPECT_EQ(LoadMovieSettings(profile, MovieSettingsKind::kMovie), movie);
  EXPECT_EQ(LoadMovieSettings(profile, MovieSettingsKind::kPreview), preview);
}

TEST(MovieSettings, HandEditedValues) {
  TempDir dir;
  auto file = dir.Write("RODUVER.INI",
                        "[Preview]\nPrev_VFramesPerSec=2500\nPrev_VCompressionType=cvid\n"
                        "[Movie]\nVCompressionType=MSVC1234\nVResHeight=576 lines\n");
  Profile profile(file);
  MovieSettings movie = LoadMovieSettings(profile, MovieSettingsKind::kMovie);
  EXPECT_EQ(movie.VCompressionType, "MSVC");  // cut to four characters
  EXPECT_EQ(movie.VResHeight, 576);
  MovieSettings preview = LoadMovieSettings(profile, MovieSettingsKind::kPreview);
  EXPECT_FLOAT_EQ(preview.VFramesPerSec, 25.0f);
  EXPECT_EQ(preview.VCompressionType, "cvid");
  EXPECT_EQ(preview.CompressionFourcc(), 0x64697663u);  // 'c' in the low byte
}

TEST(Fourcc, PaddedAndPackedLowByteFirst) {
  EXPECT_EQ(NormalizeFourcc("DIB"), "DIB ");
  EXPECT_EQ(NormalizeFourcc(""), "    ");
  EXPECT_EQ(FourccValue("CFCC"), 0x43434643u);
  EXPECT_EQ(FourccValue("DIB"), FourccValue("DIB "));
}

TEST(StartupSettings, SeedsMissingFieldOrderEntriesOnly) {
  TempDir dir;
  auto file = dir.Write("RODUVER.INI", "[AVI Field Info]\nENTRY1=XXXX(1)\nENTRY2=\n");
  Profile profile(file);
  ASSERT_TRUE(SeedStartupSettings(profile));
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY0"), "DUDC(1)");
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY1"), "XXXX(1)");  // kept
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY2"), "TVMJ(2)");  // empty counts as missing
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY3"), "TVJP(2)");
  EXPECT_EQ(profile.GetProfileString("AVI Field Info", "ENTRY4", "none"), "none");

  std::string before = ReadWholeFile(file).value();
  ASSERT_TRUE(SeedStartupSettings(profile));
  EXPECT_EQ(ReadWholeFile(file).value(), before);  // a second start-up changes nothing
}

TEST(SettingsStore, ProcessProfileLivesInTheConfigFolder) {
  ScopedConfigDir config;
  EXPECT_EQ(SettingsFilePath(), config.path() / "RODUVER.INI");
  EXPECT_EQ(LogDir(), config.path());
  ASSERT_TRUE(WriteProfileInt("Old Audio", "ENABLE", 1));
  EXPECT_EQ(GetProfileInt("old audio", "enable", 0), 1);
  EXPECT_TRUE(std::filesystem::exists(config.path() / "RODUVER.INI"));

  ScopedConfigDir other;  // switching folders reopens the profile
  EXPECT_EQ(GetProfileInt("Old Audio", "ENABLE", 0), 0);
}

TEST(ApplicationState, LoadsAndStoresBothRecords) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  ApplicationState app;
  EXPECT_EQ(app.autoCrossFade, 1);
  EXPECT_EQ(app.logSwitch, 0);
  app.movie.VResWidth = 800;
  app.preview.VResWidth = 200;
  app.logSwitch = 9999;  // never reaches the settings file
  ASSERT_TRUE(StoreApplicationSettings(app, profile));

  ApplicationState loaded;
  LoadApplicationSettings(loaded, profile);
  EXPECT_EQ(loaded.Settings(false).VResWidth, 800);
  EXPECT_EQ(loaded.Settings(true).VResWidth, 200);
  EXPECT_EQ(loaded.movie.ACompressionType, 0);
}

TEST(SystemInfo, PlatformFamilyFromSettings) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  EXPECT_EQ(GetPlatformFamily(profile), PlatformFamily::kSingleUser);
  profile.WriteProfileInt("Platform", "Family", 2);
  EXPECT_EQ(GetPlatformFamily(profile), PlatformFamily::kWorkstation);
  profile.WriteProfileInt("Platform", "Family", 7);
  EXPECT_EQ(GetPlatformFamily(profile), PlatformFamily::kSingleUser);
}

TEST(SystemInfo, MachineMeasures) {
  EXPECT_GE(ProcessorCount(), 1);
  EXPECT_GT(FreeMemoryBytes(), 1000000u);
}

}  // namespace
}  // namespace sprocket

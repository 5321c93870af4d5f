#include <gtest/gtest.h>
#include <cctype>

#include "platform/file_paths.h"
#include "platform/files/disk_space.h"
#include "platform/settings_store.h"
#include "platform/temp_files.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::ScopedConfigDir;
using testing::TempDir;

TEST(FileExtension, FromTheFirstDotOfTheFileName) {
  EXPECT_EQ(FileExtension("/media/clip.avi"), ".avi");
  EXPECT_EQ(FileExtension("/media/clip.AVI"), ".AVI");
  EXPECT_EQ(FileExtension("/media.d/v1.2/clip"), "");  // dotted folders never count
  EXPECT_EQ(FileExtension("/media.d/clip.avi"), ".avi");
  EXPECT_EQ(FileExtension("take.2.avi"), ".2.avi");
  EXPECT_EQ(FileExtension("/a/b/"), "");
  EXPECT_EQ(FileExtension(""), "");
  EXPECT_EQ(FileNamePart("/a/b/c.tle"), "c.tle");
}

TEST(FileExtension, ComparedWithoutCase) {
  EXPECT_TRUE(HasExtension("/x/CLIP.Avi", ".avi"));
  EXPECT_TRUE(HasExtension("/x.avi/clip.tga", ".TGA"));
  EXPECT_FALSE(HasExtension("/x.avi/clip", ".avi"));
}

TEST(PathText, CaseHelpersDoNotTouchTheOriginal) {
  std::string path = "/Media/Clip.avi";
  EXPECT_EQ(ToUpperAscii(path), "/MEDIA/CLIP.AVI");
  EXPECT_EQ(ToLowerAscii(path), "/media/clip.avi");
  EXPECT_EQ(path, "/Media/Clip.avi");
  EXPECT_EQ(WithTrailingSlash("/tmp"), "/tmp/");
  EXPECT_EQ(WithTrailingSlash("/tmp/"), "/tmp/");
  EXPECT_EQ(WithTrailingSlash(""), "");
}

TEST(TempFileName, FixedNumberMakesNameOnly) {
  TempDir dir;
  auto name = GetTempFileName(dir.path().string(), "zkb", 1);
  ASSERT_TRUE(name);
  EXPECT_EQ(name->path, dir.path().string() + "/zkb0001.tmp");
  EXPECT_EQ(name->unique, 1u);
  EXPECT_FALSE(std::filesystem::exists(name->path));

  auto wide = GetTempFileName(dir.path().string() + "/", "prefix", 0x12ABCD);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->path, dir.path().string() + "/preABCD.tmp");  // three characters, low 16 bits
}

TEST(TempFileName, ZeroReservesAFreshFile) {
  TempDir dir;
  auto first = GetTempFileName(dir.path().string(), "tlt", 0);
  auto second = GetTempFileName(dir.path().string(), "tlt", 0);
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->path, second->path);
  EXPECT_TRUE(std::filesystem::exists(first->path));
  EXPECT_EQ(std::filesystem::file_size(first->path), 0u);
  std::string name(FileNamePart(first->path));
  ASSERT_EQ(name.size(), 11u);
  EXPECT_EQ(name.substr(0, 3), "tlt");
  EXPECT_EQ(name.substr(7), ".tmp");
  for (char c : name.substr(3, 4))
    EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c)) && !std::islower(c)) << name;
  EXPECT_NE(first->unique, 0u);
}

TEST(TempFileName, MissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(GetTempFileName((dir / "missing").string(), "zkb", 0));
}

TEST(TempFolders, SettingsThenEnvironment) {
  ScopedConfigDir config;
  TempDir chosen;
  EXPECT_EQ(ConfiguredTempFolder(), SystemTempFolder());
  WriteProfileString("Temp File Dir", "Dir", chosen.path().string());
  EXPECT_EQ(ConfiguredTempFolder(), chosen.path().string() + "/");
  WriteProfileString("Temp File Dir", "Dir", (chosen / "gone").string());
  EXPECT_EQ(ConfiguredTempFolder(), SystemTempFolder());
  EXPECT_EQ(SystemTempFolder().back(), '/');
}

TEST(DiskSpace, MeasuredOnTheNearestExistingFolder) {
  TempDir dir;
  auto here = FreeSpaceKB(dir.path().string());
  auto deeper = FreeSpaceKB((dir / "not/yet/made/out.avi").string());
  ASSERT_TRUE(here && deeper);
  EXPECT_GT(*here, 0u);
  // Same file system: the two readings differ only by what others wrote meanwhile.
  EXPECT_LT(*here > *deeper ? *here - *deeper : *deeper - *here, 100000u);
}

TEST(DiskSpace, SameDevice) {
  TempDir dir;
  EXPECT_TRUE(IsSameDevice(dir.path().string(), (dir / "sub/file.avi").string()));
  if (std::filesystem::exists("/proc/self")) {
    EXPECT_FALSE(IsSameDevice(dir.path().string(), "/proc/self"));
  }
}

}  // namespace
}  // namespace sprocket

#include "platform/settings/profile.h"

#include <gtest/gtest.h>
#include <iterator>

#include "platform/files/atomic_file.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

std::string Contents(const std::filesystem::path& file) { return ReadWholeFile(file).value_or("<missing>"); }

TEST(ParseProfileInt, LeadingNumberRule) {
  EXPECT_EQ(ParseProfileInt("42"), 42);
  EXPECT_EQ(ParseProfileInt("  17 "), 17);
  EXPECT_EQ(ParseProfileInt("12abc"), 12);
  EXPECT_EQ(ParseProfileInt("-35"), -35);
  EXPECT_EQ(ParseProfileInt("+8"), 8);
  EXPECT_EQ(ParseProfileInt("0x1F"), 31);
  EXPECT_EQ(ParseProfileInt("0x"), 0);
  EXPECT_EQ(ParseProfileInt("abc"), 0);
  EXPECT_EQ(ParseProfileInt(""), 0);
  EXPECT_EQ(ParseProfileInt("3.9"), 3);
  EXPECT_EQ(ParseProfileInt("99999999999"), 2147483647);
  EXPECT_EQ(ParseProfileInt("-99999999999"), -2147483647 - 1);
}

TEST(IniDocument, LookupIgnoresCaseAndTrimsValues) {
  IniDocument doc = IniDocument::Parse(
      "; settings\n"
      "[Movie]\n"
      "VResWidth = 320 \n"
      "VCompressionType=\"DIB \"\n"
      "Empty=\n"
      "[movie]\n"
      "VResWidth=999\n");
  EXPECT_EQ(doc.Get("MOVIE", "vreswidth"), "320");  // first section wins
  EXPECT_EQ(doc.Get("Movie", "VCompressionType"), "DIB ");
  EXPECT_EQ(doc.Get("Movie", "Empty"), "");
  EXPECT_EQ(doc.Get("Movie", "Missing"), std::nullopt);
  EXPECT_EQ(doc.Get("Nowhere", "VResWidth"), std::nullopt);
  EXPECT_EQ(doc.Get("Movie", "; settings"), std::nullopt);
}

TEST(IniDocument, EditsKeepCommentsOrderAndSpelling) {
  const std::string original =
      "; top comment\n"
      "[First]\n"
      "Alpha=1\n"
      "; about beta\n"
      "Beta=2\n"
      "\n"
      "[Second]\n"
      "Gamma=3\n";
  IniDocument doc = IniDocument::Parse(original);
  EXPECT_EQ(doc.Serialize(), original);

  doc.Set("first", "BETA", "20");    // existing key keeps its spelling
  doc.Set("First", "Delta", "4");    // new key after the section's last key
  doc.Set("Third", "Epsilon", "5");  // new section at the end
  EXPECT_EQ(doc.Serialize(),
            "; top comment\n"
            "[First]\n"
            "Alpha=1\n"
            "; about beta\n"
            "Beta=20\n"
            "Delta=4\n"
            "\n"
            "[Second]\n"
            "Gamma=3\n"
            "[Third]\n"
            "Epsilon=5\n");

  EXPECT_TRUE(doc.RemoveKey("FIRST", "alpha"));
  EXPECT_FALSE(doc.RemoveKey("First", "alpha"));
  EXPECT_TRUE(doc.RemoveSection("second"));
  EXPECT_EQ(doc.Keys("First"), (std::vector<std::string>{"Beta", "Delta"}));
  EXPECT_FALSE(doc.HasSection("Second"));
}

TEST(IniDocument, KeepsWindowsLineEnds) {
  IniDocument doc = IniDocument::Parse("[A]\r\nKey=1\r\n");
  EXPECT_EQ(doc.Get("A", "Key"), "1");
  doc.Set("A", "Other", "2");
  EXPECT_EQ(doc.Serialize(), "[A]\r\nKey=1\r\nOther=2\r\n");
}

TEST(Profile, MissingFileAndKeysGiveDefaults) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  EXPECT_EQ(profile.GetProfileInt("Movie", "VResWidth", 640), 640);
  EXPECT_EQ(profile.GetProfileString("Movie", "VCompressionType", "MJPG"), "MJPG");
  EXPECT_FALSE(std::filesystem::exists(dir / "RODUVER.INI"));  // reads create nothing
}

TEST(Profile, WritesAreReadBackAndKeepTheRestOfTheFile) {
  TempDir dir;
  auto file = dir.Write("RODUVER.INI", "; keep me\n[Movie]\nVResWidth=320\n");
  Profile profile(file);
  ASSERT_TRUE(profile.WriteProfileInt("movie", "vreswidth", 720));
  ASSERT_TRUE(profile.WriteProfileString("Old Audio", "ENABLE", "1"));
  EXPECT_EQ(profile.GetProfileInt("Movie", "VResWidth", 0), 720);
  EXPECT_EQ(profile.GetProfileInt("Old Audio", "Enable", 0), 1);
  EXPECT_EQ(Contents(file), "; keep me\n[Movie]\nVResWidth=720\n[Old Audio]\nENABLE=1\n");

  ASSERT_TRUE(profile.DeleteProfileKey("Old Audio", "ENABLE"));
  EXPECT_EQ(profile.GetProfileInt("Old Audio", "ENABLE", -1), -1);
  ASSERT_TRUE(profile.DeleteProfileSection("OLD AUDIO"));
  EXPECT_EQ(Contents(file), "; keep me\n[Movie]\nVResWidth=720\n");
}

TEST(Profile, SeesChangesMadeByOthers) {
  TempDir dir;
  auto file = dir.Write("RODUVER.INI", "[A]\nKey=1\n");
  Profile profile(file);
  EXPECT_EQ(profile.GetProfileInt("A", "Key", 0), 1);
  ASSERT_TRUE(WriteFileAtomically(file, "[A]\nKey=22\nMore=3\n"));
  EXPECT_EQ(profile.GetProfileInt("A", "Key", 0), 22);

  // A write goes onto the file as it is now, not onto a stale copy.
  Profile other(file);
  ASSERT_TRUE(other.WriteProfileInt("B", "New", 5));
  ASSERT_TRUE(profile.WriteProfileInt("A", "Key", 7));
  EXPECT_EQ(Contents(file), "[A]\nKey=7\nMore=3\n[B]\nNew=5\n");
}

TEST(Profile, BatchWriteAndCreatesFolder) {
  TempDir dir;
  Profile profile(dir / "sub" / "RODUVER.INI");
  ASSERT_TRUE(profile.WriteProfileStrings("S", {{"One", "1"}, {"Two", "2"}}));
  EXPECT_EQ(Contents(dir / "sub" / "RODUVER.INI"), "[S]\nOne=1\nTwo=2\n");
}

TEST(Profile, FailedWriteIsReportedAndLeavesNothingBehind) {
  TempDir dir;
  // The settings path is taken by a folder: the rename over it must fail.
  std::filesystem::create_directories(dir / "RODUVER.INI");
  Profile blocked(dir / "RODUVER.INI");
  EXPECT_FALSE(blocked.WriteProfileInt("A", "Key", 2));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "RODUVER.INI"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  // The folder of the settings file is a plain file: nothing can be created.
  dir.Write("plain", "x");
  Profile impossible(dir / "plain" / "RODUVER.INI");
  EXPECT_FALSE(impossible.WriteProfileInt("A", "Key", 2));
  EXPECT_EQ(impossible.GetProfileInt("A", "Key", 9), 9);
}

TEST(Profile, AtomicWriteLeavesNoTemporaryFiles) {
  TempDir dir;
  Profile profile(dir / "RODUVER.INI");
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(profile.WriteProfileInt("A", "Key" + std::to_string(i), i));
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(PrivateProfile, DirectReadsOfAnyFile) {
  TempDir dir;
  auto file = dir.Write("RODUVER.INI", "[MULTIPROC]\nENABLEMULTIPROC=1\nName= two words \n");
  EXPECT_EQ(GetPrivateProfileInt("multiproc", "EnableMultiProc", 0, file), 1);
  EXPECT_EQ(GetPrivateProfileString("MULTIPROC", "Name", "x", file), "two words");
  EXPECT_EQ(GetPrivateProfileInt("MULTIPROC", "Missing", 9, file), 9);
  EXPECT_EQ(GetPrivateProfileInt("MULTIPROC", "ENABLEMULTIPROC", 9, dir / "none.ini"), 9);
}

}  // namespace
}  // namespace sprocket

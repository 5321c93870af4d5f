#include "render/movie/render_temp_files.h"

#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "platform/settings/settings_keys.h"
#include "platform/string_table.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ChooseTempDirTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : {"current", "one", "two", "three"}) {
      std::filesystem::create_directories(dir.path() / name);
      folders[name] = (dir.path() / name).string() + "/";
    }
    doc.tempDir = folders["current"];
  }

  // Free space by folder, as the fake disk reports it.
  FreeSpaceProbe Probe() {
    return [this](const std::string& folder) -> std::optional<std::uint64_t> {
      for (const auto& [name, path] : folders) {
        if (path == folder && space.count(name) != 0) return space[name];
      }
      return std::nullopt;
    };
  }

  TempDir dir;
  Profile profile{dir.path() / "RODUVER.INI"};
  std::map<std::string, std::string> folders;
  std::map<std::string, std::uint64_t> space;
  CTestDoc doc;
};

TEST_F(ChooseTempDirTest, EmptyCandidatesLeaveTheFolderAndWriteNothing) {
  space = {{"current", 10}};
  ChooseTempDir(doc, profile, Probe());
  EXPECT_EQ(doc.tempDir, folders["current"]);
  EXPECT_EQ(profile.GetProfileString(settings::kTempFileDir, settings::kTempDirCurrent, "none"), "none");
}

TEST_F(ChooseTempDirTest, FirstRoomiestCandidateWinsAndIsWrittenBack) {
  space = {{"current", 10}, {"one", 50}, {"two", 80}, {"three", 80}};
  profile.WriteProfileString(settings::kTempFileDir, "Dir1", folders["one"]);
  profile.WriteProfileString(settings::kTempFileDir, "Dir2", folders["two"]);
  profile.WriteProfileString(settings::kTempFileDir, "Dir4", folders["three"]);
  ChooseTempDir(doc, profile, Probe());
  EXPECT_EQ(doc.tempDir, folders["two"]);
  EXPECT_EQ(profile.GetProfileString(settings::kTempFileDir, settings::kTempDirCurrent), folders["two"]);
}

TEST_F(ChooseTempDirTest, ATieWithTheCurrentFolderChangesNothing) {
  space = {{"current", 80}, {"one", 80}};
  profile.WriteProfileString(settings::kTempFileDir, "Dir1", folders["one"]);
  ChooseTempDir(doc, profile, Probe());
  EXPECT_EQ(doc.tempDir, folders["current"]);
  EXPECT_EQ(profile.GetProfileString(settings::kTempFileDir, settings::kTempDirCurrent, "none"), "none");
}

TEST_F(ChooseTempDirTest, MissingCandidateFoldersAreSkipped) {
  space = {{"current", 10}, {"one", 20}};
  const std::string missing = (dir.path() / "gone").string();
  folders["gone"] = missing + "/";
  space["gone"] = 1000;
  profile.WriteProfileString(settings::kTempFileDir, "Dir1", missing);
  profile.WriteProfileString(settings::kTempFileDir, "Dir3", (dir.path() / "one").string());
  ChooseTempDir(doc, profile, Probe());
  EXPECT_EQ(doc.tempDir, folders["one"]);
}

TEST_F(ChooseTempDirTest, FoldersOnOneFileSystemTieOnTheRealDisk) {
  profile.WriteProfileString(settings::kTempFileDir, "Dir1", folders["one"]);
  ChooseTempDir(doc, profile);
  EXPECT_EQ(doc.tempDir, folders["current"]);
}

TEST(CompareFreeSpaceTest, OrdersAscending) {
  std::uint32_t a = 5, b = 9, c = 5;
  EXPECT_EQ(CompareFreeSpace(&a, &b), -1);
  EXPECT_EQ(CompareFreeSpace(&b, &a), 1);
  EXPECT_EQ(CompareFreeSpace(&a, &c), 0);
}

TEST(MakeTempAviNameTest, NamesFollowThePatternAndAvoidExistingFiles) {
  TempDir dir;
  const std::string folder = dir.path().string() + "/";
  std::string name;
  EXPECT_EQ(MakeTempAviName(folder, name), -1);  // no AVI file in the folder yet
  const std::regex pattern(std::regex_replace(folder, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                           "zkb([0-9A-F]+)\\.avi");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(name, match, pattern)) << name;
  EXPECT_LT(std::stoul(match[1].str(), nullptr, 16), 1000000u);

  for (int i = 0; i < 20; ++i) {
    MakeTempAviName(folder, name);
    EXPECT_FALSE(std::filesystem::exists(name)) << name;
    std::ofstream(name) << "x";
  }
  std::string next;
  EXPECT_EQ(MakeTempAviName(folder, next), 0);
  EXPECT_FALSE(std::filesystem::exists(next)) << next;
}

TEST(MakeWindowsTempFileTest, CreatesAnEmptyFileWithThePrefix) {
  TempDir dir;
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  std::string path = "left over";
  const int unique = MakeWindowsTempFile(path, "frz");
  if (old != nullptr)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_NE(unique, 0);
  EXPECT_EQ(std::filesystem::path(path).parent_path(), dir.path());
  EXPECT_EQ(std::filesystem::path(path).filename().string().substr(0, 3), "frz");
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(TestOutputFileTest, NewNameIsTestedWithoutLeavingAFile) {
  TempDir dir;
  ScriptedPrompts prompts;
  const std::string path = (dir.path() / "movie.avi").string();
  EXPECT_EQ(TestOutputFile(path), 1);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TestOutputFileTest, ExistingFileIsNeverTruncatedOrDeleted) {
  TempDir dir;
  ScriptedPrompts prompts;
  const std::filesystem::path path = dir.Write("take.JPG", "the user's picture");
  EXPECT_EQ(TestOutputFile(path.string()), 1);
  EXPECT_EQ(ReadFile(path), "the user's picture");
}

TEST(TestOutputFileTest, UnwritablePlaceIsRefusedWithTheMessage) {
  TempDir dir;
  ScriptedPrompts prompts;
  prompts.Expect(std::string(StringText(61298)), IDOK);
  EXPECT_EQ(StringText(61298),
            "Unable to output file! Make sure the destination drive/directory is not write protected and has "
            "enough space !");
  EXPECT_EQ(TestOutputFile((dir.path() / "no such folder" / "movie.avi").string()), 0);
  EXPECT_TRUE(prompts.AllShown());
  prompts.Expect(std::string(StringText(61298)), IDOK);
  EXPECT_EQ(TestOutputFile(dir.path().string()), 0);  // a folder is no output file
  EXPECT_TRUE(prompts.AllShown());
}

TEST(TestOutputFileTest, ReadOnlyFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "file modes do not bind the superuser";
  TempDir dir;
  ScriptedPrompts prompts;
  const std::filesystem::path path = dir.Write("locked.avi", "keep");
  ::chmod(path.c_str(), 0444);
  prompts.Expect(std::string(StringText(61298)), IDOK);
  EXPECT_EQ(TestOutputFile(path.string()), 0);
  EXPECT_EQ(ReadFile(path), "keep");
}

TEST(CheckPathNotInClipsTest, MatchesClipPathsInAnyLetterCase) {
  EventListSlot head = MakeDefaultTimeline(2997, 60000);
  TLEventFields fields;
  fields.directory = "/media/Shots/";
  fields.name = "Take1";
  fields.extension = ".avi";
  ASSERT_NE(InsertClip(head.get(), 1, 0, 1000, fields), nullptr);
  fields.name = "movie";
  fields.intermediateMovie = IntermediateMovie{1, 0, 1000, "im"};
  ASSERT_NE(InsertClip(head.get(), 3, 0, 1000, fields), nullptr);

  const std::string path = "/MEDIA/shots/take1.AVI";
  EXPECT_EQ(CheckPathNotInClips(path, head.get()), 0);
  EXPECT_EQ(path, "/MEDIA/shots/take1.AVI");
  EXPECT_EQ(CheckPathNotInClips("/media/Shots/Take2.avi", head.get()), 1);
  // Clips that stand for intermediate movies play no file of their own.
  EXPECT_EQ(CheckPathNotInClips("/media/Shots/movie.avi", head.get()), 1);
}

TEST(SnapToClipEdgeTest, NearestEdgeWithinSixteenMilliseconds) {
  CTestDoc doc;
  doc.head = MakeDefaultTimeline(2997, 60000);
  ASSERT_NE(InsertClip(doc.Head(), 1, 1000, 2000), nullptr);
  ASSERT_NE(InsertClip(doc.Head(), 3, 2030, 3000), nullptr);

  doc.currentPosition = 1016;  // exactly 16 ms away: no snap
  EXPECT_EQ(SnapToClipEdge(doc), 1016);
  doc.currentPosition = 1015;
  EXPECT_EQ(SnapToClipEdge(doc), 1000);
  doc.currentPosition = 2012;  // 12 ms from 2000, 18 from 2030
  EXPECT_EQ(SnapToClipEdge(doc), 2000);
  doc.currentPosition = 2020;  // 10 ms from 2030, 20 from 2000
  EXPECT_EQ(SnapToClipEdge(doc), 2030);
  doc.currentPosition = 2015;  // 15 ms from both: the first found (track 1)
  EXPECT_EQ(SnapToClipEdge(doc), 2000);
}

}  // namespace
}  // namespace sprocket

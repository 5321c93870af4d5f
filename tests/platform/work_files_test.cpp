// Work files and folders: named after the process that made them (its
// number and start time), and the leftovers of ended processes removed by
// the next one made in their place, or by the clean-up of a whole folder.

#include <gtest/gtest.h>

#include <filesystem>

#include "child_processes.h"
#include "platform/files/work_files.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;
using testing::EndedProcess;
using testing::ReusedTagOf;
using testing::SleepingChild;
using testing::TagOf;

struct Entry {
  std::string name;
  bool folder;
  bool kept;
};

void Make(const testing::TempDir& dir, const Entry& entry) {
  if (entry.folder) {
    fs::create_directories(dir / entry.name / "inner");
    dir.Write(entry.name + "/recorder.wav", "x");
  } else {
    dir.Write(entry.name, "x");
  }
}

TEST(ProcessTag, NamesParseInBothFormsAndNothingElse) {
  const auto parsed = ParseTaggedName("4242-987654-Ab12Cd");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->owner.pid, 4242);
  EXPECT_EQ(parsed->owner.startTicks, 987654u);
  EXPECT_EQ(parsed->unique, "Ab12Cd");
  const auto older = ParseTaggedName("4242-123456");  // without the start time; the unique part may be digits
  ASSERT_TRUE(older);
  EXPECT_EQ(older->owner.pid, 4242);
  EXPECT_FALSE(older->owner.startTicks);
  EXPECT_EQ(older->unique, "123456");
  for (const char* bad : {"", "4242", "4242-", "-4242-abc", "0-abc", "x42-abc", "42-1x-abc", "42-1-", "42-1-a.b",
                          "42-1-2-abc", "99999999999999999999-abc"}) {
    EXPECT_FALSE(ParseTaggedName(bad)) << bad;
  }
  EXPECT_TRUE(ProcessStartTicks(::getpid()));
  EXPECT_EQ(OwnProcessTagText(), TagOf(::getpid()));
}

TEST(WorkFiles, LeftoversOfEndedProcessesAreRemovedAndOthersKept) {
  testing::TempDir dir;
  SleepingChild sleeper;
  const std::string ended = std::to_string(EndedProcess());
  const std::string running = std::to_string(sleeper.pid());
  const std::string mine = std::to_string(::getpid());
  const Entry entries[] = {
      {".movie.avi.part-" + ended + "-abc123", false, false},
      {".movie.avi.part-" + ended + "-55-abc123", false, false},
      {".movie.avi.part-" + ReusedTagOf(sleeper.pid()) + "-abc123", false, false},
      {".movie.avi.part-" + running + "-abc123", false, true},
      {".movie.avi.part-" + TagOf(sleeper.pid()) + "-abc123", false, true},
      {".movie.avi.part-" + mine + "-abc123", false, true},
      {".movie.avi.part-" + TagOf(::getpid()) + "-abc123", false, true},
      {".other.avi.part-" + ended + "-abc123", false, true},  // another target's
      {"sprocket-job-" + ended + "-xyz789", true, false},
      {"sprocket-job-" + ReusedTagOf(::getpid()) + "-xyz789", true, false},
      {"sprocket-job-" + running + "-xyz789", true, true},
      {"sprocket-job-notanumber-xyz789", true, true},
      {"movie.avi", false, true},
  };
  for (const Entry& entry : entries) Make(dir, entry);

  std::string work;
  const int fd = CreateWorkFile((dir / "movie.avi").string(), &work);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(fs::path(work).parent_path(), dir.path());
  EXPECT_EQ(fs::path(work).filename().string().rfind(".movie.avi.part-" + TagOf(::getpid()) + "-", 0), 0u) << work;
  const std::string folder = CreateWorkFolder(dir.path().string(), kJobFolderPrefix);
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(fs::path(folder).filename().string().rfind("sprocket-job-" + TagOf(::getpid()) + "-", 0), 0u) << folder;

  for (const Entry& entry : entries) EXPECT_EQ(fs::exists(dir / entry.name), entry.kept) << entry.name;
  EXPECT_LT(CreateWorkFile(dir.path().string(), &work), 0);  // a folder is no file name
  EXPECT_TRUE(CreateWorkFolder((dir / "missing").string(), kJobFolderPrefix).empty());
}

TEST(WorkFiles, CleaningAFolderRemovesEveryTargetsLeftoversOfEndedProcessesOnly) {
  testing::TempDir dir;
  SleepingChild sleeper;
  const std::string ended = std::to_string(EndedProcess());
  const Entry entries[] = {
      {".movie.avi.part-" + ended + "-abc123", false, false},
      {".zkb1F.avi.part-" + ended + "-7-abc123", false, false},
      {".take.wav.part-" + ReusedTagOf(sleeper.pid()) + "-abc123", false, false},
      {".a.part-b.flc.part-" + ended + "-abc123", false, false},  // the last ".part-" counts
      {"sprocket-job-" + ended + "-xyz789", true, false},
      {"sprocket-job-" + TagOf(sleeper.pid()) + "-xyz789", true, true},
      {".movie.avi.part-" + TagOf(sleeper.pid()) + "-abc123", false, true},
      {".movie.avi.part-" + TagOf(::getpid()) + "-abc123", false, true},
      {"movie.avi.part-" + ended + "-abc123", false, true},  // not hidden: not a work file
      {".part-" + ended + "-abc123", false, true},           // no target
      {"sprocket-job-" + ended + "-file", false, true},      // a file is no job folder
      {"other-job-" + ended + "-xyz789", true, true},
      {".movie.avi.part-" + ended + "-abc.123", false, true},  // not a unique part
  };
  for (const Entry& entry : entries) Make(dir, entry);
  fs::create_directories(dir / "sub" / (".movie.avi.part-" + ended + "-abc123"));  // a folder is no work file
  fs::create_symlink(dir / "sub", dir / ("sprocket-job-" + ended + "-link"));

  RemoveWorkLeftoversOfEndedProcesses(dir.path().string());
  RemoveWorkLeftoversOfEndedProcesses((dir / "sub").string());

  for (const Entry& entry : entries) EXPECT_EQ(fs::exists(dir / entry.name), entry.kept) << entry.name;
  EXPECT_TRUE(fs::exists(dir / "sub" / (".movie.avi.part-" + ended + "-abc123")));
  EXPECT_TRUE(fs::is_symlink(dir / ("sprocket-job-" + ended + "-link")));  // a link is not followed nor removed
  RemoveWorkLeftoversOfEndedProcesses((dir / "missing").string());         // nothing to do, no failure
}

}  // namespace
}  // namespace sprocket

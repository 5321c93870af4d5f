// Work files and folders: named after the process that made them, and the
// leftovers of ended processes removed by the next one made in their place.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>

#include "platform/files/work_files.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;

// The number of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(WorkFiles, LeftoversOfEndedProcessesAreRemovedAndOthersKept) {
  testing::TempDir dir;
  const std::string ended = std::to_string(EndedProcess());
  const std::string running = std::to_string(::getppid());
  const std::string mine = std::to_string(::getpid());
  const struct {
    std::string name;
    bool kept;
  } entries[] = {
      {".movie.avi.part-" + ended + "-abc123", false},
      {".movie.avi.part-" + running + "-abc123", true},
      {".movie.avi.part-" + mine + "-abc123", true},
      {".other.avi.part-" + ended + "-abc123", true},  // another target's
      {"sprocket-job-" + ended + "-xyz789", false},
      {"sprocket-job-" + running + "-xyz789", true},
      {"sprocket-job-notanumber-xyz789", true},
      {"movie.avi", true},
  };
  for (const auto& entry : entries) {
    if (entry.name.rfind("sprocket-job-", 0) == 0) {
      fs::create_directories(dir / entry.name / "inner");
    } else {
      dir.Write(entry.name, "x");
    }
  }

  std::string work;
  const int fd = CreateWorkFile((dir / "movie.avi").string(), &work);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(fs::path(work).parent_path(), dir.path());
  EXPECT_EQ(fs::path(work).filename().string().rfind(".movie.avi.part-" + mine + "-", 0), 0u) << work;
  const std::string folder = CreateWorkFolder(dir.path().string(), "sprocket-job-");
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(fs::path(folder).filename().string().rfind("sprocket-job-" + mine + "-", 0), 0u) << folder;

  for (const auto& entry : entries) EXPECT_EQ(fs::exists(dir / entry.name), entry.kept) << entry.name;
  EXPECT_LT(CreateWorkFile(dir.path().string(), &work), 0);  // a folder is no file name
  EXPECT_TRUE(CreateWorkFolder((dir / "missing").string(), "sprocket-job-").empty());
}

}  // namespace
}  // namespace sprocket

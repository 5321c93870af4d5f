// A run of sprocket-render killed outright (SIGKILL) cannot remove its work
// file beside the movie nor its job folder: the next start of the program
// removes them, and keeps those of processes that still run.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "outside_tools.h"
#include "platform/files/process_tag.h"
#include "render_test_project.h"

extern char** environ;

namespace sprocket::testing {
namespace {

namespace fs = std::filesystem;

// Starts sprocket-render with `args`, its output going to `log`; 0 when it
// cannot be started.
pid_t StartRender(const std::vector<std::string>& args, const std::string& log) {
  std::vector<std::string> text{SPROCKET_RENDER_EXE};
  text.insert(text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  return spawned == 0 ? pid : 0;
}

// The names in `folder` that start with `start`.
std::vector<std::string> EntriesStartingWith(const std::string& folder, const std::string& start) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(start, 0) == 0) names.push_back(name);
  }
  return names;
}

TEST(KilledRun, TheNextStartRemovesWhatItLeftAndKeepsWhatRunningProcessesMake) {
  // Large uncompressed frames with sound: the movie takes a while to write.
  RenderTestProject project(
      "VResWidth=720\nVResHeight=480\nVCompressionType=DIB \nVReserved1=1\nVFramesPerSec=2500\n[Platform]\nFamily=2");
  fs::create_directories(project.Path("out"));
  const std::string out = project.Path("out/movie.avi");
  const pid_t pid =
      StartRender({project.Timeline(), "--out", out, "--config", project.ConfigDir(), "--range", "0,2000"},
                  project.Path("killed.log"));
  ASSERT_NE(pid, 0);
  const std::string workFile = ".movie.avi.part-" + std::to_string(pid) + "-";
  const std::string jobFolder = "sprocket-job-" + std::to_string(pid) + "-";
  // Killed once both its work file and its job folder are there.
  bool caught = false;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!caught && std::chrono::steady_clock::now() < deadline && ::waitpid(pid, &status, WNOHANG) == 0) {
    caught = !EntriesStartingWith(project.Path("out"), workFile).empty() &&
             !EntriesStartingWith(project.Path("temp"), jobFolder).empty();
    if (!caught) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(caught) << "the run ended before its work files were seen";
  ASSERT_EQ(EntriesStartingWith(project.Path("out"), workFile).size(), 1u);
  ASSERT_EQ(EntriesStartingWith(project.Path("temp"), jobFolder).size(), 1u);

  // Work of a process that runs (this one) in the same folders.
  const std::string live = ".movie.avi.part-" + OwnProcessTagText() + "-abc123";
  const std::string liveJob = "sprocket-job-" + OwnProcessTagText() + "-def456";
  std::ofstream(project.Path("out/" + live)) << "x";
  fs::create_directories(project.Path("temp/" + liveJob));

  // The next start removes the killed run's leftovers even when it renders
  // nothing (here its range is refused): the movie folder is the one the
  // settings keep for AVI movies.
  const std::string next = RunCommand(std::string(SPROCKET_RENDER_EXE) + " '" + project.Timeline() + "' --out '" +
                                      project.Path("other.wav") + "' --type wav --range 0,9000 --config '" +
                                      project.ConfigDir() + "' 2>&1; echo EXIT=$?")
                               .value_or("");
  EXPECT_NE(next.find("EXIT=1"), std::string::npos) << next;
  EXPECT_TRUE(EntriesStartingWith(project.Path("out"), workFile).empty());
  EXPECT_TRUE(EntriesStartingWith(project.Path("temp"), jobFolder).empty());
  EXPECT_TRUE(fs::exists(project.Path("out/" + live)));
  EXPECT_TRUE(fs::exists(project.Path("temp/" + liveJob)));
}

}  // namespace
}  // namespace sprocket::testing

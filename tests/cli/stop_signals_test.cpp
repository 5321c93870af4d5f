// sprocket-render ended by SIGTERM or SIGHUP at any moment of a job: from
// its start, through the sound mixdown into "recorder.wav", the rendered
// segments and the join, to the rename of the finished output. Every run
// must end with the stop code, leave no work file beside the output and no
// job folder in either temporary folder, and keep the file that held the
// output's name before; a run the signal came too late for ends written.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/render_command.h"
#include "temp_dir.h"

extern char** environ;

namespace sprocket::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEarlierOutput = "the user's earlier output";

// The moments after the start at which the signal is sent, until a run
// ends by itself before it.
constexpr int kDelaysMs[] = {0,   5,   10,  20,  35,  50,   70,   90,   120,  150, 200,
                             260, 330, 420, 550, 750, 1000, 1500, 2500, 4000, 8000};
// The delay whose run gets SIGHUP instead of SIGTERM.
constexpr int kHangUpDelayMs = 50;

struct OutputUnderTest {
  std::string type;         // --type
  std::string outName;      // --out, in the output folder
  std::string earlierName;  // the file of the output's name there before
  bool Images() const { return type == "seq"; }
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// 320 x 240 uncompressed frames at 25 a second with 16-bit stereo sound;
// the single-user family renders the timeline's segments first.
std::string SettingsText(const fs::path& temp) {
  return "[Movie]\nVFramesPerSec=2500\nVResWidth=320\nVResHeight=240\nVCompressionType=DIB \nVReserved1=1\n"
         "ABitsPerSample=16\nASamplesPerSec=22050\nAChannels=2\nFResWidth=320\nFResHeight=240\n"
         "IResWidth=320\nIResHeight=240\nIFileType=0\n[Platform]\nFamily=1\n[Temp File Dir]\nDir=" +
         temp.string() + "\n";
}

// Two seconds of the demo's shots over its tone. The first of the two
// segments was rendered before (`segment`); an AVI job renders the second
// (its sound mixed first), then mixes the movie's sound, joins the
// segments into the movie, renames it into place and removes the segment
// it made.
std::string TimelineText(const std::string& segment) {
  const std::string media = std::string(SPROCKET_SOURCE_DIR) + "/examples/media/";
  return R"({
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 2000,
  "movieRange": [0, 2000], "previewRange": [0, 2000],
  "options": { "bufferedMovie": 1 },
  "segments": [
    { "start": 0, "end": 1000, "file": ")" +
         segment + R"(",
      "pieces": [ { "id": 2500, "first": 25, "last": 64, "word4": 48, "file": "", "gridRate": 25000 } ] },
    { "start": 1000, "end": 2000 } ],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 1000, "file": ")" +
         media + R"(shot-a.avi", "playIn": 0, "playOut": 1000 },
      { "in": 1000, "out": 2000, "file": ")" +
         media + R"(shot-b.avi", "playIn": 0, "playOut": 1000 } ] },
    { "type": "A", "number": 2, "clips": [
      { "in": 0, "out": 2000, "file": ")" +
         media + R"(tone.wav", "playIn": 0, "playOut": 2000 } ] }
  ]
})";
}

struct RunResult {
  pid_t pid = 0;
  int status = 0;
  bool endedBeforeSignal = false;
};

// Starts sprocket-render with the stop signals blocked (the program lets
// them through once it handles them, so even a signal sent at once counts)
// and TMPDIR set, sends `signal` after `delayMs` unless it has ended, and
// waits for it.
RunResult RunAndSignal(const std::vector<std::string>& args, const fs::path& tmpdir, const fs::path& log, int delayMs,
                       int signal) {
  std::vector<std::string> env{"TMPDIR=" + tmpdir.string()};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("TMPDIR=", 0) != 0) env.emplace_back(*entry);
  }
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvText{SPROCKET_RENDER_EXE};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int stop : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&blocked, stop);
  posix_spawnattr_setsigmask(&attributes, &blocked);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

  RunResult result;
  const int spawned = posix_spawn(&result.pid, argv[0], &files, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    result.status = -1;
    return result;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  if (waitpid(result.pid, &result.status, WNOHANG) == result.pid) {
    result.endedBeforeSignal = true;
    return result;
  }
  kill(result.pid, signal);  // an ended child stays a zombie until waited for
  waitpid(result.pid, &result.status, 0);
  return result;
}

// A whole uncompressed bitmap: its header counts exactly the file's bytes.
bool IsWholeBitmap(const std::string& bytes) {
  if (bytes.size() < 14 || bytes.compare(0, 2, "BM") != 0) return false;
  std::uint32_t size = 0;
  for (int i = 3; i >= 0; --i) size = (size << 8) | static_cast<std::uint8_t>(bytes[2 + static_cast<std::size_t>(i)]);
  return size == bytes.size();
}

// What one run of a job left; empty when nothing is wrong. `ended` is set
// when the job ended by itself (written).
std::string CheckRun(const OutputUnderTest& kind, const fs::path& dir, const RunResult& run, bool* ended) {
  std::ostringstream problems;
  const std::string log = ReadAll(dir / "log");
  if (!WIFEXITED(run.status)) {
    problems << "did not exit (status " << run.status << ")\n";
  } else if (WEXITSTATUS(run.status) == kExitWritten) {
    *ended = true;
  } else if (WEXITSTATUS(run.status) != kExitStopped) {
    problems << "exit code " << WEXITSTATUS(run.status) << "\n";
  }
  // No work file beside the output; the earlier output as it was, unless
  // the job was written. The images written before a stop stay, each whole.
  for (const auto& entry : fs::directory_iterator(dir / "out")) {
    const std::string name = entry.path().filename().string();
    const std::string bytes = ReadAll(entry.path());
    if (name.front() == '.') {
      problems << "work file left: " << name << "\n";
    } else if (kind.Images()) {
      if (bytes != kEarlierOutput && !IsWholeBitmap(bytes)) problems << "partial image: " << name << "\n";
    } else if (!*ended && bytes != kEarlierOutput) {
      problems << "the earlier " << name << " was replaced\n";
    }
  }
  if (*ended && ReadAll(dir / "out" / kind.earlierName) == kEarlierOutput) {
    problems << "written, but " << kind.earlierName << " is the earlier file\n";
  }
  // Neither temporary folder keeps a job folder, a mixdown or a segment.
  for (const char* folder : {"tmp", "temp"}) {
    for (const auto& entry : fs::directory_iterator(dir / folder)) {
      problems << "left in " << folder << ": " << entry.path().filename().string() << "\n";
    }
  }
  if (!problems.str().empty()) problems << "pid " << run.pid << ", output:\n" << log;
  return problems.str();
}

// Runs the job of one output kind with the signal at each delay in turn,
// until a run ends by itself; the problems of every run.
std::string StopAtEveryMoment(const OutputUnderTest& kind, const fs::path& root, const std::string& timeline) {
  std::ostringstream problems;
  bool ended = false;
  int stopped = 0;
  for (const int delayMs : kDelaysMs) {
    const fs::path dir = root / (kind.type + "-" + std::to_string(delayMs));
    for (const char* folder : {"config", "temp", "tmp", "out"}) fs::create_directories(dir / folder);
    std::ofstream(dir / "config" / "RODUVER.INI") << SettingsText(dir / "temp");
    std::ofstream(dir / "out" / kind.earlierName) << kEarlierOutput;
    const int signal = delayMs == kHangUpDelayMs ? SIGHUP : SIGTERM;
    const RunResult run = RunAndSignal({timeline, "--type", kind.type, "--out", (dir / "out" / kind.outName).string(),
                                        "--config", (dir / "config").string()},
                                       dir / "tmp", dir / "log", delayMs, signal);
    if (run.status == -1) return "sprocket-render could not be started\n";
    const std::string found = CheckRun(kind, dir, run, &ended);
    if (!found.empty()) problems << kind.type << " at " << delayMs << " ms: " << found << "\n";
    if (ended) break;
    ++stopped;
  }
  if (!ended) problems << kind.type << ": no run ended by itself\n";
  // The job lasts long enough to be stopped at its start and on its way.
  if (stopped < 3) problems << kind.type << ": only " << stopped << " runs were stopped\n";
  return problems.str();
}

TEST(StopSignals, AJobEndedAtAnyMomentLeavesNothingAndKeepsTheEarlierOutput) {
  TempDir root;
  const std::string timeline = (root / "stops.tle").string();
  const fs::path segment = root / "zkbA.avi";
  fs::copy_file(std::string(SPROCKET_SOURCE_DIR) + "/examples/media/shot-a.avi", segment);
  std::ofstream(timeline) << TimelineText(segment.string());
  const std::vector<OutputUnderTest> kinds{{"avi", "movie.avi", "movie.avi"},
                                           {"flc", "movie.flc", "movie.flc"},
                                           {"seq", "shot", "shot0003.BMP"},
                                           {"wav", "sound.wav", "sound.wav"}};
  std::vector<std::future<std::string>> runs;
  for (const OutputUnderTest& kind : kinds) {
    runs.push_back(std::async(std::launch::async, StopAtEveryMoment, kind, root / "runs", timeline));
  }
  for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].get(), "") << kinds[i].type;
}

}  // namespace
}  // namespace sprocket::testing

// A render job ended by a termination request (the process is asked to
// end) keeps nothing unfinished: the movie being written is discarded and
// the file of its name stays as it was, where a stop would keep the frames
// written so far.

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "job_test_fixture.h"
#include "platform/message_pump.h"
#include "render/output/movie_join_binding.h"

namespace sprocket::testing {
namespace {

namespace fs = std::filesystem;

struct TerminatedCase {
  const char* what;
  OutputKind kind;
  const char* name;
  bool sound;           // the AVI's sound is mixed first
  int terminateAtPump;  // the pump call that asks for the termination
};

const TerminatedCase kCases[] = {
    {"AviWhileFramesAreWritten", OutputKind::kAvi, "m.avi", false, 5},
    {"AviWhileItsSoundIsMixed", OutputKind::kAvi, "m.avi", true, 3},
    {"FlcWhileFramesAreWritten", OutputKind::kFlic, "m.flc", false, 5},
    {"WavWhileItsSoundIsMixed", OutputKind::kWav, "s.wav", false, 5},
};

class JobTermination : public RenderJobTest, public ::testing::WithParamInterface<TerminatedCase> {
protected:
  JobTermination() { join = LibraryMovieJoin(); }
  // The job over `path` with the termination asked by `terminate` at the
  // case's pump: failed, stopped, and nothing left but the earlier file.
  // `terminate` null: the termination was asked before the job.
  void ExpectTerminatedJob(const std::string& path, const std::function<void()>& terminate);
};

void JobTermination::ExpectTerminatedJob(const std::string& path, const std::function<void()>& terminate) {
  const TerminatedCase& c = GetParam();
  int pumps = 0;
  SetPumpHook([&] {
    if (++pumps == c.terminateAtPump && terminate) terminate();
  });
  // The AVI's join says it stopped before writing a frame; the others stop quietly.
  if (c.kind == OutputKind::kAvi && !c.sound)
    prompts.Expect("Movie/Preview stopped! \n Frames compiled: 0 \nOutput File: " + path);

  EXPECT_EQ(Run(RenderJob{0, 0, 10000, c.kind, path}), kRenderJobFailed);
  SetPumpHook({});
  EXPECT_TRUE(runner->Stopped());
  // Stopped at the pump that asked, or at the first one.
  EXPECT_EQ(pumps >= c.terminateAtPump, terminate != nullptr) << pumps;
  EXPECT_TRUE(prompts.AllShown());
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(bytes.str(), "the user's earlier file");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path() / "out"), {}), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), {}), 1);  // no scratch folder
}

TEST_P(JobTermination, DiscardsTheOutputAndKeepsTheEarlierFile) {
  const TerminatedCase& c = GetParam();
  Movie().VReserved1 = c.sound ? 1 : 0;
  temp.Write(std::string("out/") + c.name, "the user's earlier file");
  ExpectTerminatedJob(Path(std::string("out/") + c.name), [] { RequestTermination(); });
}

// A termination signal asks the process to end: the job under way ends as
// for a termination of the job, and so does every job started after it.
TEST_P(JobTermination, AProcessTerminationStopsTheJobAndEveryLaterOne) {
  const TerminatedCase& c = GetParam();
  Movie().VReserved1 = c.sound ? 1 : 0;
  temp.Write(std::string("out/") + c.name, "the user's earlier file");
  const std::string path = Path(std::string("out/") + c.name);
  struct Cleared {
    ~Cleared() { ClearProcessTermination(); }
  } cleared;
  ExpectTerminatedJob(path, [] { RequestProcessTermination(SIGTERM); });
  ASSERT_EQ(ProcessTerminationSignal(), SIGTERM);
  ExpectTerminatedJob(path, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Outputs, JobTermination, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TerminatedCase>& info) { return info.param.what; });

}  // namespace
}  // namespace sprocket::testing

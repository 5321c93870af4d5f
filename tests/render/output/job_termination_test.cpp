// A render job ended by a termination request (the process is asked to
// end) keeps nothing unfinished: the movie being written is discarded and
// the file of its name stays as it was, where a stop would keep the frames
// written so far.

#include <filesystem>
#include <fstream>
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
};

TEST_P(JobTermination, DiscardsTheOutputAndKeepsTheEarlierFile) {
  const TerminatedCase& c = GetParam();
  Movie().VReserved1 = c.sound ? 1 : 0;
  temp.Write(std::string("out/") + c.name, "the user's earlier file");
  const std::string path = Path(std::string("out/") + c.name);
  int pumps = 0;
  SetPumpHook([&] {
    if (++pumps == c.terminateAtPump) RequestTermination();
  });
  // The AVI's join says it stopped before writing a frame; the others stop quietly.
  if (c.kind == OutputKind::kAvi && !c.sound)
    prompts.Expect("Movie/Preview stopped! \n Frames compiled: 0 \nOutput File: " + path);

  EXPECT_EQ(Run(RenderJob{0, 0, 10000, c.kind, path}), kRenderJobFailed);
  EXPECT_TRUE(runner->Stopped());
  EXPECT_GE(pumps, c.terminateAtPump);
  EXPECT_TRUE(prompts.AllShown());
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(bytes.str(), "the user's earlier file");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path() / "out"), {}), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), {}), 1);  // no scratch folder
}

INSTANTIATE_TEST_SUITE_P(Outputs, JobTermination, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TerminatedCase>& info) { return info.param.what; });

}  // namespace
}  // namespace sprocket::testing

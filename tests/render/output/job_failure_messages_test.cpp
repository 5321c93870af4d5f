// Failures of every output of the render job, forced for real (a path that
// cannot be created, a full disk, a compressor or format that is refused, a
// size or rate no output makes): the job fails with a message that names
// the real cause (the drive or disk only when a file itself failed), and no
// file is left behind or changed.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "file_size_limit.h"
#include "job_test_fixture.h"
#include "render/output/movie_join_binding.h"

namespace sprocket::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEarlierFile = "the user's earlier file";

constexpr const char* kCreateAvi = "Error create AVI file! Make sure the drive you select is accessible.";
constexpr const char* kDiskFull = "Error writing frames. You may have run out of disk space!";
constexpr const char* kCreateFlc = "Failed to Create Flic file! Make sure the drive you select is accessible. ";
constexpr const char* kSaveImage = "Failed to save Image file! Make sure the drive you select is accessible.";
constexpr const char* kCreateWav = "Error create WAV file! Make sure the drive you select is accessible.";
constexpr const char* kTooLarge = "The output size 9000X24 is too large! At most 8192X8192 can be made.";
constexpr const char* kTooFast = "The frame rate of 1000.00 frames per second is too high! At most 120 can be made.";

// Where a case writes: "out/<name>" unless the case says otherwise.
enum class Place {
  kOutFolder,      // out/<name>, beside an earlier file of that name
  kUnderAFile,     // out/<name>/<name>, where out/<name> is a file
  kMissingFolder,  // out/missing/<name>
  kFullDevice      // out/<name>, a link to /dev/full (a device is written directly)
};

struct FailureCase {
  const char* what;
  OutputKind kind;
  const char* name;
  Place place;
  std::function<void(MovieSettings&)> settings;
  std::uint64_t fileSizeLimit;  // 0: none; else writes past it fail as on a full disk
  const char* message;
};

void Nothing(MovieSettings&) {}

// Ten seconds of frames at 25 a second: 250 uncompressed pictures of 32 x 24
// or sound of 22050 Hz are several times the file-size limits below.
constexpr std::int32_t kRangeEndMs = 10000;

const FailureCase kCases[] = {
    {"AVI under a file", OutputKind::kAvi, "m.avi", Place::kUnderAFile, Nothing, 0, kCreateAvi},
    {"AVI in a missing folder", OutputKind::kAvi, "m.avi", Place::kMissingFolder, Nothing, 0, kCreateAvi},
    {"AVI on a full disk", OutputKind::kAvi, "m.avi", Place::kOutFolder, Nothing, 64 * 1024, kDiskFull},
    {"AVI sound on a full disk", OutputKind::kAvi, "m.avi", Place::kOutFolder,
     [](MovieSettings& m) { m.VReserved1 = 1; }, 16 * 1024, "Error writing frames!"},
    {"AVI without its compressor", OutputKind::kAvi, "m.avi", Place::kOutFolder,
     [](MovieSettings& m) { m.VCompressionType = "IV50"; }, 0, "Error open compressor!"},
    {"AVI too large", OutputKind::kAvi, "m.avi", Place::kOutFolder, [](MovieSettings& m) { m.VResWidth = 9000; }, 0,
     kTooLarge},
    {"AVI too fast", OutputKind::kAvi, "m.avi", Place::kOutFolder, [](MovieSettings& m) { m.VFramesPerSec = 1000.0f; },
     0, kTooFast},

    {"FLC under a file", OutputKind::kFlic, "m.flc", Place::kUnderAFile, Nothing, 0, kCreateFlc},
    {"FLC in a missing folder", OutputKind::kFlic, "m.flc", Place::kMissingFolder, Nothing, 0, kCreateFlc},
    {"FLC on a full disk", OutputKind::kFlic, "m.flc", Place::kOutFolder, Nothing, 16 * 1024, kDiskFull},
    {"FLC of another extension", OutputKind::kFlic, "m.gif", Place::kOutFolder, Nothing, 0,
     "Output format not supported!"},
    {"FLC too large", OutputKind::kFlic, "m.flc", Place::kOutFolder, [](MovieSettings& m) { m.FResWidth = 9000; }, 0,
     kTooLarge},
    {"FLC too fast", OutputKind::kFlic, "m.flc", Place::kOutFolder, [](MovieSettings& m) { m.VFramesPerSec = 1000.0f; },
     0, kTooFast},

    {"images under a file", OutputKind::kImageSequence, "s", Place::kUnderAFile, Nothing, 0, kSaveImage},
    {"images in a missing folder", OutputKind::kImageSequence, "s", Place::kMissingFolder, Nothing, 0, kSaveImage},
    {"images on a full disk", OutputKind::kImageSequence, "s", Place::kOutFolder, Nothing, 1024, kSaveImage},
    {"images of an unknown type", OutputKind::kImageSequence, "s", Place::kOutFolder,
     [](MovieSettings& m) { m.IFileType = 9; }, 0, "Output format not supported!"},
    {"images too large", OutputKind::kImageSequence, "s", Place::kOutFolder,
     [](MovieSettings& m) { m.IResWidth = 9000; }, 0, kTooLarge},
    {"images too fast", OutputKind::kImageSequence, "s", Place::kOutFolder,
     [](MovieSettings& m) { m.VFramesPerSec = 1000.0f; }, 0, kTooFast},

    {"WAV under a file", OutputKind::kWav, "s.wav", Place::kUnderAFile, Nothing, 0, kCreateWav},
    {"WAV in a missing folder", OutputKind::kWav, "s.wav", Place::kMissingFolder, Nothing, 0, kCreateWav},
    {"WAV on a full disk", OutputKind::kWav, "s.wav", Place::kOutFolder, Nothing, 16 * 1024, "Error writing frames!"},
    {"WAV on a full device", OutputKind::kWav, "s.wav", Place::kFullDevice, Nothing, 0, kDiskFull},
    {"WAV of 24-bit sound", OutputKind::kWav, "s.wav", Place::kOutFolder,
     [](MovieSettings& m) { m.ABitsPerSample = 24; }, 0, "The sound format of the output is not supported."},
};

// Every file under a folder with its bytes, as "name: bytes" lines.
std::string Snapshot(const fs::path& folder) {
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::ostringstream bytes;
    if (entry.is_symlink()) {
      bytes << "-> " << fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    }
    lines.push_back(fs::relative(entry.path(), folder).string() + ": " + bytes.str());
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class JobFailureMessages : public RenderJobTest, public ::testing::WithParamInterface<FailureCase> {
protected:
  JobFailureMessages() { join = LibraryMovieJoin(); }

  // The output path of a case, with the earlier file, the blocking file or
  // the device link in place.
  std::string Prepare(const FailureCase& c) {
    const std::string name = c.name;
    fs::create_directories(temp.path() / "out");
    if (c.place == Place::kFullDevice) {
      fs::create_symlink("/dev/full", temp.path() / "out" / name);
    } else {
      temp.Write("out/" + name, kEarlierFile);
    }
    switch (c.place) {
      case Place::kOutFolder:
      case Place::kFullDevice:
        return Path("out/" + name);
      case Place::kUnderAFile:
        return Path("out/" + name + "/" + name);
      case Place::kMissingFolder:
        break;
    }
    return Path("out/missing/" + name);
  }
};

TEST_P(JobFailureMessages, SayTheirCauseFailTheJobAndLeaveNothing) {
  const FailureCase& c = GetParam();
  const std::string path = Prepare(c);
  c.settings(Movie());
  if (c.kind == OutputKind::kImageSequence) TheApp().imageSequenceBasePath = path;
  const std::string before = Snapshot(temp.path() / "out");

  prompts.Expect(c.message);
  int result = 0;
  {
    std::optional<ScopedFileSizeLimit> limit;
    if (c.fileSizeLimit != 0) {
      limit.emplace(c.fileSizeLimit);
      ASSERT_TRUE(limit->Active());
    }
    result = Run(RenderJob{0, 0, kRangeEndMs, c.kind, path});
  }
  EXPECT_EQ(result, kRenderJobFailed);
  EXPECT_EQ(prompts.texts(), std::vector<std::string>{c.message});
  // The earlier file as it was, and nothing new: no image, work file or
  // partial movie; the job's scratch folder is gone.
  EXPECT_EQ(Snapshot(temp.path() / "out"), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), {}), 1) << Snapshot(temp.path());
}

std::string CaseName(const ::testing::TestParamInfo<FailureCase>& info) {
  std::string name;
  bool upper = true;
  for (const char* p = info.param.what; *p != '\0'; ++p) {
    if (std::isalnum(static_cast<unsigned char>(*p)) == 0) {
      upper = true;
      continue;
    }
    name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*p))) : *p;
    upper = false;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryOutput, JobFailureMessages, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace sprocket::testing

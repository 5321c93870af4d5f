// sprocket-render over damaged input: every timeline of the fuzz corpus and
// every timeline that once crashed a reader; and clips of every media file
// of the fuzz corpora and their crash inputs; each whole, cut short and with
// damaged bytes. Each
// render ends with exit code 0, 1 or 2 (written, refused, stopped): never by
// a signal, an abort or a sanitizer's report (under the sanitized build).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "outside_tools.h"
#include "temp_dir.h"

namespace sprocket::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kFuzzDir = fs::path(SPROCKET_SOURCE_DIR) / "fuzz";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The file whole, cut to a half and to a fifth, and with every 13th byte
// past the first 8 inverted (headers keep their magic, counts and sizes
// turn wild).
std::vector<std::pair<std::string, std::string>> DamagedVersions(const std::string& bytes) {
  std::string flipped = bytes;
  for (std::size_t i = 8; i < flipped.size(); i += 13) flipped[i] = static_cast<char>(~flipped[i]);
  return {{"whole", bytes},
          {"half", bytes.substr(0, bytes.size() / 2)},
          {"fifth", bytes.substr(0, bytes.size() / 5)},
          {"flipped", flipped}};
}

// Small, quick movies with sound, in a settings folder of their own.
void WriteSettings(const fs::path& config, const fs::path& temp) {
  fs::create_directories(config);
  fs::create_directories(temp);
  std::ofstream(config / "RODUVER.INI")
      << "[Movie]\nVFramesPerSec=1000\nVResWidth=32\nVResHeight=24\nVCompressionType=DIB \nVReserved1=1\n"
         "ABitsPerSample=16\nASamplesPerSec=11025\nAChannels=2\n[Temp File Dir]\nDir="
      << temp.string() << "\n";
}

// Renders a timeline to an AVI file in `dir`; the exit code as the shell
// tells it (128 + the signal for a killed run), or -1 when it cannot run.
int RenderExitCode(const fs::path& timeline, const fs::path& dir) {
  WriteSettings(dir / "config", dir / "temp");
  const std::string command = std::string(SPROCKET_RENDER_EXE) + " '" + timeline.string() + "' --out '" +
                              (dir / "out.avi").string() + "' --config '" + (dir / "config").string() +
                              "' --yes >/dev/null 2>&1 </dev/null; echo $?";
  const std::optional<std::string> output = RunCommand(command);
  if (!output || output->empty()) return -1;
  return std::stoi(*output);
}

// The exit code of every timeline's render, four at a time.
std::vector<int> ExitCodes(const std::vector<fs::path>& timelines, const fs::path& work) {
  std::vector<int> codes;
  constexpr std::size_t kAtOnce = 4;
  for (std::size_t first = 0; first < timelines.size(); first += kAtOnce) {
    std::vector<std::future<int>> runs;
    const std::size_t end = std::min(timelines.size(), first + kAtOnce);
    for (std::size_t i = first; i < end; ++i) {
      runs.push_back(std::async(std::launch::async, RenderExitCode, timelines[i], work / ("run" + std::to_string(i))));
    }
    for (std::future<int>& run : runs) codes.push_back(run.get());
  }
  return codes;
}

// The timelines whose render did not end with 0, 1 or 2, with the code.
std::string OutsideZeroToTwo(const std::vector<fs::path>& timelines, const std::vector<int>& codes) {
  std::ostringstream bad;
  for (std::size_t i = 0; i < timelines.size(); ++i) {
    if (codes[i] < 0 || codes[i] > 2) bad << timelines[i].filename().string() << ": exit " << codes[i] << "\n";
  }
  return bad.str();
}

TEST(DamagedInput, CorpusAndCrashTimelinesRenderOrAreRefused) {
  TempDir dir;
  std::vector<fs::path> timelines;
  std::vector<fs::path> sources = FilesIn(kFuzzDir / "corpus" / "timeline_file");
  const std::vector<fs::path> crashes = FilesIn(kFuzzDir / "crashes" / "timeline_file");
  ASSERT_FALSE(sources.empty());
  ASSERT_FALSE(crashes.empty());
  sources.insert(sources.end(), crashes.begin(), crashes.end());
  for (const fs::path& source : sources) {
    for (const auto& [version, bytes] : DamagedVersions(ReadAll(source))) {
      // Beside the corpus file's folder layout: relative media paths miss.
      const fs::path copy = dir / (version + "-" + source.filename().string());
      WriteAll(copy, bytes);
      timelines.push_back(copy);
    }
  }
  EXPECT_EQ(OutsideZeroToTwo(timelines, ExitCodes(timelines, dir.path())), "");
}

// A timeline of one clip of `media` on a video or a sound track.
std::string ClipTimeline(const fs::path& media, bool sound) {
  return std::string(R"({ "format": "sprocket-timeline", "version": 1, "rate": 1000, "duration": 300,
    "movieRange": [0, 300], "previewRange": [0, 300],
    "tracks": [ { "type": ")") +
         (sound ? "A" : "V") + R"(", "number": 1, "clips": [
      { "in": 0, "out": 300, "file": ")" +
         media.string() + R"(", "playIn": 0, "playOut": 300 } ] } ] })";
}

TEST(DamagedInput, ClipsOfDamagedMediaRenderOrAreRefused) {
  TempDir dir;
  struct Corpus {
    const char* name;
    bool sound;
  };
  std::vector<fs::path> timelines;
  std::vector<std::size_t> undamaged;  // the timelines of whole files
  for (const Corpus corpus : {Corpus{"avi_index", false}, Corpus{"flic", false}, Corpus{"tga", false},
                              Corpus{"still_image", false}, Corpus{"wav", true}, Corpus{"clip_sound", true}}) {
    std::vector<fs::path> files = FilesIn(kFuzzDir / "corpus" / corpus.name);
    ASSERT_FALSE(files.empty()) << corpus.name;
    const std::vector<fs::path> crashes = FilesIn(kFuzzDir / "crashes" / corpus.name);
    files.insert(files.end(), crashes.begin(), crashes.end());
    for (const fs::path& source : files) {
      for (const auto& [version, bytes] : DamagedVersions(ReadAll(source))) {
        const std::string stem = std::string(corpus.name) + "-" + version + "-" + source.filename().string();
        WriteAll(dir / stem, bytes);
        const fs::path timeline = dir / (stem + ".tle");
        std::ofstream(timeline) << ClipTimeline(dir / stem, corpus.sound);
        if (version == "whole" && source.parent_path().parent_path().filename() == "corpus") {
          undamaged.push_back(timelines.size());
        }
        timelines.push_back(timeline);
      }
    }
  }
  const std::vector<int> codes = ExitCodes(timelines, dir.path());
  EXPECT_EQ(OutsideZeroToTwo(timelines, codes), "");
  // The renders are real: the clips of whole files make movies.
  for (const std::size_t i : undamaged) EXPECT_EQ(codes[i], 0) << timelines[i].filename().string();
}

}  // namespace
}  // namespace sprocket::testing

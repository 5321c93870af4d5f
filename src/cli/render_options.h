#pragma once
// Command line of sprocket-render:
//   sprocket-render TIMELINE.tle --out PATH [--type avi|flc|seq|wav] [--preview]
//                   [--range START,END] [--yes] [--config DIR] [--one-thread]

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sprocket {

enum class OutputType { kAvi, kFlc, kImageSequence, kWav };

struct RenderOptions {
  std::string timeline;
  std::string out;  // for image sequences: folder + file prefix
  OutputType type = OutputType::kAvi;
  bool preview = false;                    // use the preview settings record
  std::optional<std::int32_t> rangeStart;  // ms
  std::optional<std::int32_t> rangeEnd;    // ms
  bool answerYes = false;                  // questions take Yes/OK instead of their default
  std::string configDir;                   // folder of RODUVER.INI
  bool oneThread = false;                  // frames one at a time on one thread
  bool help = false;
};

// Exit codes of sprocket-render.
inline constexpr int kExitWritten = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitStopped = 2;

struct ParseResult {
  std::optional<RenderOptions> options;
  std::string error;  // set when options is empty
};

ParseResult ParseRenderOptions(const std::vector<std::string>& args);
std::string RenderUsage();

}  // namespace sprocket

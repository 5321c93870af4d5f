#include "cli/render_options.h"

#include <charconv>
#include <limits>

namespace sprocket {

namespace {

std::optional<std::int32_t> ParseMs(std::string_view text) {
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < 0 || value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<OutputType> ParseType(std::string_view text) {
  if (text == "avi") return OutputType::kAvi;
  if (text == "flc") return OutputType::kFlc;
  if (text == "seq") return OutputType::kImageSequence;
  if (text == "wav") return OutputType::kWav;
  return std::nullopt;
}

ParseResult Fail(std::string error) { return ParseResult{std::nullopt, std::move(error)}; }

}  // namespace

std::string RenderUsage() {
  return "Usage: sprocket-render TIMELINE.tle --out PATH [--type avi|flc|seq|wav] [--preview]\n"
         "                       [--range START,END] [--yes] [--config DIR] [--one-thread]\n"
         "\n"
         "Renders the movie range of a timeline file without a window.\n"
         "  --out PATH         output file (for seq: folder and file prefix)\n"
         "  --type TYPE        avi (default), flc, seq (image sequence) or wav\n"
         "  --preview          use the preview settings instead of the movie settings\n"
         "  --range START,END  render this range (milliseconds) instead of the movie range\n"
         "  --yes              answer Yes/OK to every question\n"
         "  --config DIR       folder holding RODUVER.INI\n"
         "  --one-thread       make the frames one at a time on one thread (the same output, slower)\n"
         "Exit codes: 0 output written, 1 failure or refusal, 2 stopped (Ctrl-C keeps the frames made\n"
         "so far; SIGTERM and SIGHUP keep nothing unfinished and leave a file of the output's name as it was).\n";
}

ParseResult ParseRenderOptions(const std::vector<std::string>& args) {
  RenderOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--out") {
      auto v = value();
      if (!v || v->empty()) return Fail("--out needs a path");
      options.out = *v;
    } else if (arg == "--type") {
      auto v = value();
      std::optional<OutputType> type = v ? ParseType(*v) : std::nullopt;
      if (!type) return Fail("--type must be avi, flc, seq or wav");
      options.type = *type;
    } else if (arg == "--preview") {
      options.preview = true;
    } else if (arg == "--range") {
      auto v = value();
      std::size_t comma = v ? v->find(',') : std::string::npos;
      if (comma == std::string::npos) return Fail("--range needs START,END in milliseconds");
      auto start = ParseMs(std::string_view(*v).substr(0, comma));
      auto end = ParseMs(std::string_view(*v).substr(comma + 1));
      if (!start || !end || *end <= *start) return Fail("--range needs START,END with 0 <= START < END");
      options.rangeStart = start;
      options.rangeEnd = end;
    } else if (arg == "--one-thread") {
      options.oneThread = true;
    } else if (arg == "--yes") {
      options.answerYes = true;
    } else if (arg == "--config") {
      auto v = value();
      if (!v || v->empty()) return Fail("--config needs a folder");
      options.configDir = *v;
    } else if (!arg.empty() && arg[0] == '-') {
      return Fail("unknown option " + arg);
    } else if (options.timeline.empty()) {
      options.timeline = arg;
    } else {
      return Fail("only one timeline file can be rendered at a time");
    }
  }
  if (options.help) return ParseResult{options, {}};
  if (options.timeline.empty()) return Fail("no timeline file given");
  if (options.out.empty()) return Fail("no output given (--out PATH)");
  return ParseResult{options, {}};
}

}  // namespace sprocket

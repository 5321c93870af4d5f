#include "platform/files/process_tag.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

namespace sprocket {

namespace {

// The field of /proc/<pid>/stat that holds the start time, counted from
// the state field that follows the command name ("(...)").
constexpr int kStartTimeAfterState = 19;

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

bool IsUniquePart(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::optional<std::uint64_t> ProcessStartTicks(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The command name may hold spaces and parentheses: the fields start
  // after its last ')'.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int i = 0; i <= kStartTimeAfterState; ++i) {
    if (!(fields >> field)) return std::nullopt;
  }
  return ParseNumber<std::uint64_t>(field);
}

std::string OwnProcessTagText() {
  const pid_t pid = ::getpid();
  const std::optional<std::uint64_t> start = ProcessStartTicks(pid);
  return std::to_string(pid) + (start ? "-" + std::to_string(*start) : std::string());
}

std::optional<TaggedName> ParseTaggedName(std::string_view text) {
  const std::size_t first = text.find('-');
  if (first == std::string_view::npos) return std::nullopt;
  const std::optional<pid_t> pid = ParseNumber<pid_t>(text.substr(0, first));
  if (!pid || *pid <= 0) return std::nullopt;
  TaggedName name{ProcessTag{*pid, std::nullopt}, text.substr(first + 1)};
  if (const std::size_t second = name.unique.find('-'); second != std::string_view::npos) {
    name.owner.startTicks = ParseNumber<std::uint64_t>(name.unique.substr(0, second));
    if (!name.owner.startTicks) return std::nullopt;
    name.unique = name.unique.substr(second + 1);
  }
  if (!IsUniquePart(name.unique)) return std::nullopt;
  return name;
}

bool OwnerMayRun(const ProcessTag& owner) {
  if (::kill(owner.pid, 0) != 0 && errno == ESRCH) return false;
  if (!owner.startTicks) return true;
  const std::optional<std::uint64_t> start = ProcessStartTicks(owner.pid);
  return !start || *start == *owner.startTicks;
}

}  // namespace sprocket

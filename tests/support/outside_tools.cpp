#include "outside_tools.h"

#include <sys/wait.h>
#include <array>
#include <cstdio>

namespace sprocket::testing {

bool ToolAvailable(const std::string& name) {
  return RunCommand("command -v " + name + " >/dev/null 2>&1").has_value();
}

std::optional<std::string> RunCommand(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  std::array<char, 65536> buffer{};
  std::size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), got);
  const int status = ::pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

}  // namespace sprocket::testing

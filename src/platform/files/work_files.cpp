#include "platform/files/work_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace sprocket {

namespace {

namespace fs = std::filesystem;

std::string Tag(const std::string& prefix) { return prefix + std::to_string(::getpid()) + "-"; }

// True when the process of that number still runs (or may: we cannot tell).
bool ProcessRuns(pid_t pid) {
  if (pid == ::getpid()) return true;
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

// The process number in `name` right after `prefix` and before a '-', or 0.
pid_t OwnerOf(const std::string& name, const std::string& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  const char* begin = name.data() + prefix.size();
  const char* end = name.data() + name.size();
  long pid = 0;
  const auto [stop, error] = std::from_chars(begin, end, pid);
  if (error != std::errc() || stop == begin || stop == end || *stop != '-' || pid <= 0) return 0;
  return static_cast<pid_t>(pid);
}

std::vector<char> Pattern(const fs::path& path) {
  const std::string text = path.string();
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

}  // namespace

void RemoveLeftoversOfEndedProcesses(const std::string& folder, const std::string& prefix) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
    const pid_t owner = OwnerOf(entry.path().filename().string(), prefix);
    if (owner != 0 && !ProcessRuns(owner)) {
      std::error_code ignored;
      fs::remove_all(entry.path(), ignored);
    }
  }
}

int CreateWorkFile(const std::string& target, std::string* workPath) {
  const fs::path path(target);
  std::error_code ec;
  if (target.empty() || !path.has_filename() || fs::is_directory(path, ec)) {
    errno = EISDIR;
    return -1;
  }
  const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
  const std::string prefix = "." + path.filename().string() + ".part-";
  RemoveLeftoversOfEndedProcesses(folder.string(), prefix);
  std::vector<char> name = Pattern(folder / (Tag(prefix) + "XXXXXX"));
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  ::fchmod(fd, 0644);
  *workPath = name.data();
  return fd;
}

std::string CreateWorkFolder(const std::string& parent, const std::string& prefix) {
  if (parent.empty()) return {};
  RemoveLeftoversOfEndedProcesses(parent, prefix);
  std::vector<char> name = Pattern(fs::path(parent) / (Tag(prefix) + "XXXXXX"));
  if (::mkdtemp(name.data()) == nullptr) return {};
  return name.data();
}

}  // namespace sprocket

#include "platform/files/work_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/files/process_tag.h"

namespace sprocket {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kWorkFileMark = ".part-";

std::string Tag(const std::string& prefix) { return prefix + OwnProcessTagText() + "-"; }

// True when `name` is `prefix` + a process tag + a unique part and that
// process has surely ended.
bool LeftByEndedProcess(const std::string& name, std::string_view prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::optional<TaggedName> tagged = ParseTaggedName(std::string_view(name).substr(prefix.size()));
  return tagged && !OwnerMayRun(tagged->owner);
}

// The prefix of a work file's name (".<target>.part-"), or empty when
// `name` is not one.
std::string_view WorkFilePrefix(std::string_view name) {
  const std::size_t mark = name.rfind(kWorkFileMark);
  if (name.empty() || name.front() != '.' || mark == std::string_view::npos || mark < 2) return {};
  return name.substr(0, mark + kWorkFileMark.size());
}

enum class EntryKind { kAny, kFile, kFolder };

// True when the entry (not followed through a link) is of this user and of
// the wanted kind.
bool IsOwnEntry(const fs::path& path, EntryKind kind) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || status.st_uid != ::geteuid()) return false;
  switch (kind) {
    case EntryKind::kFile:
      return S_ISREG(status.st_mode);
    case EntryKind::kFolder:
      return S_ISDIR(status.st_mode);
    case EntryKind::kAny:
      break;
  }
  return true;
}

void RemoveEntry(const fs::path& path) {
  std::error_code ignored;
  fs::remove_all(path, ignored);
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
    if (LeftByEndedProcess(entry.path().filename().string(), prefix) && IsOwnEntry(entry.path(), EntryKind::kAny)) {
      RemoveEntry(entry.path());
    }
  }
}

void RemoveWorkLeftoversOfEndedProcesses(const std::string& folder) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
    const std::string name = entry.path().filename().string();
    const std::string_view workPrefix = WorkFilePrefix(name);
    const bool workFile = !workPrefix.empty() && LeftByEndedProcess(name, workPrefix);
    const bool jobFolder = !workFile && LeftByEndedProcess(name, kJobFolderPrefix);
    if ((workFile || jobFolder) && IsOwnEntry(entry.path(), workFile ? EntryKind::kFile : EntryKind::kFolder)) {
      RemoveEntry(entry.path());
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
  const std::string prefix = "." + path.filename().string() + std::string(kWorkFileMark);
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

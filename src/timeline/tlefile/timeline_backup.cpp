#include "timeline/tlefile/timeline_backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <system_error>

#include "platform/file_paths.h"
#include "platform/system_info.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

namespace {

constexpr std::string_view kBackupPrefix = "sprocket-backup-";
constexpr std::string_view kBackupExtension = ".tle";

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

// "sprocket-backup-UID-PID-": the start of every backup name of a process.
std::string ProcessBackupPrefix(unsigned uid, int pid) {
  return std::string(kBackupPrefix) + std::to_string(uid) + "-" + std::to_string(pid) + "-";
}

std::string OwnBackupName(std::string_view tag) {
  return ProcessBackupPrefix(::getuid(), ::getpid()) + std::string(tag) + std::string(kBackupExtension);
}

// The user and process of a backup's file name; nothing for other names.
struct BackupOwner {
  unsigned uid = 0;
  int pid = 0;
};

bool ReadNumber(std::string_view& text, auto& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data() || end == text.data() + text.size() || *end != '-') return false;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
  return true;
}

std::optional<BackupOwner> ParseBackupName(std::string_view name) {
  if (!name.starts_with(kBackupPrefix) || !name.ends_with(kBackupExtension)) return std::nullopt;
  name.remove_prefix(kBackupPrefix.size());
  name.remove_suffix(kBackupExtension.size());
  BackupOwner owner;
  if (!ReadNumber(name, owner.uid) || !ReadNumber(name, owner.pid) || name.empty()) return std::nullopt;
  return owner;
}

std::vector<std::filesystem::path> BackupsOfUser(std::string_view tempDir) {
  std::vector<std::filesystem::path> found;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(std::string(tempDir), ec), end; !ec && it != end; it.increment(ec)) {
    const std::optional<BackupOwner> owner = ParseBackupName(it->path().filename().string());
    if (owner && owner->uid == ::getuid()) found.push_back(it->path());
  }
  return found;
}

}  // namespace

std::filesystem::path TimelineBackupPath(const CTestDoc& doc) {
  return WithTrailingSlash(doc.tempDir) + OwnBackupName(std::to_string(doc.backupNumber));
}

bool WriteTimelineBackup(const CTestDoc& doc, std::string* error) {
  if (doc.tempDir.empty()) return Fail(error, "The document has no temporary folder for its backup.");
  return WriteTimelineFile(doc, TimelineBackupPath(doc), error);
}

bool DeleteProcessBackups(std::string_view tempDir) {
  const std::string own = ProcessBackupPrefix(::getuid(), ::getpid());
  bool allGone = true;
  for (const std::filesystem::path& backup : BackupsOfUser(tempDir)) {
    if (!backup.filename().string().starts_with(own)) continue;
    std::error_code ec;
    std::filesystem::remove(backup, ec);
    allGone = allGone && !ec;
  }
  return allGone;
}

std::vector<std::filesystem::path> FindOrphanBackups(std::string_view tempDir) {
  struct Orphan {
    std::filesystem::path path;
    std::int64_t written;
  };
  std::vector<Orphan> orphans;
  for (const std::filesystem::path& backup : BackupsOfUser(tempDir)) {
    struct stat status {};
    // Not through a link, and only the user's own files: a name is no proof.
    if (::lstat(backup.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::getuid()) continue;
    const int pid = ParseBackupName(backup.filename().string())->pid;
    if (ProcessRunningSince(pid, status.st_mtime)) continue;
    orphans.push_back({backup, static_cast<std::int64_t>(status.st_mtime)});
  }
  std::sort(orphans.begin(), orphans.end(), [](const Orphan& a, const Orphan& b) { return a.written < b.written; });
  std::vector<std::filesystem::path> paths;
  for (Orphan& orphan : orphans) paths.push_back(std::move(orphan.path));
  return paths;
}

std::optional<std::filesystem::path> ClaimBackup(const std::filesystem::path& backup) {
  // The claimed backups are told apart from the documents' by a letter.
  std::filesystem::path claimed;
  for (int number = 1;; ++number) {
    claimed = backup.parent_path() / OwnBackupName("c" + std::to_string(number));
    std::error_code ec;
    if (!std::filesystem::exists(claimed, ec) && !ec) break;
  }
  if (::rename(backup.c_str(), claimed.c_str()) != 0) return std::nullopt;
  ::utimensat(AT_FDCWD, claimed.c_str(), nullptr, 0);
  return claimed;
}

bool MakeRecoveryFile(const std::filesystem::path& backup, std::string_view tempDir,
                      std::filesystem::path* recoveryPath, std::string* error) {
  CTestDoc recovered;
  if (!ReadTimelineFile(backup, recovered, error)) return false;
  std::string folder = WithTrailingSlash(tempDir) + "sprocket-recover-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) {
    return Fail(error, "Can not create a folder for the recovery file in " + std::string(tempDir));
  }
  const std::filesystem::path path = std::filesystem::path(folder) / std::string(kRecoveryFileName);
  if (!WriteTimelineFile(recovered, path, error)) {
    RemoveRecoveryFile(path);
    return false;
  }
  if (recoveryPath != nullptr) *recoveryPath = path;
  return true;
}

void RemoveRecoveryFile(const std::filesystem::path& recoveryPath) {
  std::error_code ec;
  std::filesystem::remove(recoveryPath, ec);
  std::filesystem::remove(recoveryPath.parent_path(), ec);
}

}  // namespace sprocket

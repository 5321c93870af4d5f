#include "timeline/tlefile/timeline_backup.h"

#include <system_error>

#include "platform/file_paths.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

namespace {

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

}  // namespace

std::filesystem::path TimelineBackupPath(std::string_view tempDir) {
  return WithTrailingSlash(tempDir) + std::string(kTimelineBackupName);
}

std::filesystem::path RecoveryFilePath(std::string_view tempDir) {
  return WithTrailingSlash(tempDir) + std::string(kRecoveryFileName);
}

bool WriteTimelineBackup(const CTestDoc& doc, std::string* error) {
  if (doc.tempDir.empty()) return Fail(error, "The document has no temporary folder for its backup.");
  return WriteTimelineFile(doc, TimelineBackupPath(doc.tempDir), error);
}

bool DeleteTimelineBackup(std::string_view tempDir) {
  std::error_code ec;
  std::filesystem::remove(TimelineBackupPath(tempDir), ec);
  return !ec;
}

bool MakeRecoveryFile(std::string_view tempDir, std::filesystem::path* recoveryPath, std::string* error) {
  CTestDoc backup;
  if (!ReadTimelineFile(TimelineBackupPath(tempDir), backup, error)) return false;
  std::filesystem::path path = RecoveryFilePath(tempDir);
  if (!WriteTimelineFile(backup, path, error)) return false;
  if (recoveryPath != nullptr) *recoveryPath = path;
  return true;
}

}  // namespace sprocket

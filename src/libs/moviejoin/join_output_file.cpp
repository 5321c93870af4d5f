#include "libs/moviejoin/join_output_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

namespace sprocket {

namespace {

constexpr int kNameAttempts = 1000;

}  // namespace

JoinOutputFile::~JoinOutputFile() { Discard(); }

bool JoinOutputFile::Create(const std::string& outputPath, std::string* error) {
  Discard();
  namespace fs = std::filesystem;
  fs::path target(outputPath);
  std::error_code ec;
  if (outputPath.empty() || !target.has_filename() || fs::is_directory(target, ec)) {
    *error = "\"" + outputPath + "\" is not a file name.";
    return false;
  }
  fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::string stem = "." + target.filename().string() + ".joining";
  int lastErrno = 0;
  for (int n = 0; n < kNameAttempts; ++n) {
    fs::path candidate = folder / (stem + std::to_string(n));
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      outputPath_ = outputPath;
      workPath_ = candidate.string();
      return true;
    }
    lastErrno = errno;
    if (lastErrno != EEXIST) break;
  }
  *error = "Cannot create a file in \"" + folder.string() + "\": " + std::strerror(lastErrno) + ".";
  return false;
}

bool JoinOutputFile::Commit(std::string* error) {
  std::error_code ec;
  std::filesystem::rename(workPath_, outputPath_, ec);
  if (ec) {
    *error = "Cannot replace \"" + outputPath_ + "\": " + ec.message() + ".";
    Discard();
    return false;
  }
  workPath_.clear();
  return true;
}

void JoinOutputFile::Discard() {
  if (workPath_.empty()) return;
  std::error_code ec;
  std::filesystem::remove(workPath_, ec);
  workPath_.clear();
}

}  // namespace sprocket

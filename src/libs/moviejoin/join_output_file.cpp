#include "libs/moviejoin/join_output_file.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <filesystem>

#include "platform/files/work_files.h"

namespace sprocket {

JoinOutputFile::~JoinOutputFile() { Discard(); }

bool JoinOutputFile::Create(const std::string& outputPath, std::string* error) {
  Discard();
  std::string work;
  const int fd = CreateWorkFile(outputPath, &work);
  if (fd < 0) {
    const std::string folder = std::filesystem::path(outputPath).parent_path().string();
    *error = errno == EISDIR
                 ? "\"" + outputPath + "\" is not a file name."
                 : "Cannot create a file in \"" + (folder.empty() ? "." : folder) + "\": " + std::strerror(errno) + ".";
    return false;
  }
  ::close(fd);
  outputPath_ = outputPath;
  workPath_ = work;
  return true;
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

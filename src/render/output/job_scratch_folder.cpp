#include "render/output/job_scratch_folder.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/file_paths.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

std::string MakeFolderIn(const std::string& parent) {
  if (parent.empty()) return {};
  std::string pattern = WithTrailingSlash(parent) + "sprocket-job-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) return {};
  return WithTrailingSlash(buffer.data());
}

}  // namespace

JobScratchFolder::~JobScratchFolder() { Remove(); }

bool JobScratchFolder::Create(const std::string& parent) {
  Remove();
  folder_ = MakeFolderIn(parent);
  if (folder_.empty()) folder_ = MakeFolderIn(SystemTempFolder());
  return !folder_.empty();
}

std::string JobScratchFolder::PathOf(const std::string& name) const {
  if (folder_.empty()) return {};
  return folder_ + name;
}

void JobScratchFolder::Remove() {
  if (folder_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(folder_, ec);
  folder_.clear();
}

}  // namespace sprocket

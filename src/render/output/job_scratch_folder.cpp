#include "render/output/job_scratch_folder.h"

#include <filesystem>

#include "platform/file_paths.h"
#include "platform/files/work_files.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

// The folders of jobs whose process ended (killed, or the machine stopped)
// are removed here too.
std::string MakeFolderIn(const std::string& parent) {
  const std::string folder = CreateWorkFolder(parent, kJobFolderPrefix);
  return folder.empty() ? folder : WithTrailingSlash(folder);
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

#include "platform/leftovers.h"

#include <algorithm>
#include <filesystem>

#include "platform/file_paths.h"
#include "platform/files/work_files.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

constexpr int kTempDirSlots = 4;

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}

void AddFolder(std::vector<std::string>& folders, const std::string& folder) {
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) return;
  const std::string path = WithTrailingSlash(folder);
  const auto same = [&](const std::string& known) { return SameFolder(known, path); };
  if (std::none_of(folders.begin(), folders.end(), same)) folders.push_back(path);
}

// The folder of the last movie; its name is kept upper-cased.
std::string LastMovieFolder(const Profile& profile) {
  const std::string stored = profile.GetProfileString(settings::kLastMakeMovie, "FileName");
  if (stored.empty()) return {};
  const std::filesystem::path folder = std::filesystem::path(stored).parent_path();
  return folder.empty() ? std::string() : FindPathIgnoringCase(folder.string());
}

}  // namespace

std::vector<std::string> LeftoverFolders(const Profile& profile) {
  std::vector<std::string> folders;
  AddFolder(folders, SystemTempFolder());
  AddFolder(folders, profile.GetProfileString(settings::kTempFileDir, settings::kTempDirCurrent));
  for (int slot = 1; slot <= kTempDirSlots; ++slot) {
    AddFolder(folders, profile.GetProfileString(settings::kTempFileDir,
                                                std::string(settings::kTempDirCurrent) + std::to_string(slot)));
  }
  AddFolder(folders, profile.GetProfileString(settings::kMovieAviDir, settings::kDir));
  AddFolder(folders, profile.GetProfileString(settings::kPreviewAviDir, settings::kDir));
  AddFolder(folders, LastMovieFolder(profile));
  return folders;
}

void RemoveLeftoversOfEndedRuns(const Profile& profile) {
  for (const std::string& folder : LeftoverFolders(profile)) RemoveWorkLeftoversOfEndedProcesses(folder);
}

}  // namespace sprocket

#pragma once
// A settings file with the classic profile calls.
//
// Missing keys give the caller's default; names compare case-insensitively;
// integers are read from the leading number of the value (see
// ParseProfileInt). Reads see changes other programs make to the file; every
// write rewrites the file atomically and keeps its comments and order.

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/settings/ini_document.h"

namespace sprocket {

class Profile {
public:
  explicit Profile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) const;
  std::string GetProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultValue = {}) const;
  std::vector<std::string> GetSectionKeys(std::string_view section) const;

  // False when the file cannot be written (the file is then unchanged).
  bool WriteProfileInt(std::string_view section, std::string_view key, int value);
  bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);
  // Writes several keys of one section with a single rewrite of the file.
  bool WriteProfileStrings(std::string_view section, const std::vector<std::pair<std::string, std::string>>& keyValues);
  bool DeleteProfileKey(std::string_view section, std::string_view key);
  bool DeleteProfileSection(std::string_view section);

private:
  struct Stamp {
    bool exists = false;
    std::filesystem::file_time_type mtime{};
    std::uintmax_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp ReadStamp() const;
  // Re-reads the file when it changed since the last read. Caller holds mutex_.
  void RefreshLocked() const;
  template <typename Edit>
  bool Modify(Edit edit);

  std::filesystem::path path_;
  mutable std::mutex mutex_;
  mutable IniDocument document_;
  mutable Stamp stamp_;
  mutable bool loaded_ = false;
};

// Direct reads of a settings file, bypassing any cached copy.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::filesystem::path& file);
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file);

}  // namespace sprocket

#include "platform/settings/profile.h"

#include <system_error>

#include "platform/files/atomic_file.h"

namespace sprocket {

namespace {

IniDocument LoadDocument(const std::filesystem::path& file) {
  std::optional<std::string> text = ReadWholeFile(file);
  return text ? IniDocument::Parse(*text) : IniDocument();
}

}  // namespace

Profile::Profile(std::filesystem::path path) : path_(std::move(path)) {}

Profile::Stamp Profile::ReadStamp() const {
  Stamp stamp;
  std::error_code ec;
  stamp.mtime = std::filesystem::last_write_time(path_, ec);
  if (ec) return stamp;
  stamp.size = std::filesystem::file_size(path_, ec);
  stamp.exists = !ec;
  return stamp;
}

void Profile::RefreshLocked() const {
  Stamp now = ReadStamp();
  if (loaded_ && now == stamp_) return;
  document_ = now.exists ? LoadDocument(path_) : IniDocument();
  stamp_ = now;
  loaded_ = true;
}

int Profile::GetProfileInt(std::string_view section, std::string_view key, int defaultValue) const {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  std::optional<std::string> value = document_.Get(section, key);
  return value ? ParseProfileInt(*value) : defaultValue;
}

std::string Profile::GetProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  std::optional<std::string> value = document_.Get(section, key);
  return value ? *value : std::string(defaultValue);
}

std::vector<std::string> Profile::GetSectionKeys(std::string_view section) const {
  std::lock_guard lock(mutex_);
  RefreshLocked();
  return document_.Keys(section);
}

template <typename Edit>
bool Profile::Modify(Edit edit) {
  std::lock_guard lock(mutex_);
  loaded_ = false;  // always edit the file as it is now
  RefreshLocked();
  IniDocument edited = document_;
  if (!edit(edited)) return true;
  std::error_code ec;
  if (path_.has_parent_path()) std::filesystem::create_directories(path_.parent_path(), ec);
  if (!WriteFileAtomically(path_, edited.Serialize())) return false;
  document_ = std::move(edited);
  stamp_ = ReadStamp();
  return true;
}

bool Profile::WriteProfileInt(std::string_view section, std::string_view key, int value) {
  return WriteProfileString(section, key, std::to_string(value));
}

bool Profile::WriteProfileString(std::string_view section, std::string_view key, std::string_view value) {
  return Modify([&](IniDocument& doc) {
    doc.Set(section, key, value);
    return true;
  });
}

bool Profile::WriteProfileStrings(std::string_view section,
                                  const std::vector<std::pair<std::string, std::string>>& keyValues) {
  return Modify([&](IniDocument& doc) {
    for (const auto& [key, value] : keyValues) doc.Set(section, key, value);
    return !keyValues.empty();
  });
}

bool Profile::DeleteProfileKey(std::string_view section, std::string_view key) {
  return Modify([&](IniDocument& doc) { return doc.RemoveKey(section, key); });
}

bool Profile::DeleteProfileSection(std::string_view section) {
  return Modify([&](IniDocument& doc) { return doc.RemoveSection(section); });
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    const std::filesystem::path& file) {
  std::optional<std::string> value = LoadDocument(file).Get(section, key);
  return value ? *value : std::string(defaultValue);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::filesystem::path& file) {
  std::optional<std::string> value = LoadDocument(file).Get(section, key);
  return value ? ParseProfileInt(*value) : defaultValue;
}

}  // namespace sprocket

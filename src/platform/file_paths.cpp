#include "platform/file_paths.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/settings/ini_document.h"

namespace sprocket {

std::string_view FileNamePart(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FileExtension(std::string_view path) {
  std::string_view name = FileNamePart(path);
  std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool HasExtension(std::string_view path, std::string_view extension) {
  return EqualsNoCase(FileExtension(path), extension);
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool PathExists(std::string_view path) {
  std::error_code error;
  return !path.empty() && std::filesystem::exists(std::filesystem::path(path), error);
}

bool IsRegularFile(std::string_view path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::string FindPathIgnoringCase(const std::string& stored) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (stored.empty() || fs::exists(stored, error)) return stored;
  const fs::path path(stored);
  fs::path found = path.root_path();
  for (const fs::path& part : path.relative_path()) {
    if (fs::exists(found / part, error)) {
      found /= part;
      continue;
    }
    fs::path match;
    for (const fs::directory_entry& entry : fs::directory_iterator(found.empty() ? "." : found, error)) {
      if (EqualsNoCase(entry.path().filename().string(), part.string())) {
        match = entry.path();
        break;
      }
    }
    if (match.empty()) return stored;
    found = match;
  }
  return found.string();
}

std::string WithTrailingSlash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

}  // namespace sprocket

#pragma once
// A scratch folder for a benchmark program's media and settings; removed
// with everything in it when the program ends.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/settings_store.h"

namespace sprocket {

class BenchFolder {
public:
  explicit BenchFolder(const std::string& name) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("sprocket-" + name + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    SetConfigDir(path_);
  }
  ~BenchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(path_, error);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

}  // namespace sprocket

#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "platform/settings_store.h"

namespace sprocket::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sprocket-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a test folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& contents) const {
  std::filesystem::path file = path_ / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << contents;
  return file;
}

ScopedConfigDir::ScopedConfigDir() { SetConfigDir(dir_.path()); }

ScopedConfigDir::~ScopedConfigDir() { SetConfigDir({}); }

}  // namespace sprocket::testing

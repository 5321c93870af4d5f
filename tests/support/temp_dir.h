#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>

namespace sprocket::testing {

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Writes a file (folders made as needed) and returns its path.
  std::filesystem::path Write(const std::string& name, const std::string& contents) const;

private:
  std::filesystem::path path_;
};

// Points the process's settings at a fresh folder for the scope's lifetime.
class ScopedConfigDir {
public:
  ScopedConfigDir();
  ~ScopedConfigDir();
  const std::filesystem::path& path() const { return dir_.path(); }

private:
  TempDir dir_;
};

}  // namespace sprocket::testing

#include "render/compose/render_log.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <system_error>

#include "platform/settings_store.h"
#include "platform/system_info.h"

namespace sprocket {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string FormatEntry(const char* text, int code, const char* source) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[160];
  std::snprintf(stamp, sizeof stamp, "\n%02d:%02d:%02d,\tFree Memory: %lu Byte,\t%02d/%02d/%02d,\t\n", local.tm_hour,
                local.tm_min, local.tm_sec, static_cast<unsigned long>(FreeMemoryBytes()), local.tm_mon + 1,
                local.tm_mday, local.tm_year % 100);
  std::string entry = stamp;
  if (code % 9 > 1) entry.append(static_cast<std::size_t>(code % 9 - 1), '\t');
  entry += "<<";
  if (source != nullptr) entry += source;
  entry += ":" + std::to_string(code) + ">>\t";
  if (text != nullptr) entry += text;
  entry += "\n";
  return entry;
}

}  // namespace

std::filesystem::path RenderLogPath() { return LogDir() / kRenderLogFileName; }

int WriteRenderLog(const char* text, int code, const char* source) {
  if (code / 10 > kRenderLogHighestTopic || code % 10 > kRenderLogHighestLevel) return 0;
  const std::filesystem::path path = RenderLogPath();
  FilePtr file(std::fopen(path.c_str(), "r+b"));
  if (!file) {
    // The entry that finds no log only creates it.
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    FilePtr created(std::fopen(path.c_str(), "wb"));
    return 0;
  }
  const std::string entry = FormatEntry(text, code, source);
  if (std::fseek(file.get(), 0, SEEK_END) == 0) std::fwrite(entry.data(), 1, entry.size(), file.get());
  return 1;
}

}  // namespace sprocket

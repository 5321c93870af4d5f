#include "fuzz_input.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>

#include "platform/prompts.h"
#include "platform/settings_store.h"

namespace sprocket::fuzz {

namespace {

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

// Messages of the code under test take their default answer unseen, and
// settings come from a folder that does not exist (every key its default).
class QuietPrompts : public Prompts {
public:
  int MessageBox(const std::string&, const std::string&, unsigned type) override { return DefaultAnswer(type); }
};

const bool kQuietProcess = [] {
  static QuietPrompts prompts;
  SetPrompts(&prompts);
  SetConfigDir(TempFolder() + "/sprocket-fuzz-no-settings");
  return true;
}();

}  // namespace

ScratchFile::ScratchFile(const std::string& extension)
    : path_(TempFolder() + "/sprocket-fuzz-" + std::to_string(::getpid()) + extension) {}

ScratchFile::~ScratchFile() { std::remove(path_.c_str()); }

bool ScratchFile::Write(std::span<const std::uint8_t> bytes) const {
  std::FILE* file = std::fopen(path_.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace sprocket::fuzz

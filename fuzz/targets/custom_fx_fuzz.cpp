// The reader of custom transition group files (.fxc) on any file; a group it
// accepts is written out and must read back as the same text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/custom_fx_group.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".fxc");
  if (!file.Write({data, size})) return 0;
  CustomFxGroup group;
  std::string error;
  if (!ReadCustomFxGroup(file.Path(), group, &error)) {
    if (error.empty()) {
      std::fprintf(stderr, "a refused group file gives no reason\n");
      std::abort();
    }
    return 0;
  }
  const std::string text = FormatCustomFxGroup(group);
  CustomFxGroup again;
  if (!ParseCustomFxGroup(text, again, &error) || FormatCustomFxGroup(again) != text) {
    std::fprintf(stderr, "a group read from a file does not read back as it is written: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}

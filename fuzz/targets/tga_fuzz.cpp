// The TGA reader with and without the mask weights.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "imagelib/formats/tga_reader.h"
#include "platform/global_memory.h"

namespace {

void FreeLocked(std::uint8_t* address) {
  if (address == nullptr) return;
  sprocket::HGLOBAL block = sprocket::GlobalHandle(address);
  sprocket::GlobalUnlock(block);
  sprocket::GlobalFree(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".tga");
  if (!file.Write({data, size})) return 0;
  IsTga32(file.Path());
  for (int flag : {0, 1}) {
    std::uint8_t* colour = nullptr;
    std::uint8_t* mask = nullptr;
    if (ReadTgaToDib(file.Path(), &colour, &mask, &flag) == kTgaRead) {
      FreeLocked(colour);
      FreeLocked(mask);
    }
  }
  return 0;
}

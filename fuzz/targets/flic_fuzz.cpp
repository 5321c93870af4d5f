// The FLI/FLC reader: open, decode every frame (at most 64), go back to the
// first frame and decode it again.

#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "render/flic/flic_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sprocket;
  static const fuzz::ScratchFile file(".flc");
  if (!file.Write({data, size})) return 0;
  FlicFile flic;
  if (FlicOpen(flic, file.Path()) == kFlicDone) {
    for (int frame = 0; frame < 64 && FlicReadFrame(flic) != kFlicNotAFrame; ++frame) {
    }
    if (FlicRewind(flic) == 0) FlicPlay(flic, 0);
  }
  FlicClose(flic);
  return 0;
}

#pragma once
// The work block the disk-buffered renderer hands to the "to file" effect
// calls: the drive letter of the temporary folder, the path of the frame's
// running composite file and a flag that tells whether the effect has a mask.

#include <cstddef>
#include <cstdint>

namespace sprocket {

struct EffectFileWorkBlock {
  char drive = 0;                // the first character of the temporary folder's path
  char compositePath[260] = {};  // the frame's running composite (a picture file), NUL-terminated
  std::uint8_t hasMask = 0;      // nonzero: the two work pictures are the effect's masks
  std::uint8_t reserved[2] = {};
};
static_assert(sizeof(EffectFileWorkBlock) == 264);
static_assert(offsetof(EffectFileWorkBlock, compositePath) == 1);
static_assert(offsetof(EffectFileWorkBlock, hasMask) == 261);

}  // namespace sprocket

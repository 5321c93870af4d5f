#include "libs/effectprepare/effect_prepare.h"

#include <algorithm>

namespace sprocket {

int PrepareGrainData(std::int32_t* word1, std::int32_t* word2) {
  if (word1 == nullptr || word2 == nullptr) return -1;
  if ((*word2 & kPreparedMark) != 0) return 0;
  std::int32_t mark = kPreparedMark;
  if (*word1 == 0) {
    *word1 = kDefaultGrainSeed;
    mark |= kSeedSetMark;
  }
  *word2 = mark;
  return 0;
}

int RestoreGrainData(std::int32_t* word1, std::int32_t* word2) {
  if (word1 == nullptr || word2 == nullptr) return -1;
  if ((*word2 & kSeedSetMark) != 0) *word1 = 0;
  *word2 = 0;
  return 0;
}

int PrepareRepetitionLayout(std::int32_t* word1, std::int32_t width, std::int32_t height) {
  if (word1 == nullptr || width < 1 || height < 1) return -1;
  const auto w = static_cast<std::uint32_t>(std::min(width, 65535));
  const auto h = static_cast<std::uint32_t>(std::min(height, 65535));
  *word1 = static_cast<std::int32_t>(w | (h << 16));
  return 0;
}

int RestoreRepetitionLayout(std::int32_t* word1) {
  if (word1 == nullptr) return -1;
  *word1 = 0;
  return 0;
}

bool ReadRepetitionLayout(std::int32_t word1, std::int32_t& width, std::int32_t& height) {
  const auto value = static_cast<std::uint32_t>(word1);
  width = static_cast<std::int32_t>(value & 0xFFFF);
  height = static_cast<std::int32_t>(value >> 16);
  return width > 0 && height > 0;
}

}  // namespace sprocket

#pragma once
// Preparing the effect-data words of some filters before a render and
// restoring them after it.
//
// Film grain (8005) and old film (8006) draw their grain and scratches from a
// seed in effect-data word 1, so that every frame of a render (and every
// render) draws the same pattern for the same frame. Preparing gives a
// filter without a seed the default one and marks word 2; restoring takes
// back what preparing set. Word 2's bit 0 marks a prepared filter, bit 1 a
// seed that preparing set.
//
// Repetition 3D (8009) lays its tiles for the movie's frame size: preparing
// stores the output width and height in word 1 (width in the low 16 bits,
// height in the high 16 bits, each limited to 1..65535) so that the effect
// dialogs' small previews show the same wall; restoring clears it.

#include <cstdint>

namespace sprocket {

inline constexpr std::int32_t kDefaultGrainSeed = 0x2545F491;
inline constexpr std::int32_t kPreparedMark = 1;
inline constexpr std::int32_t kSeedSetMark = 2;

// Ordinal 5 (8005, 8006). Answers 0, or -1 for a null address.
int PrepareGrainData(std::int32_t* word1, std::int32_t* word2);
// Ordinal 6 (8005, 8006). Answers 0, or -1 for a null address.
int RestoreGrainData(std::int32_t* word1, std::int32_t* word2);

// Ordinal 3 (8009). Answers 0, or -1 for a null address or a size below 1.
int PrepareRepetitionLayout(std::int32_t* word1, std::int32_t width, std::int32_t height);
// Ordinal 4 (8009). Answers 0, or -1 for a null address.
int RestoreRepetitionLayout(std::int32_t* word1);

// The frame size word 1 of a prepared repetition effect holds; false when
// it holds none.
bool ReadRepetitionLayout(std::int32_t word1, std::int32_t& width, std::int32_t& height);

}  // namespace sprocket

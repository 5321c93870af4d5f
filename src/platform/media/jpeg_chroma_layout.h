#pragma once
// The chroma layout of a motion JPEG picture: how its colour planes are
// sampled against its brightness plane, read from the frame header of the
// picture's compressed bytes.

#include <cstdint>
#include <span>
#include <string>

namespace sprocket {

// Layouts by their usual names; 0 for a picture whose layout is none of
// these (or that is not a JPEG picture).
inline constexpr int kChromaLayoutUnknown = 0;
inline constexpr int kChromaLayout420 = 420;
inline constexpr int kChromaLayout422 = 422;
inline constexpr int kChromaLayout444 = 444;

// The layout of one compressed JPEG picture: three components whose colour
// samples each span 2 x 2, 2 x 1 or 1 x 1 brightness samples.
int JpegChromaLayout(std::span<const std::uint8_t> picture);

// The layout of the first video sample of a movie file; unknown when the
// file cannot be read or its pictures are not JPEG pictures.
int MovieChromaLayout(const std::string& path);

}  // namespace sprocket

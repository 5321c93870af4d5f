#pragma once
// Texture tiles made in code: small square 24-bit pictures that repeat
// seamlessly across a frame.

#include <cstdint>

#include "libs/effectcatalog/effect_picture.h"

namespace sprocket {

enum class TextureKind : std::int32_t {
  kCanvas = 0,
  kBricks = 1,
  kNoise = 2,
  kWoodGrain = 3,
  kPicture = 4,  // the filter's own picture; no tile is made
};
inline constexpr std::int32_t kTextureKinds = 5;

// The side of a tile of that scale (1..16): 16 x scale pixels.
std::int32_t TextureTileSide(std::int32_t scale);

// A tile of the kind at the scale; an empty buffer for kPicture or an
// unknown kind. Tiles are grey (all three bytes of a pixel equal).
PictureBuffer MakeTextureTile(TextureKind kind, std::int32_t scale);

}  // namespace sprocket

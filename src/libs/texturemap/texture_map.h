#pragma once
// The texture-map data of filter 1560, held in a block reached by its handle.
//
// The block starts with a 16-byte header: the magic "STX1", the texture
// kind, the scale (1..16) and a prepared flag. Around a render the block is
// prepared: the texture's tile, a packed 24-bit DIB, is made and follows the
// header at byte 16; after the render it is released again. The stored form
// a clip keeps is the header alone, with the prepared flag 0.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "libs/effectcatalog/effect_picture.h"
#include "libs/texturemap/texture_tiles.h"
#include "platform/global_memory.h"

namespace sprocket {

inline constexpr std::int32_t kTextureMapHeaderBytes = 16;
inline constexpr std::int32_t kTexturePrepare = 5;
inline constexpr std::int32_t kTextureRelease = 6;

struct TextureMapInfo {
  TextureKind kind = TextureKind::kCanvas;
  std::int32_t scale = 4;
  bool prepared = false;
};

// A new unprepared texture-map block; null for an unknown kind or when
// memory is short. The scale is limited to 1..16.
HGLOBAL MakeTextureMap(TextureKind kind, std::int32_t scale);

// Ordinal 4: code 5 prepares the block before a render (makes its tile, the
// handle stays the same), code 6 releases the tile after it. Preparing a
// prepared block or releasing an unprepared one changes nothing. Answers 0,
// or -1 for an unknown code, a block that is not texture-map data, or when
// memory is short.
int TextureMapCall(std::int32_t code, std::int32_t zero1, std::int32_t zero2, HGLOBAL textureMap, std::int32_t zero3,
                   std::int32_t zero4);

// Ordinal 5: a new texture-map block from stored texture data; null when the
// data is short, has the wrong magic or names an unknown kind.
HGLOBAL UnpackTextureData(std::span<const std::uint8_t> stored);
// The stored form of a block (its header with the prepared flag 0); empty
// for a block that is not texture-map data.
std::vector<std::uint8_t> PackTextureData(HGLOBAL textureMap);

// The header of a texture-map block, or nothing when it is not one.
std::optional<TextureMapInfo> ReadTextureMap(HGLOBAL textureMap);

// A copy of the tile of a prepared block; empty when the block is not
// prepared.
PictureBuffer PreparedTextureTile(HGLOBAL textureMap);

}  // namespace sprocket

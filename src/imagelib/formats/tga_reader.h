#pragma once
// Reading 32-bit TGA files into a colour picture and an alpha mask.
//
// Still pictures with an alpha channel come in as 32-bit TGA files. The
// reader makes two packed 24-bit DIBs of the picture's size with unpadded
// rows (stride = width x 3, biSizeImage = 3 x width x height): the colour
// picture and a mask made from the alpha bytes, which the mask blends use.

#include <cstdint>
#include <string>

namespace sprocket {

// True when the file's first 20 bytes can be read and byte 16 (the pixel
// depth) is 32. Nothing else of the header is looked at.
bool IsTga32(const std::string& path);

// Results of ReadTgaToDib.
inline constexpr int kTgaRead = 0;
inline constexpr int kTgaFailed = -1;

// Reads an uncompressed (type 2) or run-length (type 10) 32-bit TGA file.
// On success stores into `colour` and `mask` the addresses of two new locked
// blocks and returns 0; the caller finds their handles with GlobalHandle,
// unlocks and frees them. The mask pixel for alpha a is (a, a, a) when
// *flag is 0 (or flag is null), else (m, m, a) with m = round(a / 2), a
// weight in 128ths in its first byte.
//
// Returns -1 without touching the out parameters when the file cannot be
// read (or is not a regular file), is shorter than its header and pixels claim, has a width or height
// of 0 or more pixels than a picture may have, is not 32 bits a pixel, or
// when its run-length packets overrun the picture. A file of another image
// type gives two black pictures and 0 (-1 when it is too short to hold a
// picture of its size in any type: at least 2 bytes per 128 pixels). The origin in the image descriptor
// (bits 4 and 5) is applied so that row 0 is the bottom row and pixels run
// left to right; the obsolete interleave codes give black pictures.
int ReadTgaToDib(const std::string& path, std::uint8_t** colour, std::uint8_t** mask, const int* flag);

// Most pixels a TGA picture may have (16384 x 16384).
inline constexpr std::uint64_t kMaxTgaPixels = std::uint64_t{1} << 28;

}  // namespace sprocket

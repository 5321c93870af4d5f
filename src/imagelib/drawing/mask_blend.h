#pragma once
// Laying one picture over another under a mask of weights.
//
// Weights are in 128ths: a mask byte m gives w = min(m, 128); w = 0 keeps the
// lower (destination) pixel, w = 128 takes the upper (source) pixel, and in
// between each byte becomes (s * w + d * (128 - w)) >> 7. Every renderer that
// lays pictures under a mask goes through these functions, so frames come
// out byte-identical whichever road made them.
//
// All functions take the addresses of locked packed-DIB blocks (what
// GlobalLock gave). Each picture is addressed with its own stride
// (biSizeImage / height); only the rows and pixels that source, destination
// and mask all hold are blended. They always return 0.

#include <cstdint>

namespace sprocket {

// Blends under an 8-bit mask: the 8-bit DIB variant (40-byte header,
// 1024-byte grey palette, one byte a pixel from offset 1064, stride its
// biSizeImage / the source height). A null mask copies the whole source
// (header and pixels) over the destination; when the destination block is
// too small for that, only the shared rows are copied and its header is kept.
int BlendUnderMask(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask);

// Blends under a 24-bit mask picture: the weight of a pixel is its first
// (blue) byte, pixels three bytes apart from offset 40. A null mask copies as
// BlendUnderMask does.
int BlendUnderMask24(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask);

// The same blends written plainly, pixel by pixel, with the shortcuts for
// w = 0 and w = 128. They give the same bytes as the functions above (which
// blend whole rows at once) and serve as their reference.
int BlendUnderMaskPlain(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask);
int BlendUnderMask24Plain(const std::uint8_t* source, std::uint8_t* destination, const std::uint8_t* mask);

// Makes an 8-bit mask from a 24-bit picture: writes the grey palette
// (i, i, i, 0) after the destination's 40-byte header (which the caller has
// prepared: biBitCount 8, biClrUsed 256, biSizeImage) and stores each source
// pixel's blue byte. The destination stride is its biSizeImage / the source
// height; its pixels start at offset 1064.
int MakeMaskDib(const std::uint8_t* source, std::uint8_t* destination);

}  // namespace sprocket

#pragma once
// Colour tables of general DIBs: how many colours a header names, palettes
// made from them, tables filled from palettes, and new DIBs with the
// standard colours.

#include <array>
#include <cstdint>

#include "imagelib/dib_geometry.h"
#include "imagelib/dib_header.h"
#include "imagelib/formats/color_palette.h"
#include "platform/global_memory.h"

namespace sprocket {

// The 16 standard colours: black, dark red, dark green, dark yellow, dark
// blue, dark magenta, dark cyan, light grey (192), grey (128), red, green,
// yellow, blue, magenta, cyan, white. Also the palette used where none is
// given.
extern const std::array<PaletteEntry, 16> kStandardColours;

// A palette with one entry per colour of the DIB's table (flags 0); empty
// for a DIB without colours or a null pointer.
ColorPalette CreateDibPalette(const std::uint8_t* dib);

// Colour usage of a table: RGB entries, or 16-bit indices into a palette.
inline constexpr int kDibRgbColours = 0;
inline constexpr int kDibPaletteIndices = 1;

// Rewrites the colour table of the DIB in `dib`: with kDibPaletteIndices the
// 16-bit indices 0, 1, 2 ... (one per colour); otherwise the palette's
// entries (the standard colours when `palette` is null) as blue, green, red,
// 0, as many as both have, at most 256. 1, or 0 without a usable DIB.
int SetDibColourUsage(HGLOBAL dib, const ColorPalette* palette, int usage);

// A new zero-filled DIB: a 40-byte header (planes 1, biClrUsed = colours,
// other fields 0 but the size), 2^bit count colours for bit counts below 9
// (1-bit: black and white; others: the standard colours first, then black),
// and ((bit count x width + 31) rounded down to a multiple of 32) / 8 x height
// bytes of bits. Empty for a bit count other than 1, 4, 8, 16, 24, 32, a
// width or height below 1, sizes past 32 bits, or short memory.
GlobalBlock NewDib(int bitCount, std::int32_t width, std::int32_t height);

}  // namespace sprocket

#pragma once
// DIBs of any bit count turned into bitmaps of the device context and back.

#include <cstdint>

#include <QImage>

#include "imagelib/formats/color_palette.h"
#include "imagelib/formats/dib_palette.h"
#include "imagelib/pixel_types.h"
#include "platform/global_memory.h"
#include "platform/qt/dc_types.h"

namespace sprocket {

// The pixels of an uncompressed DIB given by the address of its locked block
// as a 32-bit image, top row first. With usage kDibPaletteIndices the colour
// table holds 16-bit indices into `palette` (the standard colours when it is
// null). A null image for an unusable DIB.
QImage DibToImage(const std::uint8_t* dib, const ColorPalette* palette = nullptr, int usage = kDibRgbColours);

// The same for a DIB in a block, as a bitmap.
dc::Bitmap BitmapFromDibHandle(HGLOBAL dib, const ColorPalette* palette, int usage);

// A new DIB with the bitmap's pixels: bit count 0 means 24; 1, 4 and 8 bits
// take the palette's colours (the standard colours when it is null; 1 bit
// black and white) and give each pixel the nearest of them; 16 bits are
// 5-5-5; 24 and 32 bits keep the colours. biSizeImage is filled in; with
// usage kDibPaletteIndices the table becomes indices. Empty for a null
// bitmap, a compression other than 0 or another bit count.
GlobalBlock DibFromBitmapHandle(const dc::Bitmap& bitmap, std::uint32_t compression, int bitCount,
                                const ColorPalette* palette, int usage);

}  // namespace sprocket

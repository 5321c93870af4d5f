#pragma once
// Drawing DIBs and bitmaps on the device context: transparent copies,
// stretched DIBs and gradient fills.

#include <cstdint>

#include "imagelib/formats/color_palette.h"
#include "imagelib/pixel_types.h"
#include "platform/global_memory.h"
#include "platform/qt/dc_types.h"
#include "platform/qt/device_context.h"

namespace sprocket {

// Copies the pixels of `source` that are not `transparent` into
// `destination` with the source's top-left corner at (x, y), clipped to the
// destination. The source is left as it is.
void DrawTransparentBitmap(const dc::Bitmap& source, dc::Bitmap& destination, COLORREF transparent, int x, int y);

// Raster operations of StretchDibToDc.
enum class DibRop : std::uint32_t {
  kSrcCopy = 0x00CC0020,    // the DIB's pixels
  kPatCopy = 0x00F00021,    // without a DIB: the selected brush
  kPatInvert = 0x005A0049,  // without a DIB: brush ^ below
  kDstInvert = 0x00550009,  // without a DIB: the inverse of the pixel below
  kBlackness = 0x00000042,
  kWhiteness = 0x00FF0062,
};

// Draws the source rectangle of a DIB (sx, sy from its bottom-left corner,
// sw x sh; -1, -1 for the whole DIB) stretched into (x, y, width, height) of
// the context; a negative width or height is that multiple of the source
// size. Without a DIB the destination rectangle gets the pattern operation.
// Returns the rows drawn: 0 when nothing was drawn (an unusable DIB, an empty
// rectangle, an operation that does not fit).
int StretchDibToDc(dc::Context& dc, int x, int y, int width, int height, HGLOBAL dib, const ColorPalette* palette,
                   int sx, int sy, int sw, int sh, DibRop rop, int usage);

// Fills the rectangle (x1, y1)-(x2, y2) of the bitmap with a gradient style
// (gradient_fill.h), pixel for pixel as GradientFillDib paints a picture.
void GradientFillBitmap(dc::Bitmap& bitmap, COLORREF first, COLORREF second, int x1, int y1, int x2, int y2, int style);

}  // namespace sprocket

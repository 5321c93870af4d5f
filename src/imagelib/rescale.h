#pragma once
// Scaling of packed 24-bit pictures.
//
// RescaleFiltered scales a rectangle of one picture into a rectangle of
// another in two passes (rows into a temporary picture, then its columns),
// with integer contributor weights in units of 1/16384. The Mitchell filter
// takes an exact 2:1 path when both axes halve or double. The nearest-pixel
// stretches are CDibImage::StretchRect and CDibImage::Resize with filter 0.

#include "imagelib/dib_image.h"
#include "imagelib/pixel_types.h"
#include "imagelib/rescale_types.h"

namespace sprocket {

// Scales the source rectangle into the destination rectangle (both
// normalised against their pictures); both pictures must hold blocks. The
// source and the destination may be the same picture. Filter 0 is Hermite
// here; a filter number outside 0..7 gives kDibBadSize. Work is split into
// row bands on several threads for large pictures.
DibResult RescaleFiltered(CDibImage destination, CDibImage source, DibRect destinationRect, DibRect sourceRect,
                          RescaleFilter filter);

// The same on one thread, pixel by pixel; gives the same bytes.
DibResult RescaleFilteredPlain(CDibImage destination, CDibImage source, DibRect destinationRect, DibRect sourceRect,
                               RescaleFilter filter);

}  // namespace sprocket

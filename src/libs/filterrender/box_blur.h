#pragma once
// The box blur: each byte becomes the rounded mean (sum + count / 2) / count
// of its channel over the window of count = 2 x radius + 1 pixels along its
// row, and that result the same mean over the window down its column.
// Neighbours beyond the picture's edge repeat the edge pixel.

#include <cstdint>

#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"

namespace sprocket {

// Blurs `source` into `destination` (same size, not the same picture); a
// radius of 0 or less copies. kEffectDone, or kEffectStopped when `stop`
// asks between rows.
int BoxBlur(const PictureView& source, const PictureView& destination, std::int32_t radius, StopCheck& stop);

}  // namespace sprocket

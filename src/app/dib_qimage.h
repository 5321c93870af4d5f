#pragma once
// Packed DIBs shown in Qt windows.

#include <cstdint>

#include <QImage>

namespace sprocket {

// A copy of a packed DIB given by the address of its locked block (24 bits,
// or 8 bits with its colour table), top line first as Qt draws it. A null
// image for null, a depth other than 8 or 24, or a header that claims more
// than the block holds.
QImage DibToQImage(const std::uint8_t* dib);

}  // namespace sprocket

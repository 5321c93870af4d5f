#pragma once
// Mapping a rectangle of a DIB onto a quadrilateral of the same DIB, and
// rotation of a DIB by any angle through it. Pictures are 8- or 24-bit DIBs
// given by the address of their locked block.

#include <cstdint>

#include "imagelib/quadmap/quad_scan.h"
#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

// Option bits of MapRectToQuad and RotateDib: the low byte is the sampling
// (QuadSampling); kQuadClearFirst blackens the picture before the mapped
// pixels are drawn, so nothing of the old picture stays outside the
// quadrilateral.
inline constexpr std::int32_t kQuadSamplingMask = 0xFF;
inline constexpr std::int32_t kQuadClearFirst = 0x100;

// Draws the source rectangle (corner i of `source` shows at corner i of
// `destination`) into the destination quadrilateral of the same picture. The
// source pixels are read from a copy taken first, so pixels already drawn are
// never read again. 0, or -1 for a picture that is not a usable 8- or 24-bit
// DIB or when memory is short.
std::int32_t MapRectToQuad(const QuadCorners& destination, const QuadCorners& source, std::uint8_t* dib,
                           std::int32_t option);

// The corners of the picture rectangle (0, 0), (width, 0), (width, height),
// (0, height) turned by `degrees` about (centreX, centreY).
QuadCorners RotatedRectangle(std::int32_t width, std::int32_t height, double degrees, double centreX, double centreY);

// Rotates the picture by `degrees` about (centreX, centreY): the picture
// rectangle is mapped onto its rotated corners. Angles within 0.01 of 0
// leave it as it is. 0, or -1 when the picture is not usable (no width or
// height, another depth) or memory is short.
std::int32_t RotateDib(double degrees, double centreX, double centreY, std::uint8_t* dib, std::int32_t option);

}  // namespace sprocket

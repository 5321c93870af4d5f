#pragma once
// Marking and lifting the pixels of a key colour that border other colours,
// on raw 24-bit rows (blue, green, red) of `stride` bytes.

#include <cstdint>

#include "imagelib/pixel_types.h"

namespace sprocket {

// Clears the work plane (rows - 1 rows of `stride` bytes). In mode 0, when
// rows is below 2 or at least 4, every inner pixel of the picture that has
// the key colour is looked at: the bytes of each channel over its eight
// neighbours are summed in 8-bit arithmetic (wrapping at 256), and unless
// all three sums are below their thresholds the work plane's pixel there
// takes the mark colour. Then, unless rows is 1 or 2, every byte of the
// picture's inner pixels is increased by the work plane's byte (wrapping).
// Key, mark and thresholds are COLORREFs: blue in bits 16-23, green 8-15,
// red 0-7. Inner pixels are those of columns 1..stride / 3 - 2 and rows
// 1..rows - 2; nothing outside the two planes is touched.
void SmoothKeyEdges(int mode, std::int32_t rows, std::int32_t stride, COLORREF thresholds, COLORREF key, COLORREF mark,
                    std::uint8_t* picture, std::uint8_t* work);

// Runs SmoothKeyEdges `count` times in mode 0 with `colour` as the key and
// 5 in every channel as the thresholds and the mark: key pixels whose
// neighbour sums reach 5 in a channel are lifted by 5 a channel, off the key.
void SmoothKeyEdgesRepeat(std::int32_t rows, std::int32_t stride, std::uint8_t* picture, std::uint8_t* work,
                          COLORREF colour, std::int32_t count);

}  // namespace sprocket

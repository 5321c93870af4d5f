#pragma once
// Sample pictures gathered into a 4 x 4 grid (palette building of animations).

#include "platform/global_memory.h"

namespace sprocket {

// Scales the packed 24-bit picture `source` into cell (index mod 4,
// index div 4) of the 4 x 4 grid picture `grid` (row 0 of the cells at the
// top); each cell is a quarter of the grid's width and height, which is a
// quarter of the source when both have one size. Returns 1 when the cell was
// drawn; an index below 0 or above 15, a missing or unusable picture, or a
// grid smaller than 4 x 4 pixels does nothing and returns 0.
int CopyDibToGridCell(HGLOBAL source, HGLOBAL grid, int index);

}  // namespace sprocket

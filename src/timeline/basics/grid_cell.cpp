#include "timeline/basics/grid_cell.h"

#include "imagelib/dib_image.h"
#include "imagelib/rescale.h"

namespace sprocket {

int CopyDibToGridCell(HGLOBAL source, HGLOBAL grid, int index) {
  if (index < 0 || index > 15 || source == nullptr || grid == nullptr) return 0;
  CDibImage sourceImage(&source);
  CDibImage gridImage(&grid);
  if (sourceImage.IsValid() != kDibDone || gridImage.IsValid() != kDibDone) return 0;
  DibSize sourceSize = sourceImage.GetSize();
  DibSize gridSize = gridImage.GetSize();
  std::int32_t cellWidth = gridSize.width / 4;
  std::int32_t cellHeight = gridSize.height / 4;
  if (cellWidth < 1 || cellHeight < 1 || sourceSize.width < 1 || sourceSize.height < 1) return 0;

  std::int32_t left = (index % 4) * cellWidth;
  std::int32_t bottom = (3 - index / 4) * cellHeight;  // rows count from the bottom
  DibRect cell{left + cellWidth - 1, bottom + cellHeight - 1, left, bottom};
  DibRect whole{sourceSize.width - 1, sourceSize.height - 1, 0, 0};
  return RescaleFiltered(gridImage, sourceImage, cell, whole, kFilterBox) == kDibDone ? 1 : 0;
}

}  // namespace sprocket

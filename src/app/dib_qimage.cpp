#include "app/dib_qimage.h"

#include <optional>

#include "imagelib/dib_geometry.h"
#include "platform/qt/dibdraw/dib_bitmaps.h"

namespace sprocket {

QImage DibToQImage(const std::uint8_t* dib) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(dib);
  if (!geometry || (geometry->bitCount != 8 && geometry->bitCount != 24)) return {};
  return DibToImage(dib);
}

}  // namespace sprocket

#pragma once
// Where the image-file library draws a picture: the editor's device context
// adapter, or a packed DIB of the caller's.

#include <cstddef>
#include <cstdint>

#include "platform/global_memory.h"

namespace sprocket {

class ImageDrawTarget {
public:
  virtual ~ImageDrawTarget() = default;
  // Draws a picture of the library (a packed DIB of `bytes` bytes, 8-bit
  // with its colour table or 24-bit, rows padded and bottom-up) stretched
  // into the rectangle whose top-left corner is (x, y) in top-down target
  // coordinates. Returns false when nothing could be drawn.
  virtual bool DrawDib(const std::uint8_t* dib, std::size_t bytes, int x, int y, int width, int height) = 0;
};

// Draws into a 24-bit packed DIB held in the caller's variable, by the
// nearest pixel, clipped to the picture. Row 0 of the target's top-down
// coordinates is the DIB's last memory row.
class PackedDibCanvas final : public ImageDrawTarget {
public:
  explicit PackedDibCanvas(HGLOBAL* picture) : picture_(picture) {}
  bool DrawDib(const std::uint8_t* dib, std::size_t bytes, int x, int y, int width, int height) override;

private:
  HGLOBAL* picture_;
};

}  // namespace sprocket

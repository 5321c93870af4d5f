#include "libs/transitionrender/transition_icon.h"

#include "imagelib/dib_header.h"
#include "libs/transitionrender/transition_render.h"

namespace sprocket {

namespace {

// A card shaded from top to bottom, with a darker frame one pixel wide.
void DrawCard(const PictureView& card, BgrPixel top, BgrPixel bottom) {
  for (std::int32_t y = 0; y < card.height; ++y) {
    const std::int32_t share = card.height > 1 ? y * 256 / (card.height - 1) : 0;  // 0 at the bottom row
    for (std::int32_t x = 0; x < card.width; ++x) {
      std::uint8_t* p = card.At(x, y);
      const bool frame = x == 0 || y == 0 || x == card.width - 1 || y == card.height - 1;
      const std::uint8_t shade[3] = {static_cast<std::uint8_t>((bottom.blue * (256 - share) + top.blue * share) >> 8),
                                     static_cast<std::uint8_t>((bottom.green * (256 - share) + top.green * share) >> 8),
                                     static_cast<std::uint8_t>((bottom.red * (256 - share) + top.red * share) >> 8)};
      for (int c = 0; c < 3; ++c) p[c] = frame ? static_cast<std::uint8_t>(shade[c] / 2) : shade[c];
    }
  }
}

}  // namespace

HGLOBAL MakeTransitionIcon(std::int32_t transitionId, std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  const DibInfoHeader header = MakeDib24Header(width, height);
  if (header.biSizeImage == 0) return nullptr;
  GlobalBlock block = GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(header.biSizeImage));
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  if (!bytes) return nullptr;
  WriteDibHeader(bytes.get(), header);
  PictureBuffer a(width, height);
  PictureBuffer b(width, height);
  DrawCard(a.view(), BgrPixel{240, 160, 60}, BgrPixel{140, 60, 20});
  DrawCard(b.view(), BgrPixel{60, 170, 250}, BgrPixel{10, 90, 200});
  const RenderPumpCallback noPump;
  if (RenderTransition(transitionId, 50.0f, a.view(), b.view(), ViewPicture24(bytes.get()), {}, 0.0f, noPump) !=
      kEffectDone) {
    return nullptr;
  }
  return block.release();
}

}  // namespace sprocket

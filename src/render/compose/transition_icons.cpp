#include "render/compose/transition_icons.h"

#include <cmath>
#include <numbers>

#include "libs/effectcatalog/stock_transition_table.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/prompts.h"

namespace sprocket {

namespace {

struct Bgr {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
};

constexpr Bgr kSideA{200, 90, 30};
constexpr Bgr kSideB{40, 150, 240};

}  // namespace

DibPicture DrawnStockBitmaps::LoadBitmapResource(std::int32_t resourceId) {
  const std::int32_t row = resourceId - kStockBitmapResourceBase;
  if (row < 0 || row >= kStockTransitionRows) return {};
  DibPicture icon = DibPicture::Black24(kTransitionIconWidth, kTransitionIconHeight);
  if (!icon) return {};
  const double angle = std::numbers::pi * row / kStockTransitionRows;
  const double cx = (kTransitionIconWidth - 1) / 2.0;
  const double cy = (kTransitionIconHeight - 1) / 2.0;
  const std::int32_t stride = icon.Header().biSizeImage / kTransitionIconHeight;
  for (std::int32_t y = 0; y < kTransitionIconHeight; ++y) {
    std::uint8_t* pixel = icon.data() + kDibHeaderSize + static_cast<std::ptrdiff_t>(stride) * y;
    for (std::int32_t x = 0; x < kTransitionIconWidth; ++x, pixel += 3) {
      const bool sideB = (x - cx) * std::cos(angle) + (y - cy) * std::sin(angle) > 0.0;
      const Bgr colour = sideB ? kSideB : kSideA;
      pixel[0] = colour.blue;
      pixel[1] = colour.green;
      pixel[2] = colour.red;
    }
  }
  return icon;
}

DibPicture TransitionIconLoader::IconPicture(const TLEvent& clip) {
  if (clip.ownPicture) {
    GlobalLockGuard<std::uint8_t> own(clip.ownPicture.get());
    if (!own) return {};
    const ImageHandle image = ImageFiles().DibToHandle(own.get(), clip.ownPicture.size());
    if (image < 0) return {};
    DibPicture icon = DibPicture::Adopt(ImageFiles().MakeBitmap(image, kTransitionIconWidth, kTransitionIconHeight));
    ImageFiles().Free(image);
    return icon;
  }
  const StockTransitionRow* row = FindStockTransition(clip.transitionId);
  if (row == nullptr) return {};
  return stock_.LoadBitmapResource(row->bitmapResourceId);
}

int TransitionIconLoader::LoadTransitionIcon(TLEvent& clip) {
  if (clip.intermediateMovie) return 0;
  if (clip.trackType != kTrackTransition) return 1;
  const DibPicture icon = IconPicture(clip);
  if (!icon) {
    clip.transitionIcon = nullptr;
    // Painting asks for icons again and again: the message comes once per id.
    if (!clip.ownPicture && reportedIds_.insert(clip.transitionId).second) {
      ShowMessage(kStringTransitionBitmapNotLoaded, MB_OK | MB_ICONSTOP);
    }
    return 1;
  }
  clip.transitionIcon = factory_ ? factory_(icon) : nullptr;
  return 1;
}

}  // namespace sprocket

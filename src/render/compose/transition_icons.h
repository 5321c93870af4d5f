#pragma once
// The 35 x 28 icon of a transition clip: made from the clip's own picture
// when it has one, else the stock bitmap of its transition id.

#include <cstdint>
#include <functional>
#include <memory>
#include <set>

#include "render/picture/dib_picture.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

inline constexpr std::int32_t kTransitionIconWidth = 35;
inline constexpr std::int32_t kTransitionIconHeight = 28;
// "Could NOT load transition bitmap from library in terms of this ID !"
inline constexpr int kStringTransitionBitmapNotLoaded = 61429;

// The library of stock transition bitmaps, by resource id (the stock
// transition table names the id of each transition's bitmap).
class StockBitmapLibrary {
public:
  virtual ~StockBitmapLibrary() = default;
  // A new 24-bit picture of the bitmap resource, or an empty one when the
  // library has no such bitmap.
  virtual DibPicture LoadBitmapResource(std::int32_t resourceId) = 0;
};

// Stock bitmaps drawn here: for each resource id of the stock table a small
// picture that splits an A and a B colour along a line that turns with the
// row's place in the table. Other ids have no bitmap.
class DrawnStockBitmaps final : public StockBitmapLibrary {
public:
  DibPicture LoadBitmapResource(std::int32_t resourceId) override;
};

// Makes the view's bitmap object of a clip from a 24-bit picture.
using ClipBitmapFactory = std::function<std::unique_ptr<ClipBitmap>(const DibPicture& picture)>;

class TransitionIconLoader {
public:
  TransitionIconLoader(StockBitmapLibrary& stock, ClipBitmapFactory factory)
      : stock_(stock), factory_(std::move(factory)) {}

  // Gives a transition clip (on an 'X' track) its icon. Answers 0 for a
  // clip that stands for an intermediate movie (nothing done), else 1; a
  // clip on another track is left alone. A transition id whose stock bitmap
  // cannot be had shows message 61429 once per id, and the clip keeps no
  // icon.
  int LoadTransitionIcon(TLEvent& clip);

  // Makes the picture an icon of the clip's own picture or the stock bitmap
  // would give (empty when none), without touching the clip.
  DibPicture IconPicture(const TLEvent& clip);

private:
  StockBitmapLibrary& stock_;
  ClipBitmapFactory factory_;
  std::set<std::int32_t> reportedIds_;
};

}  // namespace sprocket

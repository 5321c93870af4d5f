// Icons of the stock transitions.

#include <gtest/gtest.h>

#include "effectcatalog/test_pictures.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/stock_transition_table.h"
#include "libs/transitionrender/transition_icon.h"

namespace sprocket {
namespace {

// The icon's pixels, and whether its left and right columns differ in colour.
struct Icon {
  explicit Icon(std::int32_t id) : handle(MakeTransitionIcon(id)), lock(handle.get()) {}
  BgrPixel At(int x, int y) const {
    const std::uint8_t* p = ViewPicture24(lock.get()).At(x, y);
    return BgrPixel{p[0], p[1], p[2]};
  }
  GlobalBlock handle;
  GlobalLockGuard<std::uint8_t> lock;
};

TEST(TransitionIcons, EveryStockTransitionHasAnIconOfItsOwnSize) {
  for (const StockTransitionRow& row : StockTransitionTable()) {
    Icon icon(row.transitionId);
    ASSERT_TRUE(icon.lock) << row.transitionId;
    const DibInfoHeader header = ReadDibHeader(icon.lock.get());
    EXPECT_EQ(header.biWidth, kTransitionIconWidth);
    EXPECT_EQ(header.biHeight, kTransitionIconHeight);
    EXPECT_EQ(header.biBitCount, 24);
  }
}

TEST(TransitionIcons, ShowTheTransitionHalfWay) {
  Icon wipe(effect_id::kWipeLeftToRight);
  // B (orange: more red than blue) on the left, A (blue) on the right.
  EXPECT_GT(wipe.At(5, 14).red, wipe.At(5, 14).blue);
  EXPECT_GT(wipe.At(30, 14).blue, wipe.At(30, 14).red);
  Icon dip(effect_id::kDipToBlack);
  EXPECT_EQ(dip.At(17, 14), (BgrPixel{0, 0, 0}));
  EXPECT_EQ(MakeTransitionIcon(effect_id::kCrossDissolve, 0, 5), nullptr);
}

}  // namespace
}  // namespace sprocket

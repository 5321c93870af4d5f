#pragma once
// The stock transition table: one 20-byte row for each transition of the
// catalogue, in catalogue order. A row names the transition id, a flag (1
// when the fast path renders the transition), the string ids of its title
// and description and the resource id of its icon bitmap.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sprocket {

struct StockTransitionRow {
  std::int32_t transitionId = 0;
  std::int32_t flag = 0;
  std::int32_t titleStringId = 0;
  std::int32_t descriptionStringId = 0;
  std::int32_t bitmapResourceId = 0;
};
static_assert(sizeof(StockTransitionRow) == 20);
static_assert(offsetof(StockTransitionRow, flag) == 4);
static_assert(offsetof(StockTransitionRow, titleStringId) == 8);
static_assert(offsetof(StockTransitionRow, descriptionStringId) == 12);
static_assert(offsetof(StockTransitionRow, bitmapResourceId) == 16);

inline constexpr std::int32_t kStockTransitionRows = 85;
// Row i uses title string kStockTitleStringBase + i, description string
// kStockDescriptionStringBase + i and bitmap kStockBitmapResourceBase + i.
inline constexpr std::int32_t kStockTitleStringBase = 47000;
inline constexpr std::int32_t kStockDescriptionStringBase = 47100;
inline constexpr std::int32_t kStockBitmapResourceBase = 6000;

std::span<const StockTransitionRow, kStockTransitionRows> StockTransitionTable();

// The first row of the transition id, or null when the table has none.
const StockTransitionRow* FindStockTransition(std::int32_t transitionId);

// The text of a title or description string id of the table; empty for any
// other id.
std::string_view StockTransitionText(std::int32_t stringId);

}  // namespace sprocket

#include "libs/effectcatalog/stock_transition_table.h"

#include "libs/effectcatalog/effect_catalog.h"

namespace sprocket {

const StockTransitionRow* FindStockTransition(std::int32_t transitionId) {
  for (const StockTransitionRow& row : StockTransitionTable()) {
    if (row.transitionId == transitionId) return &row;
  }
  return nullptr;
}

std::string_view StockTransitionText(std::int32_t stringId) {
  const std::span<const EffectDescriptor> transitions = TransitionCatalog();
  const auto count = static_cast<std::int32_t>(transitions.size());
  if (stringId >= kStockTitleStringBase && stringId < kStockTitleStringBase + count) {
    return transitions[static_cast<std::size_t>(stringId - kStockTitleStringBase)].title;
  }
  if (stringId >= kStockDescriptionStringBase && stringId < kStockDescriptionStringBase + count) {
    return transitions[static_cast<std::size_t>(stringId - kStockDescriptionStringBase)].description;
  }
  return {};
}

}  // namespace sprocket

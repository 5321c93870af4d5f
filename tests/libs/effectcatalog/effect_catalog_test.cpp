// The catalogue table: ids, names, parameters, flags and the stock
// transition table made from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "libs/effectcatalog/effect_catalog.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/stock_transition_table.h"

namespace sprocket {
namespace {

TEST(EffectCatalogue, IdsAndNamesAreUniqueAndInTheirRanges) {
  std::set<std::int32_t> ids;
  std::set<std::string_view> names;
  for (const EffectDescriptor& effect : EffectCatalog()) {
    EXPECT_TRUE(ids.insert(effect.id).second) << "id " << effect.id << " twice";
    EXPECT_TRUE(names.insert(effect.name).second) << effect.name << " twice";
    EXPECT_FALSE(effect.title.empty()) << effect.id;
    EXPECT_FALSE(effect.description.empty()) << effect.id;
    if (effect.IsTransition()) {
      EXPECT_TRUE((effect.id >= 1 && effect.id <= 898) || effect.id == 999) << effect.id;
    } else {
      EXPECT_GE(effect.id, 1000) << effect.id;
    }
    ASSERT_NE(FindEffect(effect.id), nullptr);
    EXPECT_EQ(FindEffect(effect.id)->name, effect.name);
  }
  EXPECT_EQ(TransitionCatalog().size() + FilterCatalog().size(), EffectCatalog().size());
  EXPECT_GE(FilterCatalog().size(), 35u);
  EXPECT_EQ(FindEffect(0), nullptr);
  EXPECT_EQ(FindTransition(effect_id::kBlur), nullptr);
  EXPECT_EQ(FindFilter(effect_id::kCrossDissolve), nullptr);
}

TEST(EffectCatalogue, ParameterDefaultsLieInsideTheirRanges) {
  for (const EffectDescriptor& effect : EffectCatalog()) {
    std::set<std::int32_t> slots;
    std::set<std::string_view> names;
    for (const ParamDescriptor& param : effect.params) {
      const std::string where = std::string(effect.name) + "." + std::string(param.name);
      EXPECT_TRUE(slots.insert(param.slot).second) << where << ": slot used twice";
      EXPECT_TRUE(names.insert(param.name).second) << where << ": name used twice";
      EXPECT_GE(param.slot, 0) << where;
      EXPECT_LT(param.slot, kEffectParamSlots) << where;
      EXPECT_LE(param.minimum, param.maximum) << where;
      EXPECT_GE(param.defaultValue, param.minimum) << where;
      EXPECT_LE(param.defaultValue, param.maximum) << where;
      EXPECT_FALSE(param.title.empty()) << where;
      if (param.type == ParamType::kChoice) {
        EXPECT_EQ(param.minimum, 0) << where;
        EXPECT_EQ(param.maximum, ChoiceCount(param) - 1) << where << ": one choice a value";
      }
      if (param.type == ParamType::kPercent) {
        EXPECT_TRUE(param.minimum >= 0 && param.maximum <= 100) << where;
      }
    }
  }
}

TEST(EffectCatalogue, TransitionsKeepTheirStartAndEndPercentInSlotsZeroAndOne) {
  for (const EffectDescriptor& effect : TransitionCatalog()) {
    const ParamDescriptor* start = FindParam(effect, "start");
    const ParamDescriptor* end = FindParam(effect, "end");
    ASSERT_NE(start, nullptr) << effect.id;
    ASSERT_NE(end, nullptr) << effect.id;
    EXPECT_EQ(start->slot, 0);
    EXPECT_EQ(end->slot, 1);
    EXPECT_EQ(start->defaultValue, 0);
    EXPECT_EQ(end->defaultValue, 100);
  }
}

TEST(EffectCatalogue, AlphaAndScreenWideFiltersAreTheNamedOnes) {
  using namespace effect_id;
  std::set<std::int32_t> alpha;
  std::set<std::int32_t> screenWide;
  for (const EffectDescriptor& effect : EffectCatalog()) {
    if (IsAlphaChannelEffect(effect.id)) alpha.insert(effect.id);
    if (IsScreenWideEffect(effect.id)) screenWide.insert(effect.id);
  }
  EXPECT_EQ(alpha, (std::set<std::int32_t>{1500, 1510, 1550, 1552, 1560, 4001, 4020, 5000, 8002, 8007}));
  // Video Screen Animation, Transparency Assignment, Gradient Wizard, Page
  // Effect, Trailing Effect, Explosion Effect, Repetition 3D Effect.
  EXPECT_EQ(screenWide, (std::set<std::int32_t>{1552, 1500, 1550, 8002, 9000, 8007, 8009}));
  EXPECT_EQ(FindFilter(kColourKey)->title, "Transparency Assignment");
  EXPECT_EQ(FindFilter(kExplosion)->title, "Explosion Effect");
  EXPECT_EQ(FindFilter(kRepetition3D)->title, "Repetition 3D Effect");
  // The filters the renderers call by id exist: the two fading filters of
  // the trailing effect and the prepared ones.
  for (std::int32_t id : {1304, 3100, 8005, 8006, 8009, 8010, 9000, 9999}) EXPECT_NE(FindFilter(id), nullptr) << id;
  EXPECT_NE(FindParam(*FindFilter(kBlur), "strength"), nullptr);
  EXPECT_EQ(FindParam(*FindFilter(kBlur), "strength")->slot, 0);
  EXPECT_EQ(FindParam(*FindFilter(kHueSaturation), "hue")->slot, 1);
}

TEST(StockTransitionTable, HoldsEveryTransitionOnceInCatalogueOrder) {
  const auto table = StockTransitionTable();
  ASSERT_EQ(table.size(), 85u);
  ASSERT_EQ(TransitionCatalog().size(), 85u);
  std::set<std::int32_t> seen;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const StockTransitionRow& row = table[i];
    const EffectDescriptor* transition = FindTransition(row.transitionId);
    ASSERT_NE(transition, nullptr) << "row " << i << " names id " << row.transitionId;
    EXPECT_TRUE(seen.insert(row.transitionId).second) << row.transitionId;
    EXPECT_EQ(row.flag, transition->Has(kEffectFastPath) ? 1 : 0);
    EXPECT_EQ(StockTransitionText(row.titleStringId), transition->title);
    EXPECT_EQ(StockTransitionText(row.descriptionStringId), transition->description);
    EXPECT_EQ(row.bitmapResourceId, kStockBitmapResourceBase + static_cast<std::int32_t>(i));
    EXPECT_EQ(FindStockTransition(row.transitionId), &row);
  }
  EXPECT_NE(FindStockTransition(effect_id::kEffectSequence), nullptr);
  EXPECT_NE(FindStockTransition(effect_id::kCrossDissolve), nullptr);
  EXPECT_EQ(FindStockTransition(998), nullptr);
  EXPECT_TRUE(StockTransitionText(12).empty());
  EXPECT_TRUE(StockTransitionText(kStockTitleStringBase + 85).empty());
}

}  // namespace
}  // namespace sprocket

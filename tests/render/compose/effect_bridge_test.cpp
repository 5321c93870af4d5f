#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "render/compose/effect_bridge.h"

namespace sprocket {
namespace {

GlobalBlock BlockOf(std::uint8_t value, std::size_t bytes) {
  GlobalBlock block = GlobalBlock::Allocate(bytes);
  GlobalLockGuard<std::uint8_t> data(block.get());
  std::memset(data.get(), value, bytes);
  return block;
}

std::uint8_t FirstByte(HGLOBAL block) {
  GlobalLockGuard<std::uint8_t> data(block);
  return data.get()[0];
}

TLFilter RichFilter() {
  TLFilter filter;
  InitFilter(filter);
  filter.id = 1560;
  filter.effectData = {4, 5, 6};
  TLFilterParam start;
  InitFilterParam(start);
  start.values = {1, 2, 3, 4, 5, 6, 7, 8};
  start.enable = 1;
  start.tables.emplace();
  InitParamTables(*start.tables);
  start.tables->red[3] = 33;
  TLFilterParam end;
  InitFilterParam(end);
  end.values[0] = 90;
  filter.params = {start, end};
  filter.bitmaps.push_back(TLBitmapNode{"matte", OwnedBlock(BlockOf(0x5A, 64).release())});
  filter.bitmaps.push_back(TLBitmapNode{"none", OwnedBlock()});
  filter.workData =
      ClonePtr<FilterWorkData>(std::make_unique<PreparedFilterData>(BlockOf(0x11, 16), BlockOf(0x22, 32)));
  return filter;
}

TEST(EffectFilterList, CarriesValuesTablesPicturesAndPreparedData) {
  const FilterList filters = {RichFilter()};
  HGLOBAL matte = filters[0].bitmaps[0].picture.get();
  const int locksBefore = GlobalLockCount(matte);
  {
    const EffectFilterList list(filters);
    ASSERT_EQ(list.span().size(), 1u);
    const EffectFilter& filter = list.span()[0];
    EXPECT_EQ(list.FirstId(), 1560);
    EXPECT_EQ(filter.effectData, (std::array<std::int32_t, 3>{4, 5, 6}));
    ASSERT_EQ(filter.params.size(), 2u);
    EXPECT_EQ(filter.params[0].values[7], 8);
    EXPECT_EQ(filter.params[0].enable, 1);
    ASSERT_NE(filter.params[0].red, nullptr);
    EXPECT_EQ(filter.params[0].red[3], 33);
    EXPECT_EQ(filter.params[0].master, filters[0].params[0].tables->master.data());
    EXPECT_EQ(filter.params[1].values[0], 90);
    EXPECT_EQ(filter.params[1].red, nullptr);
    // Only bitmaps with a picture are handed over, locked while the view lives.
    ASSERT_EQ(filter.pictures.size(), 1u);
    EXPECT_EQ(filter.pictures[0][0], 0x5A);
    EXPECT_EQ(GlobalLockCount(matte), locksBefore + 1);
    ASSERT_NE(filter.textureMap, nullptr);
    EXPECT_EQ(FirstByte(filter.textureMap), 0x11);
    EXPECT_EQ(FirstByte(filter.workBlock), 0x22);
  }
  EXPECT_EQ(GlobalLockCount(matte), locksBefore);
}

TEST(EffectFilterList, StartsAtTheRecordAsked) {
  FilterList filters(3);
  for (int i = 0; i < 3; ++i) filters[i].id = 10 + i;
  const EffectFilterList tail(filters, 1);
  ASSERT_EQ(tail.span().size(), 2u);
  EXPECT_EQ(tail.FirstId(), 11);
  const EffectFilterList none(filters, 3);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.FirstId(), 0);
}

TEST(PreparedFilterData, CopiesOfAFilterGetCopiesOfTheBlocks) {
  const TLFilter original = RichFilter();
  TLFilter copy;
  CopyFilter(copy, original);
  const auto* from = dynamic_cast<const PreparedFilterData*>(original.workData.get());
  const auto* to = dynamic_cast<const PreparedFilterData*>(copy.workData.get());
  ASSERT_NE(to, nullptr);
  EXPECT_NE(to->TextureMap(), from->TextureMap());
  EXPECT_EQ(GlobalSize(to->WorkBlock()), 32u);
  EXPECT_EQ(FirstByte(to->WorkBlock()), 0x22);
}

TEST(TurboEntries, TellTheFastPathWhatItNeeds) {
  RenderEntry transition;
  transition.trackLetter = 'X';
  transition.transitionPercent = 40.0f;
  transition.main.effectPercent = 25.0f;
  transition.main.maskFlag = 1;
  transition.sideB.filters.resize(1);
  transition.transitionFilters.resize(2);
  EXPECT_EQ(&EntryEffectFilters(transition), &transition.transitionFilters);
  const EffectFilterList filters(EntryEffectFilters(transition));
  const TurboEntry entry = MakeTurboEntry(transition, filters.span(), 3, true);
  EXPECT_EQ(entry.trackLetter, 'X');
  EXPECT_EQ(entry.entryCount, 3);
  EXPECT_EQ(entry.filters.size(), 2u);
  EXPECT_FLOAT_EQ(entry.transitionPercent, 40.0f);
  EXPECT_FLOAT_EQ(entry.effectPercent, 25.0f);
  EXPECT_FALSE(entry.sideAFilters);
  EXPECT_TRUE(entry.sideBFilters);
  EXPECT_EQ(entry.maskFlag, 1);
  EXPECT_TRUE(entry.doubleSize);

  RenderEntry clip;
  clip.main.filters.resize(1);
  clip.sideA.filters.resize(1);  // not read for a clip
  EXPECT_EQ(&EntryEffectFilters(clip), &clip.main.filters);
  const TurboEntry clipEntry = MakeTurboEntry(clip, {}, 1, false);
  EXPECT_EQ(clipEntry.trackLetter, 'V');
  EXPECT_FALSE(clipEntry.sideAFilters);
}

}  // namespace
}  // namespace sprocket

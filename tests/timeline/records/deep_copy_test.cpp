// Copies of event lists, clips and filter lists share nothing with their
// sources.

#include <gtest/gtest.h>

#include <cstring>

#include "timeline/records/filter_list.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;
using testing::ChainText;
using testing::MasterText;

// A view bitmap that counts its living copies.
class CountedBitmap : public ClipBitmap {
public:
  explicit CountedBitmap(int* living, int tag) : living_(living), tag_(tag) { ++*living_; }
  ~CountedBitmap() override { --*living_; }
  std::unique_ptr<ClipBitmap> Clone() const override { return std::make_unique<CountedBitmap>(living_, tag_); }
  int tag() const { return tag_; }

private:
  int* living_;
  int tag_;
};

class WorkData : public FilterWorkData {
public:
  explicit WorkData(int value) : value(value) {}
  std::unique_ptr<FilterWorkData> Clone() const override { return std::make_unique<WorkData>(value); }
  int value;
};

TLFilter RichFilter() {
  TLFilter filter;
  filter.id = 1009;
  filter.script = "curves";
  TLFilterParam param;
  param.values[0] = 42;
  param.name = "first";
  param.tables.emplace();
  param.tables->red[10] = 200;
  filter.params.push_back(param);
  TLBitmapNode node;
  node.name = "matte";
  const std::uint8_t bytes[] = {1, 2, 3, 4};
  node.picture = OwnedBlock::FromBytes(bytes);
  filter.bitmaps.push_back(std::move(node));
  filter.plugInData = {9, 9};
  filter.workData = std::make_unique<WorkData>(5);
  return filter;
}

struct Fixture {
  EventListSlot head = MakeDefaultTimeline(2997, 60000);
  int livingBitmaps = 0;
  TLEvent* clip = nullptr;

  Fixture() {
    TLEventFields fields = AviClip("a", 0, 4000);
    fields.filters.push_back(RichFilter());
    fields.volume = FlatEnvelope(8000);
    fields.balance = FlatEnvelope();
    const std::uint8_t picture[] = {7, 7, 7};
    fields.ownPicture = OwnedBlock::FromBytes(picture);
    fields.thumbnail = std::make_unique<CountedBitmap>(&livingBitmaps, 1);
    fields.derivedFiles.waveName = "zkb0001";
    clip = InsertClip(head.get(), 1, 1000, 5000, fields);
    InsertClip(head.get(), 3, 3000, 8000, AviClip("b", 0, 5000));
    InsertClip(head.get(), 2, 3000, 4000);
    head->segments.push_back(TLFilter{});
    head->segments.back().fileName = "/tmp/zkb1.avi";
    head->volume = FlatEnvelope(9000);
  }
};

TEST(DeepCopyTest, EventListCopyHasTheSameShapeOnBothLists) {
  Fixture f;
  EventListSlot copy = CopyEventList(f.head.get());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(CheckTimelineLinks(copy.get()));
  EXPECT_EQ(MasterText(copy.get()), MasterText(f.head.get()));
  for (int track = 1; track <= 9; ++track) EXPECT_EQ(ChainText(copy.get(), track), ChainText(f.head.get(), track));
  EXPECT_EQ(copy->segments.size(), 1u);
  EXPECT_EQ(copy->volume, f.head->volume);
}

TEST(DeepCopyTest, EventListCopySharesNoNodeOrMemory) {
  Fixture f;
  EventListSlot copy = CopyEventList(f.head.get());
  for (const TLEvent* original = f.head.get(); original != nullptr; original = GetNextEvent(original)) {
    for (const TLEvent* copied = copy.get(); copied != nullptr; copied = GetNextEvent(copied)) {
      ASSERT_NE(original, copied);
      ASSERT_NE(original->next, copied);
      ASSERT_NE(copied->next, original);
    }
  }
  TLEvent* copiedClip = FindTrack(copy.get(), 1)->next;
  EXPECT_EQ(copiedClip->filters[0].params[0].tables->red[10], 200);
  EXPECT_NE(copiedClip->ownPicture.get(), f.clip->ownPicture.get());
  EXPECT_EQ(copiedClip->ownPicture.Bytes(), f.clip->ownPicture.Bytes());
  EXPECT_NE(copiedClip->filters[0].bitmaps[0].picture.get(), f.clip->filters[0].bitmaps[0].picture.get());
  EXPECT_NE(copiedClip->thumbnail.get(), f.clip->thumbnail.get());
  EXPECT_EQ(f.livingBitmaps, 2);

  // Changing the copy leaves the source as it was.
  copiedClip->filters[0].params[0].tables->red[10] = 1;
  copiedClip->filters[0].params[0].values[0] = 0;
  copiedClip->volume[0].level = 0;
  copiedClip->header->Avi()->video.length = 1;
  copiedClip->time = 2000;
  EXPECT_EQ(f.clip->filters[0].params[0].tables->red[10], 200);
  EXPECT_EQ(f.clip->filters[0].params[0].values[0], 42);
  EXPECT_EQ(f.clip->volume[0].level, 8000);
  EXPECT_EQ(f.clip->header->Avi()->video.length, 300u);
  EXPECT_EQ(f.clip->time, 1000);
  EXPECT_EQ(dynamic_cast<WorkData*>(copiedClip->filters[0].workData.get())->value, 5);
  EXPECT_NE(copiedClip->filters[0].workData.get(), f.clip->filters[0].workData.get());

  // Freeing the source leaves the copy whole.
  FreeEventList(f.head);
  EXPECT_FALSE(f.head);
  EXPECT_EQ(f.livingBitmaps, 1);
  EXPECT_TRUE(CheckTimelineLinks(copy.get()));
  EXPECT_EQ(copiedClip->ownPicture.Bytes(), (std::vector<std::uint8_t>{7, 7, 7}));
  FreeEventList(copy);
  EXPECT_EQ(f.livingBitmaps, 0);
}

TEST(DeepCopyTest, CopyIntoTheSlotThatHoldsTheSource) {
  Fixture f;
  std::string before = MasterText(f.head.get());
  CopyEventList(f.head.get(), f.head);
  EXPECT_EQ(MasterText(f.head.get()), before);
  EXPECT_TRUE(CheckTimelineLinks(f.head.get()));
  EventListSlot empty;
  CopyEventList(nullptr, f.head);
  EXPECT_FALSE(f.head);
  EXPECT_EQ(f.livingBitmaps, 0);
}

TEST(DeepCopyTest, ClipCopyIsADetachedPairWithEverythingOwned) {
  Fixture f;
  EventListSlot copy = CopyClipEvent(f.clip);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->kind, kEventClipIn);
  ASSERT_NE(copy->ClipOut(), nullptr);
  EXPECT_EQ(copy->ClipOut()->time, 5000);
  EXPECT_EQ(copy->masterNext.get(), copy->ClipOut());
  EXPECT_EQ(copy->prev, nullptr);
  EXPECT_EQ(copy->ClipOut()->next, nullptr);
  EXPECT_EQ(copy->filters.size(), 1u);
  EXPECT_EQ(copy->volume, FlatEnvelope(8000));
  EXPECT_EQ(copy->derivedFiles.waveName, "zkb0001");
  EXPECT_EQ(f.livingBitmaps, 2);

  // The source goes; the copy stays usable and can be put on a track.
  DeleteClip(f.clip);
  EXPECT_EQ(f.livingBitmaps, 1);
  TLEvent* pasted = InsertClipEvent(f.head.get(), std::move(copy), 4, 10000);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->OutTime(), 14000);
  EXPECT_EQ(pasted->trackNumber, 4);
  EXPECT_TRUE(CheckTimelineLinks(f.head.get()));

  EXPECT_FALSE(CopyClipEvent(nullptr));
  EXPECT_FALSE(CopyClipEvent(FindTrack(f.head.get(), 1)));
}

TEST(DeepCopyTest, FilterListOperations) {
  FilterList source = {RichFilter(), RichFilter()};
  source[1].id = 2;
  FilterList copy;
  CopyFilterList(copy, source);
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[1].id, 2);
  copy[0].params[0].name = "changed";
  EXPECT_EQ(source[0].params[0].name, "first");

  TLFilter single;
  CopyFilter(single, source[0]);
  EXPECT_EQ(single.script, "curves");
  ReleaseFilter(single);
  EXPECT_EQ(single.id, 0);
  EXPECT_TRUE(single.params.empty());
  EXPECT_FALSE(single.workData);

  FreeFilterParamList(copy[0].params);
  EXPECT_TRUE(copy[0].params.empty());
  FreeFilterList(copy);
  EXPECT_TRUE(copy.empty());

  TLFilterParam param = source[0].params[0];
  InitFilterParam(param);
  EXPECT_EQ(param, TLFilterParam{});
  TLParamTables tables;
  tables.master[0] = 3;
  InitParamTables(tables);
  EXPECT_EQ(tables, TLParamTables{});
  InitFilter(source[0]);
  EXPECT_EQ(source[0].id, 0);
}

TEST(DeepCopyTest, SpecialFiltersOfTheScreenWideEffects) {
  FilterList list(1);
  list[0].id = 1001;
  EXPECT_FALSE(HasSpecialFilter(list));
  for (std::int32_t id : {1552, 1500, 1550, 8002, 9000, 8007, 8009}) {
    list[0].id = id;
    EXPECT_TRUE(HasSpecialFilter(list)) << id;
  }
  EXPECT_FALSE(HasSpecialFilter({}));
}

}  // namespace
}  // namespace sprocket

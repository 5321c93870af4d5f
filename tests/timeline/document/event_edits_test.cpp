// Moving single records, the repair of a timeline's times, transition types
// and field orders from the settings.

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/event_edits.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;
using testing::ChainText;
using testing::MasterText;

class EventEditsTest : public ::testing::Test {
protected:
  void SetUp() override {
    head = MakeDefaultTimeline(2997, 60000);
    first = InsertClip(head.get(), 1, 1000, 3000, AviClip("a", 0, 2000));
    second = InsertClip(head.get(), 1, 5000, 9000, AviClip("b", 0, 4000));
  }
  EventListSlot head;
  TLEvent* first = nullptr;
  TLEvent* second = nullptr;
};

TEST_F(EventEditsTest, MovingTheOutRecordChangesTheClipsLength) {
  TLEvent* moved = MoveClipEvent(head.get(), -2000, 1, 9000, kEventClipOut, kTrackVideo, 1);
  ASSERT_EQ(moved, second->ClipOut());
  EXPECT_EQ(second->OutTime(), 7007);  // 7000 snapped to a frame at 29.97
  EXPECT_EQ(ChainText(head.get(), 1), "b f@1000 F@3000 f@5000 F@7007 e");
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
  // An out record never passes its in time.
  MoveClipEvent(head.get(), -9000, 1, 7007, kEventClipOut, kTrackVideo, 1);
  EXPECT_EQ(second->OutTime(), 5000);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST_F(EventEditsTest, MovingAClipInRecordOntoAnotherTrackTakesItsPartner) {
  TLEvent* moved = MoveClipEvent(head.get(), 10000, 3, 1000, kEventClipIn, kTrackVideo, 1);
  ASSERT_EQ(moved, first);
  MoveClipEvent(head.get(), 10000, 3, 3000, kEventClipOut, kTrackVideo, 3);
  EXPECT_EQ(first->time, 11011);
  EXPECT_EQ(first->OutTime(), 13013);
  EXPECT_EQ(ChainText(head.get(), 1), "b f@5000 F@9000 e");
  EXPECT_EQ(ChainText(head.get(), 3), "b f@11011 F@13013 e");
  EXPECT_EQ(MasterText(head.get()).find("f1@11011"), std::string::npos);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST_F(EventEditsTest, MovesClampAtZeroAndMissTheWrongRecord) {
  MoveClipEvent(head.get(), -5000, 1, 1000, kEventClipIn, kTrackVideo, 1);
  EXPECT_EQ(first->time, 0);
  EXPECT_EQ(MoveClipEvent(head.get(), 100, 1, 1234, kEventClipIn, kTrackVideo, 1), nullptr);
  EXPECT_EQ(MoveClipEvent(head.get(), 100, 1, 5000, kEventClipIn, kTrackAudio, 1), nullptr);
  EXPECT_EQ(MoveClipEvent(head.get(), 100, 42, 5000, kEventClipIn, kTrackVideo, 1), nullptr);
  EXPECT_EQ(MoveClipEvent(head.get(), 100, 1, 5000, kEventTrackEnd, kTrackVideo, 1), nullptr);
  EXPECT_EQ(second->time, 5000);
}

TEST_F(EventEditsTest, ValidationRefusesTimelinesLongerThanTenHours) {
  TLEvent* late = InsertClip(head.get(), 3, 35000000, 36000001, AviClip("late", 0, 1000001));
  ASSERT_NE(late, nullptr);
  testing::ScriptedPrompts prompts;
  prompts.Expect("Timeline Duration can not exceed 10 hours");
  EXPECT_NE(ValidateTimelineTimes(head.get()), 0);
  EXPECT_TRUE(prompts.AllShown());
  late->ClipOut()->time = 36000000;
  EXPECT_EQ(ValidateTimelineTimes(head.get()), 0);
}

TEST_F(EventEditsTest, ValidationPullsTimesBackIntoOrder) {
  testing::ScriptedPrompts prompts;  // no message expected
  first->time = 6000;                // now after the second clip
  first->ClipOut()->time = 4000;     // and ending before it starts
  second->ClipOut()->time = 70000;   // beyond the timeline's end
  EXPECT_EQ(ValidateTimelineTimes(head.get()), 0);
  EXPECT_EQ(first->OutTime(), 6000);
  EXPECT_EQ(ChainText(head.get(), 1), "b f@5000 F@70000 f@6000 F@6000 e");
  EXPECT_EQ(TimelineDuration(head.get()), 70000);
  EXPECT_EQ(FindTrack(head.get(), 9)->next->time, 70000);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST_F(EventEditsTest, TransitionTypeDropsTheOldIcon) {
  int living = 0;
  struct Icon : ClipBitmap {
    explicit Icon(int* count) : count(count) { ++*count; }
    ~Icon() override { --*count; }
    std::unique_ptr<ClipBitmap> Clone() const override { return std::make_unique<Icon>(count); }
    int* count;
  };
  TLEvent* transition = InsertClip(head.get(), 2, 1000, 2000);
  transition->transitionIcon = std::make_unique<Icon>(&living);
  EXPECT_EQ(living, 1);
  TransitionTexts texts{"Effect sequence", "Runs a sequence of effects"};
  SetTransitionType(*transition, 999, &texts);
  EXPECT_EQ(transition->transitionId, 999);
  EXPECT_EQ(living, 0);
  EXPECT_EQ(transition->title, "Effect sequence");
  SetTransitionType(*transition, 1);
  EXPECT_EQ(transition->title, "Effect sequence");
  // The first filter is the transition the compositor runs: it follows the id
  // and keeps its parameters.
  ASSERT_EQ(transition->filters.size(), 1u);
  EXPECT_EQ(transition->filters.front().id, 1);
  transition->filters.front().params.resize(1);
  transition->filters.front().params[0].values[0] = 25;
  SetTransitionType(*transition, 7);
  ASSERT_EQ(transition->filters.size(), 1u);
  EXPECT_EQ(transition->filters.front().id, 7);
  EXPECT_EQ(transition->filters.front().params[0].values[0], 25);
}

TEST(AviFieldInfoTest, FieldOrderComesFromTheCompressorsEntry) {
  testing::ScopedConfigDir config;
  WriteProfileString("AVI Field Info", "ENTRY0", "DUDC(1)");
  WriteProfileString("AVI Field Info", "ENTRY1", "CFCC(2)");
  WriteProfileString("AVI Field Info", "ENTRY3", "SHRT");
  WriteProfileString("AVI Field Info", "ENTRY4", "MJPGx");

  TLEvent clip;
  clip.header = testing::MakeAviHeader(10, 30, 1, 0, MakeFourcc('C', 'F', 'C', 'C'));
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 2);
  EXPECT_EQ(clip.header->FieldOrder(), 2);
  clip.header = testing::MakeAviHeader(10, 30, 1, 0, MakeFourcc('D', 'U', 'D', 'C'));
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 1);
  clip.header->SetFieldOrder(3);
  clip.header = testing::MakeAviHeader(10, 30, 1, 0, MakeFourcc('I', 'V', '5', '0'));
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 0);
  // A value too short to hold the digit gives 0.
  clip.header = testing::MakeAviHeader(10, 30, 1, 0, MakeFourcc('M', 'J', 'P', 'G'));
  clip.header->SetFieldOrder(4);
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 0);
  // ... and the search goes on to a later, well-formed entry of the same code.
  WriteProfileString("AVI Field Info", "ENTRY5", "MJPG(x)");
  WriteProfileString("AVI Field Info", "ENTRY6", "MJPG(2)");
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 2);
  // A clip without an AVI header keeps its order.
  SequenceClipHeader sequence{};
  sequence.fieldMode = 3;
  clip.header = ClipMediaHeader(sequence);
  EXPECT_EQ(ApplyAviFieldInfoToClip(clip), 3);
}

}  // namespace
}  // namespace sprocket

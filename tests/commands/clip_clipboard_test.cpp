// Cut and Paste of whole clips through the router: a cut clip comes back at
// the position line as it was, on its own track or the first free one of
// its kind, undoable; refusals leave the timeline and the history alone.

#include <functional>
#include <sstream>

#include "command_harness.h"
#include "commands/clip_clipboard.h"
#include "commands/command_ids.h"
#include "platform/string_table.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

class ClipClipboard : public CommandTest {
public:
  ClipClipboard() {
    doc.rate = 2500;  // whole frames of 40 ms
    doc.RecalcScale();
  }
  std::string Timeline() const { return DumpEventList(doc.Head()) + "duration=" + std::to_string(doc.duration); }
  // The clip records alone, without their cached pictures: what a paste
  // gives back (the render segments are split again at the clips' edges
  // and the pictures rebuilt).
  std::string Clips() const {
    std::istringstream lines(DumpEventList(doc.Head()));
    std::string text;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("f ", 0) != 0 && line.rfind("F ", 0) != 0) continue;
      text += line.substr(0, line.find(" pics=")) + "\n";
    }
    return text;
  }
  // Cuts the selected clip; the clipboard then holds it.
  void Cut() {
    ASSERT_TRUE(Run(CommandForKey('X', true)));
    ASSERT_NE(context.cutClip.Clip(), nullptr);
  }
  bool Paste(std::int32_t at) {
    doc.currentPosition = at;
    return Run(CommandForKey('V', true));
  }
};

TEST_F(ClipClipboard, CutThenPasteGivesTheClipBackAndBothUndo) {
  TLEvent* clip = Wave(6, 1000, 4000, 2);
  clip->channelMode = 1005;
  const std::string original = Timeline();
  const std::string originalClips = Clips();
  EXPECT_FALSE(router.Update(kCmdEditPaste).enabled);
  Cut();
  EXPECT_EQ(FindClipAtTime(doc.Head(), 2000, 6), nullptr);
  const std::string cut = Timeline();
  EXPECT_TRUE(router.Update(kCmdEditPaste).enabled);

  ASSERT_TRUE(Paste(1000));
  EXPECT_EQ(Clips(), originalClips);
  const std::string pasted = Timeline();
  EXPECT_EQ(doc.UndoKind(), kEditPasteClip);
  EXPECT_EQ(router.Update(kCmdEditUndo).text, "&Undo paste clip\tCtrl+Z");
  ASSERT_NE(SelectedClip(doc), nullptr);
  EXPECT_EQ(SelectedClip(doc), FindClipAtTime(doc.Head(), 2000, 6));
  EXPECT_TRUE(CheckTimelineLinks(doc.Head()));

  ASSERT_TRUE(Run(kCmdEditUndo));
  EXPECT_EQ(Timeline(), cut);
  ASSERT_TRUE(Run(kCmdEditRedo));
  EXPECT_EQ(Timeline(), pasted);
  ASSERT_TRUE(Run(kCmdEditUndo));
  ASSERT_TRUE(Run(kCmdEditUndo));
  EXPECT_EQ(Timeline(), original);  // the cut undone too
  // The clipboard keeps its own copy: it pastes again after all that.
  ASSERT_TRUE(Paste(10000));
  EXPECT_EQ(FindClipAtTime(doc.Head(), 11000, 6)->channelMode, 1005);
}

struct PasteCase {
  const char* name;
  std::function<void(ClipClipboard&)> setUp;  // after the cut
  std::int32_t at;
  std::int32_t track;   // where the clip lands; 0: refused
  const char* message;  // the refusal's message, or null
};

class PasteTest : public ClipClipboard, public ::testing::WithParamInterface<PasteCase> {};

TEST_P(PasteTest, LandsOnTheFirstFreeTrackOfItsKindOrIsRefused) {
  const PasteCase& c = GetParam();
  ClipClipboard& t = *this;
  t.Wave(6, 0, 3000, 2);
  t.Cut();
  c.setUp(t);
  const std::string before = t.Timeline();
  const std::size_t steps = t.doc.undoSteps.size();
  if (c.message != nullptr) t.prompts.Expect(c.message);
  t.Paste(c.at);
  if (c.track == 0) {
    EXPECT_EQ(t.Timeline(), before);
    EXPECT_EQ(t.doc.undoSteps.size(), steps);
    return;
  }
  const TLEvent* pasted = FindClipAtTime(t.doc.Head(), c.at + 1500, c.track);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->time, c.at);
  EXPECT_EQ(pasted->OutTime(), c.at + 3000);
  EXPECT_EQ(pasted->mediaType, kMediaWav);
  EXPECT_GE(t.doc.duration, pasted->OutTime());
  EXPECT_TRUE(CheckTimelineLinks(t.doc.Head()));
  ASSERT_TRUE(t.Run(kCmdEditUndo));
  EXPECT_EQ(t.Timeline(), before);
}

void Nothing(ClipClipboard&) {}

INSTANTIATE_TEST_SUITE_P(
    Placements, PasteTest,
    ::testing::Values(PasteCase{"its own track", Nothing, 5000, 6, nullptr},
                      PasteCase{"the next audio track when its own is busy",
                                [](ClipClipboard& t) { t.Wave(6, 4000, 9000, 1, false); }, 5000, 7, nullptr},
                      PasteCase{"refused when every audio track is busy",
                                [](ClipClipboard& t) {
                                  for (std::int32_t track = 6; track <= 9; ++track) t.Wave(track, 4000, 9000, 1, false);
                                },
                                5000, 0, kNoFreeTrackForPasteMessage},
                      PasteCase{"past the timeline's end, which grows", Nothing, kDefaultDuration - 1000, 6, nullptr},
                      PasteCase{"refused past ten hours", Nothing, kMaxTimelineEnd - 1000, 0,
                                StringText(kTimelineTooLongMessage).data()}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(ClipClipboard, APastedRollClipGetsItsTransition) {
  Still(3, 3000, 6000, false);
  Still(1, 0, 2000);
  Cut();
  ASSERT_TRUE(Paste(2000));
  const TLEvent* pasted = FindClipAtTime(doc.Head(), 3000, 1);
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->time, 2000);
  const TLEvent* transition = FindClipAtTime(doc.Head(), 3500, 2);
  ASSERT_NE(transition, nullptr);
  EXPECT_EQ(transition->time, 3000);
  EXPECT_EQ(transition->OutTime(), 4000);
  EXPECT_TRUE(view.Called("edit"));
}

TEST_F(ClipClipboard, APastedSplitHalfStaysLinkedOnlyToItsOneOtherHalf) {
  StereoAvi(1, 0, 2000);
  ASSERT_TRUE(Run(kCmdSplitRejoinAudioVideo));
  TLEvent* video = FindClipAtTime(doc.Head(), 1000, 1);
  Select(FindClipAtTime(doc.Head(), 1000, 6));
  Cut();
  ASSERT_TRUE(Paste(0));
  const TLEvent* first = FindClipAtTime(doc.Head(), 1000, 6);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FindLinkedClip(doc.Head(), video), first);
  EXPECT_TRUE(router.Update(kCmdSplitRejoinAudioVideo).enabled);  // it can be joined back
  ASSERT_TRUE(Paste(5000));
  EXPECT_EQ(FindClipAtTime(doc.Head(), 6000, 6)->linkNumber, 0u);
  EXPECT_EQ(FindLinkedClip(doc.Head(), video), first);
}

TEST_F(ClipClipboard, ATransitionIsNotCut) {
  Still(2, 0, 1000);
  EXPECT_FALSE(router.Update(kCmdEditCut).enabled);
  EXPECT_FALSE(Run(kCmdEditCut));
  EXPECT_EQ(context.cutClip.Clip(), nullptr);
  EXPECT_TRUE(router.Update(kCmdEditDelete).enabled);
}

}  // namespace
}  // namespace sprocket::testing

// Channel modes, volume and balance levels, and the audio preview tracks.

#include "commands/clip_audio_commands.h"
#include "command_harness.h"
#include "commands/command_ids.h"

namespace sprocket::testing {
namespace {

TEST_F(CommandTest, ChoosingAChannelModeTwiceClearsIt) {
  TLEvent* clip = Wave(6, 0, 3000, 2);
  struct Step {
    int id;
    std::int32_t mode;
  };
  for (const Step& step : {Step{kCmdFillLeft, 1003}, Step{kPopupFillLeft, 0}, Step{kPopupMuteBoth, 1000},
                           Step{kCmdSwitchLeftRight, 1006}, Step{kPopupSwitchLeftRight, 0}}) {
    ASSERT_TRUE(Run(step.id));
    EXPECT_EQ(clip->channelMode, step.mode) << step.id;
    EXPECT_EQ(doc.UndoKind(), 61538);
  }
  EXPECT_EQ(doc.undoSteps.size(), 5u);
}

TEST_F(CommandTest, SetVolumeOpensAtTheFirstLevelAndFlattensTheEnvelope) {
  TLEvent* clip = Wave(6, 0, 3000, 1);  // first point at 15050
  dialogs.Answer("value", 150);
  ASSERT_TRUE(Run(kPopupSetVolume));
  EXPECT_EQ(dialogs.calls.back().given, (std::vector<std::int64_t>{0, 150}));
  EXPECT_EQ(clip->volume, FlatEnvelope(15000));
  EXPECT_EQ(doc.UndoKind(), 184);
  clip->balance.clear();  // an empty envelope opens at 100 %
  dialogs.Answer("value", 70);
  ASSERT_TRUE(Run(kCmdSetBalance));
  EXPECT_EQ(dialogs.calls.back().given, (std::vector<std::int64_t>{1, 100}));
  EXPECT_EQ(clip->balance, FlatEnvelope(7000));
  ASSERT_TRUE(Run(kCmdResetBalance));
  EXPECT_EQ(clip->balance, FlatEnvelope(10000));
}

// Selections of tracks V1, V2, A1, A2 (numbers 1, 3, 6, 7).
void SelectPreviewTracks(CTestDoc& doc, std::initializer_list<std::pair<int, int>> numberAndSelection) {
  for (auto [number, selection] : numberAndSelection) FindTrack(doc.Head(), number)->audioPreviewSelection = selection;
}

TEST_F(CommandTest, AudioPreviewTracksRoundTripKeepsTheSameTracks) {
  SelectPreviewTracks(doc, {{3, 1}, {6, -1}, {7, 1}});
  doc.Head()->audioPreviewOption = 1;
  const std::string before = Dump();
  dialogs.AnswerPreview(AudioPreviewChoice{1, {{{'V', 2, false}, {'A', 1, true}, {'A', 2, false}, {}}}});
  ASSERT_TRUE(Run(kCmdAudioPreviewTracks));
  EXPECT_EQ(dialogs.lastPreviewGiven,
            (AudioPreviewChoice{1, {{{'V', 2, false}, {'A', 1, true}, {'A', 2, false}, {}}}}));
  EXPECT_EQ(Dump(), before);
  EXPECT_TRUE(doc.undoSteps.empty());  // the same choice is no edit
}

TEST_F(CommandTest, AudioPreviewTracksTakesTheFirstFourAndStoresTheChoice) {
  SelectPreviewTracks(doc, {{1, 1}, {3, 1}, {6, 1}, {7, 1}, {8, 1}});
  dialogs.AnswerPreview(AudioPreviewChoice{2, {{{'A', 3, true}, {'V', 1, false}, {}, {}}}});
  ASSERT_TRUE(Run(kCmdAudioPreviewTracks));
  EXPECT_EQ(dialogs.lastPreviewGiven.channels[3], (AudioPreviewChannel{'A', 2, false}));
  EXPECT_EQ(doc.Head()->audioPreviewOption, 2);
  for (auto [number, selection] : {std::pair{1, 1}, {3, 0}, {6, 0}, {7, 0}, {8, -1}})
    EXPECT_EQ(FindTrack(doc.Head(), number)->audioPreviewSelection, selection) << number;
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(CommandTest, AudioPreviewTracksCancelChangesNothing) {
  SelectPreviewTracks(doc, {{6, 1}});
  const std::string before = Dump();
  dialogs.AnswerPreview(std::nullopt);
  ASSERT_TRUE(Run(kCmdAudioPreviewTracks));
  EXPECT_EQ(Dump(), before);
  EXPECT_FALSE(doc.IsModified());
}

}  // namespace
}  // namespace sprocket::testing

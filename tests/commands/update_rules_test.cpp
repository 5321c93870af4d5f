// Update rules of every command, table-driven over the kinds of selection,
// and the router's refusal to run a disabled command (menu, pop-up or key).

#include <functional>
#include <set>

#include "command_harness.h"
#include "commands/clip_audio_commands.h"
#include "commands/command_ids.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

const std::vector<int> kRuledIds = {kCmdSplitRejoinAudioVideo,
                                    kCmdFieldHandling,
                                    kCmdFadeInFromBlack,
                                    kCmdFadeOutToBlack,
                                    kCmdCopyAttributes,
                                    kCmdClipSpeed,
                                    kCmdMute,
                                    kCmdMuteLeft,
                                    kCmdFillBoth,
                                    kCmdResetVolume,
                                    kCmdSetBalance,
                                    kCmdTimelineDuration,
                                    kCmdEditDelete,
                                    kCmdEditCut,
                                    kCmdEditPaste};

struct RuleCase {
  const char* name;
  std::function<void(CommandTest&)> setUp;
  std::set<int> enabled;
};

class UpdateRules : public CommandTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(UpdateRules, EnableExactlyTheCommandsOfTheSelection) {
  GetParam().setUp(*this);
  for (int id : kRuledIds) {
    EXPECT_EQ(router.Update(id).enabled, GetParam().enabled.count(id) == 1) << GetParam().name << " command " << id;
    EXPECT_EQ(router.Update(id).enabled, router.Update(MenuIdOf(id)).enabled);
  }
}

const std::set<int> kAlways = {kCmdTimelineDuration};
std::set<int> With(std::set<int> ids) {
  ids.insert(kCmdTimelineDuration);
  return ids;
}
const std::set<int> kClipBasics = {kCmdCopyAttributes, kCmdClipSpeed, kCmdEditDelete, kCmdEditCut};
std::set<int> Basics(std::set<int> more) {
  more.insert(kClipBasics.begin(), kClipBasics.end());
  return With(more);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, UpdateRules,
    ::testing::Values(
        RuleCase{"nothing selected", [](CommandTest&) {}, kAlways},
        RuleCase{"stereo AVI on V1", [](CommandTest& t) { t.StereoAvi(1, 1000, 5000); },
                 Basics({kCmdSplitRejoinAudioVideo, kCmdFieldHandling, kCmdFadeInFromBlack, kCmdFadeOutToBlack,
                         kCmdMute, kCmdMuteLeft, kCmdFillBoth, kCmdResetVolume, kCmdSetBalance})},
        RuleCase{"silent AVI without partner",
                 [](CommandTest& t) {
                   TLEventFields fields = AviClip("mute", 0, 4000);
                   fields.header = MakeAviHeader(100, 25, 1, 0);
                   t.Clip(1, 1000, 5000, fields, true);
                 },
                 Basics({kCmdFieldHandling, kCmdFadeInFromBlack, kCmdFadeOutToBlack})},
        RuleCase{"mono WAV on A1", [](CommandTest& t) { t.Wave(6, 0, 3000, 1); },
                 Basics({kCmdMute, kCmdResetVolume, kCmdSetBalance})},
        RuleCase{"stereo WAV on A1", [](CommandTest& t) { t.Wave(6, 0, 3000, 2); },
                 Basics({kCmdMute, kCmdMuteLeft, kCmdFillBoth, kCmdResetVolume, kCmdSetBalance})},
        RuleCase{"transition", [](CommandTest& t) { t.Still(2, 0, 1000); }, With({kCmdEditDelete})},
        RuleCase{"other roll track busy at the in time",
                 [](CommandTest& t) {
                   t.Still(3, 0, 1020, false);
                   t.Still(1, 1000, 5000);
                 },
                 Basics({kCmdFadeOutToBlack})},
        RuleCase{"overlay track", [](CommandTest& t) { t.Still(4, 0, 1000); }, Basics({})},
        RuleCase{"intermediate movie",
                 [](CommandTest& t) {
                   TLEvent* clip = t.Still(1, 0, 1000);
                   clip->intermediateMovie = IntermediateMovie{};
                 },
                 With({kCmdClipSpeed, kCmdEditDelete, kCmdEditCut, kCmdFadeInFromBlack, kCmdFadeOutToBlack})},
        RuleCase{"audio half of a split pair",
                 [](CommandTest& t) {
                   t.StereoAvi(1, 0, 2000);
                   t.Run(kCmdSplitRejoinAudioVideo);
                   t.Select(FindTrack(t.doc.Head(), 6)->next);
                 },
                 Basics({kCmdSplitRejoinAudioVideo, kCmdFieldHandling, kCmdMute, kCmdMuteLeft, kCmdFillBoth,
                         kCmdResetVolume, kCmdSetBalance})}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(CommandTest, PasteNeedsAClipboardOfTheSameTrackTypeAndNoIntermediateMovie) {
  TLEvent* source = StereoAvi(1, 0, 2000);
  EXPECT_FALSE(router.Update(kCmdPasteAttributes).enabled);
  ASSERT_TRUE(Run(kPopupCopyAttributes));
  struct Case {
    TLEvent* target;
    bool enabled;
  };
  TLEvent* video = Still(3, 0, 2000, false);
  TLEvent* audio = Wave(6, 0, 2000, 2, false);
  TLEvent* movie = Still(4, 0, 2000, false);
  movie->intermediateMovie = IntermediateMovie{};
  for (const Case& c : {Case{source, true}, Case{video, true}, Case{audio, false}, Case{movie, false}}) {
    Select(c.target);
    EXPECT_EQ(router.Update(kPopupPasteAttributes).enabled, c.enabled) << c.target->trackNumber;
  }
}

TEST_F(CommandTest, ChannelModeChecksTheClipsModeAndNamesMuteByChannels) {
  TLEvent* clip = Wave(6, 0, 3000, 1);
  EXPECT_EQ(router.Update(kCmdMute).text, "Mute");
  ASSERT_TRUE(Run(kPopupMute));
  EXPECT_TRUE(router.Update(kCmdMute).checked);
  EXPECT_FALSE(router.Update(kPopupMuteLeft).enabled);
  Select(StereoAvi(1, 0, 2000));
  EXPECT_EQ(router.Update(kCmdMute).text, "Mute Both");
  EXPECT_FALSE(router.Update(kCmdMute).checked);
  Select(clip);
  EXPECT_TRUE(router.Update(kPopupMuteBoth).checked);
}

TEST_F(CommandTest, DisabledCommandsDoNothingFromMenuPopupOrKey) {
  TLEventFields fields = AviClip("mute", 0, 4000);
  fields.header = MakeAviHeader(100, 25, 1, 0);
  Clip(1, 0, 4000, fields, true);
  const std::string before = Dump();
  EXPECT_EQ(CommandForKey('S', false), kCmdSplitRejoinAudioVideo);
  for (int id : {CommandForKey('S', false), kPopupMute, kCmdMuteLeft, kPopupSetVolume, kCmdEditRedo, kCmdEditUndo})
    EXPECT_FALSE(Run(id)) << id;
  EXPECT_EQ(Dump(), before);
  EXPECT_TRUE(doc.undoSteps.empty());
}

TEST_F(CommandTest, SoundPopupListsStereoItemsOnlyForStereoClips) {
  Wave(6, 0, 3000, 1);
  EXPECT_EQ(ClipSoundPopupItems(doc).back(), (PopupItem{kPopupMute, "Mute"}));
  EXPECT_EQ(ClipSoundPopupItems(doc).size(), 4u);
  Wave(7, 0, 3000, 2);
  const auto items = ClipSoundPopupItems(doc);
  ASSERT_EQ(items.size(), 15u);
  EXPECT_EQ(items[3], (PopupItem{kPopupResetBalance, "Reset Balance"}));
  EXPECT_EQ(items.back(), (PopupItem{kPopupSwitchLeftRight, "Switch Left and Right"}));
}

}  // namespace
}  // namespace sprocket::testing

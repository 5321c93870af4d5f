// The clip commands driven through the router: each edit undone and redone
// against the canonical dump, refusals that leave the timeline and the
// history alone, and what split, rejoin, fades, attributes, speed, delete,
// duration and field handling make of the timeline.

#include <algorithm>
#include <functional>

#include "command_harness.h"
#include "commands/clip_commands.h"
#include "commands/command_ids.h"
#include "platform/string_table.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/black_picture.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/clip_edits.h"
#include "timeline/records/filter_ids.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

TLFilter FilterOf(std::int32_t id) {
  TLFilter filter;
  filter.id = id;
  return filter;
}

// The timeline without the selection, which undo clears on purpose.
std::string State(const CTestDoc& doc) {
  return DumpEventList(doc.Head()) + "tracks=" + std::to_string(doc.trackCount) +
         " duration=" + std::to_string(doc.duration);
}

struct EditCase {
  const char* name;
  std::function<void(CommandTest&)> setUp;
  int id;
  std::int32_t undoKind;
};

class EditRoundTrip : public CommandTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditRoundTrip, UndoRestoresTheTimelineAndRedoTheEdit) {
  const EditCase& c = GetParam();
  c.setUp(*this);
  doc.undoSteps.clear();
  const std::string before = State(doc);
  ASSERT_TRUE(Run(c.id)) << c.name;
  const std::string after = State(doc);
  ASSERT_NE(after, before) << c.name;
  ASSERT_EQ(doc.UndoKind(), c.undoKind);
  EXPECT_EQ(router.Update(kCmdEditUndo).text, StringText(c.undoKind));
  ASSERT_TRUE(Run(kCmdEditUndo));
  EXPECT_EQ(State(doc), before) << c.name;
  EXPECT_TRUE(doc.selection.empty());
  ASSERT_TRUE(Run(kCmdEditRedo));
  EXPECT_EQ(State(doc), after) << c.name;
  EXPECT_TRUE(CheckTimelineLinks(doc.Head()));
}

void SelectAudioHalf(CommandTest& t) {
  t.StereoAvi(1, 0, 2000);
  t.Run(kCmdSplitRejoinAudioVideo);
  t.Select(FindTrack(t.doc.Head(), 6)->next);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditRoundTrip,
    ::testing::Values(EditCase{"split", [](CommandTest& t) { t.StereoAvi(1, 1000, 5000); }, kCmdSplitRejoinAudioVideo,
                               166},
                      EditCase{"split onto a new track",
                               [](CommandTest& t) {
                                 t.Wave(6, 0, 9000, 1, false);
                                 t.StereoAvi(1, 1000, 5000);
                               },
                               kCmdSplitRejoinAudioVideo, 166},
                      EditCase{"rejoin", SelectAudioHalf, kCmdSplitRejoinAudioVideo, 166},
                      EditCase{"fade in", [](CommandTest& t) { t.Still(1, 1000, 5000); }, kCmdFadeInFromBlack, 165},
                      EditCase{"fade out", [](CommandTest& t) { t.Still(3, 1000, 5000); }, kCmdFadeOutToBlack, 165},
                      EditCase{"paste",
                               [](CommandTest& t) {
                                 TLEvent* source = t.StereoAvi(1, 0, 2000);
                                 source->filters.push_back(FilterOf(1300));
                                 t.Run(kCmdCopyAttributes);
                                 t.Select(t.StereoAvi(3, 3000, 6000));
                                 t.Select(FindTrack(t.doc.Head(), 3)->next);
                                 t.doc.selection.front().clip->volume = FlatEnvelope(3000);
                               },
                               kPopupPasteAttributes, 61451},
                      EditCase{"speed",
                               [](CommandTest& t) {
                                 t.StereoAvi(1, 0, 4000);
                                 t.dialogs.Answer("value", 200);
                               },
                               kPopupClipSpeed, 173},
                      EditCase{"delete", [](CommandTest& t) { t.StereoAvi(1, 0, 4000); }, kCmdEditDelete, 180},
                      EditCase{"cut", [](CommandTest& t) { t.Wave(6, 0, 4000, 2); }, kCmdEditCut, 180},
                      EditCase{"channel mode", [](CommandTest& t) { t.Wave(6, 0, 4000, 2); }, kPopupFillLeft, 61538},
                      EditCase{"reset volume", [](CommandTest& t) { t.Wave(6, 0, 4000, 1); }, kPopupResetVolume, 184},
                      EditCase{"set balance",
                               [](CommandTest& t) {
                                 t.StereoAvi(1, 0, 4000);
                                 t.dialogs.Answer("value", 50);
                               },
                               kCmdSetBalance, 184}),
    [](const auto& info) { return "Edit" + std::to_string(info.index); });

// --- Refusals ---

const std::string kTransitionsConflictTextStore = EditErrorText(EditError::kTransitionsConflict);
const char* const kTransitionsConflictText = kTransitionsConflictTextStore.c_str();

struct RefusalCase {
  const char* name;
  std::function<void(CommandTest&)> setUp;
  int id;
  const char* message;  // expected message, or null
};

class Refusal : public CommandTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, LeavesTimelineAndHistoryUnchanged) {
  const RefusalCase& c = GetParam();
  c.setUp(*this);
  doc.SaveUndoState(99);  // an earlier edit, which must stay the top step
  doc.redoSteps.clear();
  if (c.message != nullptr) prompts.Expect(c.message);
  const std::string before = State(doc);
  Run(c.id);
  EXPECT_EQ(State(doc), before) << c.name;
  EXPECT_EQ(doc.undoSteps.size(), 1u) << c.name;
  EXPECT_EQ(doc.UndoKind(), 99);
  EXPECT_TRUE(doc.redoSteps.empty());
  EXPECT_FALSE(view.speedChange) << c.name;
  for (const ClipSelection& entry : doc.selection)
    EXPECT_NE(FindClipAtTime(doc.Head(), entry.in, entry.clip->trackNumber), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, Refusal,
    ::testing::Values(RefusalCase{"speed overlapping the next clip",
                                  [](CommandTest& t) {
                                    t.Still(1, 4000, 8000, false);
                                    t.Still(1, 0, 4000);
                                    t.dialogs.Answer("value", 50);
                                  },
                                  kCmdClipSpeed, kSpeedOverlapMessage},
                      RefusalCase{"speed 0",
                                  [](CommandTest& t) {
                                    t.Still(1, 0, 4000);
                                    t.dialogs.Answer("value", 0);
                                  },
                                  kCmdClipSpeed, nullptr},
                      RefusalCase{"speed cancelled",
                                  [](CommandTest& t) {
                                    t.Still(1, 0, 4000);
                                    t.dialogs.Answer("value", std::nullopt);
                                  },
                                  kCmdClipSpeed, nullptr},
                      RefusalCase{"speed leaving an overlap shorter than a frame",
                                  [](CommandTest& t) {
                                    t.Still(3, 2010, 4000, false);
                                    t.Still(1, 0, 2000);
                                    t.dialogs.Answer("value", 99);
                                  },
                                  kCmdClipSpeed, kTransitionsConflictText},
                      RefusalCase{"screen-wide effect pasted from an overlay onto the roll",
                                  [](CommandTest& t) {
                                    TLEvent* source = t.Still(4, 0, 2000);
                                    source->filters.push_back(FilterOf(kFilterPageEffect));
                                    t.Run(kCmdCopyAttributes);
                                    t.Still(1, 0, 2000);
                                  },
                                  kCmdPasteAttributes, StringText(61296).data()},
                      RefusalCase{"split with the most tracks",
                                  [](CommandTest& t) {
                                    while (t.doc.trackCount < kMaxTracks)
                                      t.doc.InsertTrack(kTrackVideo, t.doc.trackCount + 1);
                                    t.StereoAvi(1, 0, 2000);
                                  },
                                  kCmdSplitRejoinAudioVideo, "The number of tracks can not be more than 100"},
                      RefusalCase{"volume dialog cancelled",
                                  [](CommandTest& t) {
                                    t.Wave(6, 0, 2000, 2);
                                    t.dialogs.Answer("value", std::nullopt);
                                  },
                                  kPopupSetVolume, nullptr},
                      RefusalCase{"duration cancelled",
                                  [](CommandTest& t) { t.dialogs.Answer("duration", std::nullopt); },
                                  kCmdTimelineDuration, nullptr}),
    [](const auto& info) { return "Refusal" + std::to_string(info.index); });

TEST_F(CommandTest, RejoinOfAClipWithoutPartnerTakesNoUndoStep) {
  TLEventFields fields = AviClip("mute", 0, 4000);
  fields.header = MakeAviHeader(100, 25, 1, 0);
  Clip(1, 0, 4000, fields, true);
  SplitOrRejoinAudioVideo(context);
  EXPECT_TRUE(doc.undoSteps.empty());
}

// --- Split and rejoin ---

TEST_F(CommandTest, SplitMovesTheSoundOntoTheFirstFreeAudioTrack) {
  TLEvent* video = StereoAvi(1, 1000, 5000);
  video->waveform0 = std::make_unique<FakeBitmap>();
  ASSERT_TRUE(Run(CommandForKey('S', false)));
  TLEvent* audio = FindTrack(doc.Head(), 6)->next;
  ASSERT_TRUE(audio->IsClipIn());
  EXPECT_FALSE(video->header->HasAudio());
  EXPECT_EQ(video->header->Avi()->audio.length, 0u);
  EXPECT_EQ(audio->header->Avi()->audio.length, 44100u);
  EXPECT_EQ(audio->header->AudioChannels(), 2);
  EXPECT_EQ(audio->linkNumber, video->linkNumber);
  EXPECT_EQ(doc.linkCounter, audio->linkNumber);
  EXPECT_EQ(audio->volume, (VolumeEnvelope{{8000, 0}, {12000, 10000}}));
  EXPECT_EQ(audio->derivedFiles.waveName, "shot_wave");
  EXPECT_TRUE(audio->waveform0 && !video->waveform0);  // the picture moved, once
  EXPECT_EQ(audio->time, 1000);
  EXPECT_EQ(audio->OutTime(), 5000);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(CommandTest, SplitInsertsAnAudioTrackWhenTheFirstIsBusy) {
  Wave(6, 0, 9000, 1, false);
  StereoAvi(1, 1000, 5000);
  ASSERT_TRUE(Run(kCmdSplitRejoinAudioVideo));
  EXPECT_EQ(doc.trackCount, 10);
  EXPECT_EQ(FindTrack(doc.Head(), 6)->next->mediaType, kMediaAvi);
  EXPECT_EQ(FindTrack(doc.Head(), 7)->next->mediaType, kMediaWav);
  EXPECT_TRUE(view.Called("edit"));
}

TEST_F(CommandTest, RejoinFromEitherHalfGivesTheVideoItsWholeSoundBack) {
  for (bool fromVideo : {false, true}) {
    CTestDoc fresh;
    doc.ReplaceTimeline(CopyEventList(fresh.Head()));
    doc.trackCount = fresh.trackCount;
    TLEvent* video = StereoAvi(1, 1000, 5000);
    const ClipMediaHeader original = *video->header;
    ASSERT_TRUE(Run(kCmdSplitRejoinAudioVideo));
    TLEvent* audio = FindTrack(doc.Head(), 6)->next;
    audio->volume = FlatEnvelope(5000);
    audio->channelMode = 1003;
    Select(fromVideo ? video : audio);
    if (fromVideo) doc.AddSelection(FindTrack(doc.Head(), 1)->next);
    // The video half has no sound left, so only the handler reaches it.
    EXPECT_EQ(router.Update(kCmdSplitRejoinAudioVideo).enabled, !fromVideo);
    SplitOrRejoinAudioVideo(context);
    EXPECT_EQ(*video->header, original) << fromVideo;
    EXPECT_EQ(video->volume, FlatEnvelope(5000));
    EXPECT_EQ(video->channelMode, 1003);
    EXPECT_EQ(video->linkNumber, 0u);
    EXPECT_EQ(FindTrack(doc.Head(), 6)->next->kind, kEventTrackEnd);
    EXPECT_EQ(FindTrack(doc.Head(), 1)->next, video);
    EXPECT_TRUE(doc.selection.empty());
  }
}

// --- Fades ---

struct FadeCase {
  const char* name;
  std::int32_t clipIn, clipOut;
  std::int32_t otherIn, otherOut;  // a clip on the other roll track, or 0, 0
  bool fadeIn;
  std::int32_t blackIn, blackOut;
};

class Fade : public CommandTest, public ::testing::WithParamInterface<FadeCase> {};

TEST_P(Fade, PutsBlackOnTheOtherRollTrackAndTurnsTheTransition) {
  const FadeCase& c = GetParam();
  if (c.otherOut != 0) Still(3, c.otherIn, c.otherOut, false);
  Still(1, c.clipIn, c.clipOut);
  RebuildTransitions(doc);
  ASSERT_TRUE(Run(c.fadeIn ? kCmdFadeInFromBlack : kCmdFadeOutToBlack)) << c.name;
  const TLEvent* black = FindClipAtTime(doc.Head(), c.blackIn + 1, 3);
  ASSERT_NE(black, nullptr) << c.name;
  EXPECT_EQ(black->name, "black");
  EXPECT_EQ(black->time, c.blackIn);
  EXPECT_NEAR(black->OutTime(), c.blackOut, 17) << c.name;
  const TLEvent* transition = FindClipAtTime(doc.Head(), (c.blackIn + c.blackOut) / 2, 2);
  ASSERT_NE(transition, nullptr);
  EXPECT_EQ(transition->leftSide, c.fadeIn ? 3 : 1);
  EXPECT_EQ(transition->rightSide, c.fadeIn ? 1 : 3);
}

INSTANTIATE_TEST_SUITE_P(
    Fades, Fade,
    ::testing::Values(FadeCase{"in, other track free", 1000, 5000, 0, 0, true, 1000, 2000},
                      FadeCase{"out, other track free", 1000, 5000, 0, 0, false, 4000, 5000},
                      FadeCase{"in on a short clip", 1000, 1500, 0, 0, true, 1000, 2000},
                      FadeCase{"out, other clip ends 300 ms before", 1000, 5000, 0, 4700, false, 4700, 5000},
                      FadeCase{"in, other clip starts 400 ms after", 1000, 5000, 1400, 3000, true, 1000, 1400}),
    [](const auto& info) { return "Fade" + std::to_string(info.index); });

// --- Attributes, speed, delete, duration, field handling ---

TEST_F(CommandTest, PastedEnvelopesNeedSoundElseTheyAreFlat) {
  TLEvent* source = StereoAvi(1, 0, 2000);
  source->filters.push_back(FilterOf(1300));
  Run(kCmdCopyAttributes);
  Select(source);
  ASSERT_TRUE(Run(kCmdEditDelete));  // the clipboard holds its own copy
  TLEvent* still = Still(1, 3000, 5000);
  still->volume = FlatEnvelope(3000);
  ASSERT_TRUE(Run(kCmdPasteAttributes));
  EXPECT_EQ(still->volume, FlatEnvelope(kEnvelopeFullLevel));
  EXPECT_EQ(still->balance, FlatEnvelope(kEnvelopeFullLevel));
  ASSERT_EQ(still->filters.size(), 1u);
  EXPECT_EQ(still->filters[0].id, 1300);
  TLEvent* sound = StereoAvi(3, 3000, 5000);
  ASSERT_TRUE(Run(kCmdPasteAttributes));
  EXPECT_EQ(sound->volume, (VolumeEnvelope{{8000, 0}, {12000, 10000}}));
}

TEST_F(CommandTest, SpeedMovesTheOutTimeToTheSnappedNewLength) {
  struct Case {
    int percent;
    std::int32_t out;
  };
  for (const Case& c : {Case{200, 1000 + 2000}, Case{50, 1000 + 8000}, Case{100, 1000 + 4000}}) {
    CTestDoc fresh;
    doc.ReplaceTimeline(CopyEventList(fresh.Head()));
    TLEvent* clip = StereoAvi(1, 1000, 5000);
    dialogs.Answer("value", c.percent);
    ASSERT_TRUE(Run(kCmdClipSpeed));
    EXPECT_EQ(clip->speed, c.percent);
    EXPECT_EQ(clip->OutTime(), SnapToFrame(c.out, doc.rate)) << c.percent;
    EXPECT_EQ(dialogs.calls.back().given, (std::vector<std::int64_t>{2, 100}));
  }
}

TEST_F(CommandTest, SpeedSetsTheViewsFlagOnlyWhileItChecksAndEdits) {
  struct Case {
    const char* name;
    std::optional<std::int64_t> answer;
    bool flagSet;  // the flag was set (and cleared again)
    const char* message;
  };
  for (const Case& c : {Case{"refused for the overlap", 50, true, kSpeedOverlapMessage},
                        Case{"done", 200, true, nullptr}, Case{"cancelled", std::nullopt, false, nullptr}}) {
    CTestDoc fresh;
    doc.ReplaceTimeline(CopyEventList(fresh.Head()));
    view.calls.clear();
    Still(1, 4000, 8000, false);
    Still(1, 0, 4000);
    dialogs.Answer("value", c.answer);
    if (c.message != nullptr) prompts.Expect(c.message);
    Run(kCmdClipSpeed);
    const auto on = std::find(view.calls.begin(), view.calls.end(), "speed change on");
    const auto off = std::find(view.calls.begin(), view.calls.end(), "speed change off");
    EXPECT_EQ(on != view.calls.end(), c.flagSet) << c.name;
    EXPECT_EQ(off != view.calls.end(), c.flagSet) << c.name;
    EXPECT_TRUE(on <= off) << c.name;
    EXPECT_FALSE(view.speedChange) << c.name;
  }
}

TEST_F(CommandTest, SpeedIgnoresOnlyTheEditedClipAmongSelectedNeighbours) {
  TLEvent* next = Still(1, 4000, 8000, false);
  TLEvent* clip = Still(1, 0, 4000);
  doc.AddSelection(next);
  dialogs.Answer("value", 50);
  prompts.Expect(kSpeedOverlapMessage);
  Run(kCmdClipSpeed);
  EXPECT_EQ(clip->OutTime(), 4000);
}

TEST_F(CommandTest, DeleteWarnsWhenTransitionsAreLostOnlyWithThePreference) {
  for (int warning : {1, 0}) {
    CTestDoc fresh;
    doc.ReplaceTimeline(CopyEventList(fresh.Head()));
    doc.clipMarkSets.clear();
    doc.transitionWarning = warning;
    Still(1, 0, 3000, false);
    TLEvent* clip = Still(3, 2000, 5000);
    ASSERT_EQ(RebuildTransitions(doc), 1);
    ASSERT_EQ(CountTransitions(doc.Head()), 1);
    doc.clipMarkSets.push_back(ClipMarkSet{clip->MediaPath(), clip->time, 3, {}});
    if (warning != 0) prompts.Expect(std::string(StringText(61285)));
    ASSERT_TRUE(Run(kCmdEditDelete));
    EXPECT_EQ(CountTransitions(doc.Head()), 0);
    EXPECT_TRUE(doc.clipMarkSets.empty());
    EXPECT_TRUE(doc.selection.empty());
    ASSERT_TRUE(Run(kCmdEditUndo));
    EXPECT_EQ(doc.clipMarkSets.size(), 1u);  // the clip and its index marks come back
    EXPECT_EQ(CountTransitions(doc.Head()), 1);
  }
}

TEST_F(CommandTest, DurationDialogIsBoundedByTheLatestClipAndTwoHours) {
  struct Case {
    std::int32_t latestOut;
    std::int64_t min, max;
  };
  for (const Case& c : {Case{60000, 180000, 7200000}, Case{600000, 600000, 7200000}, Case{8000000, 8000000, 8000000}}) {
    Still(5, c.latestOut - 1000, c.latestOut, false);
    dialogs.Answer("duration", c.min);
    ASSERT_TRUE(Run(kCmdTimelineDuration));
    EXPECT_EQ(dialogs.calls.back().given[0], c.min);
    EXPECT_EQ(dialogs.calls.back().given[1], c.max);
    EXPECT_EQ(TimelineDuration(doc.Head()), c.min);
    EXPECT_EQ(doc.duration, c.min);
    const TLEvent* trackEnd = FindTrack(doc.Head(), 1)->next;
    ASSERT_EQ(trackEnd->kind, kEventTrackEnd);
    EXPECT_EQ(trackEnd->time, c.min);
  }
}

TEST_F(CommandTest, EveryDialogOpensAfterPreviewsStopped) {
  const std::pair<int, const char*> commands[] = {
      {kCmdFieldHandling, "fields"}, {kCmdClipSpeed, "value"},  {kCmdTimelineDuration, "duration"},
      {kCmdSetVolume, "value"},      {kCmdSetBalance, "value"}, {kCmdAudioPreviewTracks, "preview"}};
  StereoAvi(1, 0, 2000);
  for (const auto& [id, dialog] : commands) {
    view.calls.clear();
    if (std::string(dialog) == "preview")
      dialogs.AnswerPreview(std::nullopt);
    else
      dialogs.Answer(dialog, std::nullopt);
    ASSERT_TRUE(Run(id)) << id;
    ASSERT_FALSE(dialogs.calls.empty());
    EXPECT_TRUE(dialogs.calls.back().previewsStopped) << dialog << " " << id;
  }
}

TEST_F(CommandTest, FieldHandlingStoresTheChosenOrderAsAnUndoStepOfItsOwn) {
  TLEvent* clip = StereoAvi(1, 0, 2000);
  dialogs.Answer("fields", 2);
  ASSERT_TRUE(Run(kCmdFieldHandling));
  EXPECT_EQ(clip->header->FieldOrder(), 2);
  EXPECT_EQ(dialogs.calls.back().given[1], static_cast<std::int64_t>(clip->MediaPath().size()));
  EXPECT_EQ(doc.UndoKind(), kEditFieldHandling);
  EXPECT_TRUE(doc.IsModified());
}

}  // namespace
}  // namespace sprocket::testing

namespace sprocket::testing {
namespace {

TEST_F(CommandTest, CutKeepsItsOwnCopyOfTheClip) {
  TLEvent* clip = Wave(6, 1000, 4000, 2);
  clip->channelMode = 1005;
  ASSERT_TRUE(Run(CommandForKey('X', true)));
  EXPECT_EQ(FindClipAtTime(doc.Head(), 2000, 6), nullptr);
  ASSERT_NE(context.cutClip.Clip(), nullptr);
  EXPECT_EQ(context.cutClip.Clip()->channelMode, 1005);
  EXPECT_EQ(context.cutClip.Clip()->OutTime(), 4000);
  EXPECT_EQ(doc.UndoKind(), 180);
}

}  // namespace
}  // namespace sprocket::testing

namespace sprocket::testing {
namespace {

TEST(BlackPicture, IsWrittenOnceWhereTheProgramOrTheSpareFolderAllows) {
  TempDir program;
  TempDir spare;
  const std::string missing = (program / "no/such/folder").string();
  EXPECT_EQ(EnsureBlackPicture(program.path().string(), spare.path().string()), (program / "black.bmp").string());
  EXPECT_EQ(EnsureBlackPicture(missing, spare.path().string()), (spare / "black.bmp").string());
  EXPECT_EQ(EnsureBlackPicture(missing, ""), "");
  EXPECT_EQ(std::filesystem::file_size(program / "black.bmp"), 54u + 32 * 24 * 3);
}

}  // namespace
}  // namespace sprocket::testing

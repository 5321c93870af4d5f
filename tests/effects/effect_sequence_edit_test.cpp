#include "effects/effect_sequence_edit.h"

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace sprocket {
namespace {

using testing::EffectsFixture;
using testing::OneFilter;

// Answers from a script: records the request, then OK with a list or Cancel.
// A dialog that was not expected fails the test.
class ScriptedSequenceDialog : public EffectSequenceDialog {
public:
  std::optional<FilterList> answer;
  bool expected = true;
  std::optional<EffectSequenceRequest> seen;
  std::optional<FilterList> Run(const EffectSequenceRequest& request) override {
    EXPECT_TRUE(expected) << "unexpected effect sequence dialog";
    seen = request;
    return answer;
  }
};

TEST(EffectSequenceEdit, FrameFigures) {
  const struct {
    std::int32_t rate, in, out, fps, frames;
  } cases[] = {{2997, 0, 1000, 29, 29},
               {2500, 0, 1000, 25, 25},
               {2500, 1000, 1100, 25, 3},
               {2500, 0, 60, 25, 2},
               {3000, 500, 517, 30, 1}};
  for (const auto& c : cases) {
    CTestDoc doc;
    doc.rate = c.rate;
    EXPECT_EQ(WholeFrameRate(doc), c.fps) << c.rate;
    EXPECT_EQ(LengthInFrames(c.in, c.out, c.fps), c.frames) << c.in << ".." << c.out;
  }
}

TEST(EffectSequenceEdit, OnAClipOkReplacesTheFiltersInOneUndoStep) {
  EffectsFixture f;
  ScriptedSequenceDialog dialog;
  f.Select(f.transition);
  EXPECT_FALSE(CanEditClipEffectSequence(f.doc));
  dialog.expected = false;
  EXPECT_EQ(EditClipEffectSequence(f.doc, dialog), EffectSequenceOutcome::kNotAvailable);

  f.Select(f.clipA);
  ASSERT_TRUE(CanEditClipEffectSequence(f.doc));
  dialog.expected = true;
  const std::string before = f.TimelineText();
  EXPECT_EQ(EditClipEffectSequence(f.doc, dialog), EffectSequenceOutcome::kCancelled);
  EXPECT_EQ(f.TimelineText(), before);
  EXPECT_TRUE(f.doc.undoSteps.empty());

  dialog.answer = OneFilter(effect_id::kBlur, 3);
  EXPECT_EQ(EditClipEffectSequence(f.doc, dialog), EffectSequenceOutcome::kApplied);
  ASSERT_TRUE(dialog.seen.has_value());
  EXPECT_EQ(dialog.seen->mode, EffectSequenceMode::kClip);
  EXPECT_EQ(dialog.seen->frames, 75);
  EXPECT_EQ(dialog.seen->framesPerSecond, 25);
  ASSERT_EQ(f.clipA->filters.size(), 1u);
  EXPECT_EQ(f.clipA->filters.front().id, effect_id::kBlur);
  EXPECT_EQ(f.doc.UndoKind(), kEditEffectSequence);
  EXPECT_TRUE(f.doc.IsModified());
  ASSERT_TRUE(f.doc.RevertLastEdit());
  EXPECT_EQ(f.TimelineText(), before);
}

TEST(EffectSequenceEdit, TransitionsTooShortOrWithoutBothClipsOpenNoDialog) {
  const struct {
    std::int32_t in, out;
  } cases[] = {{1000, 1080}, {100, 400}, {3200, 3800}};  // 2 frames; no B at 250; no A at 3500
  for (const auto& c : cases) {
    EffectsFixture f(c.in, c.out);
    f.Select(f.transition);
    ScriptedSequenceDialog dialog;
    dialog.expected = false;
    const std::string before = f.TimelineText();
    EXPECT_EQ(EditTransitionEffectSequence(f.doc, dialog), EffectSequenceOutcome::kRefused) << c.in;
    EXPECT_EQ(f.TimelineText(), before);
  }
}

TEST(EffectSequenceEdit, CancelOnATransitionRestoresItExactly) {
  for (std::int32_t startId : {effect_id::kCrossDissolve, effect_id::kEffectSequence}) {
    EffectsFixture f;
    f.transition->transitionId = startId;
    f.transition->filters = OneFilter(startId, 40);
    f.Select(f.transition);
    const std::string before = f.TimelineText();
    ScriptedSequenceDialog dialog;
    EXPECT_EQ(EditTransitionEffectSequence(f.doc, dialog), EffectSequenceOutcome::kCancelled);
    ASSERT_TRUE(dialog.seen.has_value());
    EXPECT_EQ(dialog.seen->mode, EffectSequenceMode::kTransition);
    EXPECT_EQ(dialog.seen->frames, 25);
    ASSERT_FALSE(dialog.seen->filters.empty());
    EXPECT_EQ(dialog.seen->filters.front().id, effect_id::kEffectSequence);
    EXPECT_EQ(dialog.seen->filters.front().params.front().values[0], 0);
    EXPECT_EQ(dialog.seen->filters.front().params.front().values[3], 7);
    EXPECT_EQ(f.TimelineText(), before) << startId;
    EXPECT_TRUE(f.doc.undoSteps.empty());
  }
}

TEST(EffectSequenceEdit, OkOnATransitionMakesItAnEffectSequenceWithUndo) {
  EffectsFixture f;
  f.transition->filters.clear();  // a transition without a filter record
  f.Select(f.transition);
  const std::string before = f.TimelineText();
  ScriptedSequenceDialog dialog;
  FilterList sequence = OneFilter(effect_id::kEffectSequence);
  sequence.push_back(OneFilter(effect_id::kWipeLeftToRight).front());
  dialog.answer = sequence;
  EXPECT_EQ(EditTransitionEffectSequence(f.doc, dialog), EffectSequenceOutcome::kApplied);
  EXPECT_EQ(dialog.seen->filters.size(), 1u);
  EXPECT_EQ(f.transition->transitionId, effect_id::kEffectSequence);
  ASSERT_EQ(f.transition->filters.size(), 2u);
  EXPECT_EQ(f.transition->filters[1].id, effect_id::kWipeLeftToRight);
  EXPECT_EQ(f.doc.UndoKind(), kEditChangeTransition);
  ASSERT_TRUE(f.doc.RevertLastEdit());
  EXPECT_EQ(f.TimelineText(), before);
}

}  // namespace
}  // namespace sprocket

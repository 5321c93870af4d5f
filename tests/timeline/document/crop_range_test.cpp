#include <gtest/gtest.h>

#include "scripted_prompts.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/crop_range.h"
#include "timeline/document/document.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

// AVI clips of given frame sizes on video tracks, and a sound on an audio track.
class CropRange : public ::testing::Test {
protected:
  TLEvent* Avi(int track, int in, int width, int height) {
    TLEventFields fields;
    fields.mediaType = kMediaAvi;
    TLEvent* clip = InsertClip(doc.Head(), track, in, in + 1000, fields);
    AviClipHeader header{};
    header.picture.width = width;
    header.picture.height = height;
    clip->header = ClipMediaHeader(header);
    return clip;
  }
  struct Margins {
    int left, right, top, bottom;
    bool operator==(const Margins&) const = default;
  };
  Margins Crop() const {
    const CropMargins& m = doc.Head()->cropMargins;
    return {m.Left(), m.Right(), m.Top(), m.Bottom()};
  }
  CTestDoc doc;
};

TEST_F(CropRange, MarginsAreCutToTheSmallestClipFrameOnly) {
  Avi(1, 0, 320, 240);
  Avi(3, 2000, 160, 120);
  Avi(1, 4000, 640, 100);  // the smallest height
  ASSERT_TRUE(SmallestClipFrame(doc.Head()).has_value());
  EXPECT_EQ(SmallestClipFrame(doc.Head())->width, 160);
  EXPECT_EQ(SmallestClipFrame(doc.Head())->height, 100);
  struct Case {
    Margins before, after;
    bool changed;
  };
  const Case cases[] = {
      {{10, 20, 5, 5}, {10, 20, 5, 5}, false},        // fits: kept
      {{100, 59, 0, 99}, {100, 59, 0, 99}, false},    // one column and one row stay
      {{100, 100, 60, 60}, {100, 59, 39, 60}, true},  // the right and the top give way
      {{500, 7, 0, 300}, {159, 0, 0, 99}, true},      // one margin over the whole frame
      {{0, 0, 0, 0}, {0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    doc.Head()->cropMargins.Set(c.before.left, c.before.right, c.before.top, c.before.bottom);
    EXPECT_EQ(ClampCropMarginsToClips(doc.Head()), c.changed) << c.before.left << " " << c.before.right;
    EXPECT_EQ(Crop(), c.after) << c.before.left << " " << c.before.right;
  }
}

TEST_F(CropRange, WithoutFrameSizesNothingChangesAndOnlyAChangeIsTold) {
  doc.Head()->cropMargins.Set(900, 900, 900, 900);
  testing::ScriptedPrompts prompts;
  CheckCroppingRange(doc.Head());  // no clip gives a size
  EXPECT_EQ(Crop(), (Margins{900, 900, 900, 900}));
  Avi(1, 0, 320, 240);
  prompts.Expect(kCropRangeChangedMessage);
  CheckCroppingRange(doc.Head());
  EXPECT_TRUE(prompts.AllShown());
  EXPECT_EQ(Crop(), (Margins{319, 0, 0, 239}));
  CheckCroppingRange(doc.Head());  // fits now: nothing told
  EXPECT_EQ(prompts.shown().size(), 1u);
  CheckCroppingRange(nullptr);
}

}  // namespace
}  // namespace sprocket

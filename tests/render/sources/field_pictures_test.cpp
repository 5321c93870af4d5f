#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "render/picture/picture_ops.h"
#include "render/sources/field_pictures.h"
#include "render/sources/render_state.h"
#include "render/sources/sequence_frames.h"
#include "scripted_prompts.h"
#include "source_test_media.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::PixelOf;

enum class Field { kWhole, kEven, kOdd, kNone };

// Which lines a picture made from a field card shows: the even (black)
// field, the odd (red) field, or the whole interlaced frame.
Field FieldOf(const DibPicture& picture) {
  if (!picture) return Field::kNone;
  const int row0 = PixelOf(picture.data(), 1, 0).red;
  const int row1 = PixelOf(picture.data(), 1, 1).red;
  const int row2 = PixelOf(picture.data(), 1, 2).red;
  if (row0 == 0 && row1 == 200 && row2 == 0) return Field::kWhole;
  if (row0 == 0 && row1 == 0 && row2 == 0) return Field::kEven;
  if (row0 == 200 && row1 == 200 && row2 == 200) return Field::kOdd;
  return Field::kNone;
}

DibPicture FieldCard() { return DibPicture::Adopt(testing::MakeFieldCard(9, 16, 12)); }

ClipMediaHeader OrderHeader(int order) {
  ClipMediaHeader header{AviClipHeader{}};
  header.SetFieldOrder(order);
  return header;
}

TEST(FieldPictures, FieldStepOfVideoPictures) {
  struct Case {
    int mode;
    int flag;
    Field expected;
  };
  for (const Case& c :
       {Case{1, 1, Field::kEven}, Case{1, 0, Field::kOdd}, Case{2, 1, Field::kOdd}, Case{2, 0, Field::kEven},
        Case{0, 1, Field::kWhole}, Case{3, 1, Field::kWhole}, Case{4, 0, Field::kWhole}}) {
    DibPicture picture = FieldCard();
    ASSERT_TRUE(ApplyFieldMode(picture, c.mode, c.flag, false));
    EXPECT_EQ(FieldOf(picture), c.expected) << "mode " << c.mode << " flag " << c.flag;
    EXPECT_EQ(picture.Height(), 12);
    EXPECT_EQ(picture.Width(), 16);
  }
  DibPicture skipped = FieldCard();
  ASSERT_TRUE(ApplyFieldMode(skipped, 1, 1, true));
  EXPECT_EQ(FieldOf(skipped), Field::kWhole);
}

TEST(FieldPictures, StretchesByOrderFlagAndMode) {
  const DibPicture card = FieldCard();
  for (int order = 0; order <= 4; ++order) {
    const ClipMediaHeader header = OrderHeader(order);
    const bool order24 = order == 2 || order == 4;
    EXPECT_EQ(FieldOf(StretchFieldByOrder(card.data(), &header)), order24 ? Field::kOdd : Field::kEven);
    EXPECT_EQ(FieldOf(StretchFieldByFlag(card.data(), &header, 0)), order24 ? Field::kEven : Field::kOdd);
    EXPECT_EQ(FieldOf(StretchFieldByFlag(card.data(), &header, 1)), order24 ? Field::kOdd : Field::kEven);
  }
  const ClipMediaHeader progressive = OrderHeader(0);
  EXPECT_EQ(FieldOf(StretchFieldByMode(card.data(), &progressive, 0, 3)), Field::kOdd);
  EXPECT_EQ(FieldOf(StretchFieldByMode(card.data(), &progressive, 0, 4)), Field::kEven);
  const ClipMediaHeader order2 = OrderHeader(2);
  EXPECT_EQ(FieldOf(StretchFieldByMode(card.data(), &order2, 1, 3)), Field::kOdd);
  EXPECT_EQ(FieldOf(StretchFieldByOrder(card.data(), nullptr)), Field::kEven);
}

TEST(FieldPictures, ClipFramesTakeTheFieldOfTheOutput) {
  testing::TempDir dir;
  const auto clip = dir / "fields.avi";
  ASSERT_EQ(testing::WritePictureAvi(clip, 3, [](int i) { return testing::MakeFieldCard(i, 16, 12); }), "");
  struct Case {
    int order;
    int mode;
    int flag;
    Field expected;
  };
  for (const Case& c : {Case{0, 0, 0, Field::kWhole}, Case{1, 0, 0, Field::kOdd}, Case{3, 0, 1, Field::kOdd},
                        Case{2, 0, 0, Field::kEven}, Case{0, 1, 1, Field::kWhole}, Case{1, 1, 0, Field::kEven},
                        Case{1, 2, 1, Field::kOdd}, Case{2, 1, 0, Field::kOdd}, Case{4, 2, 1, Field::kEven},
                        Case{0, 3, 0, Field::kOdd}, Case{0, 4, 0, Field::kEven}, Case{3, 3, 1, Field::kOdd}}) {
    const ClipMediaHeader header = OrderHeader(c.order);
    const DibPicture frame = ReadClipFieldFrame(clip.string(), 2, &header, c.mode, c.flag);
    EXPECT_EQ(FieldOf(frame), c.expected) << "order " << c.order << " mode " << c.mode << " flag " << c.flag;
    if (c.expected == Field::kOdd) {
      EXPECT_EQ(PixelOf(frame.data(), 0, 0).blue, 2);
    }
  }
}

TEST(FieldPictures, AMissingClipIsReportedOncePerJob) {
  testing::ScriptedPrompts prompts;
  prompts.Expect("Not enough memory!");
  ResetRenderJobState();
  const ClipMediaHeader header = OrderHeader(1);
  EXPECT_FALSE(ReadClipFieldFrame("/no/such/clip.avi", 0, &header, 0, 0));
  EXPECT_FALSE(ReadClipFieldFrame("/no/such/clip.avi", 1, &header, 0, 0));
  EXPECT_FALSE(ReadSequenceFieldFrame("/no/such/clip.avi", 1, &header, 0, 0, nullptr));
  EXPECT_TRUE(prompts.AllShown());
  ResetRenderJobState();
}

class SequenceFrames : public ::testing::Test {
protected:
  // Image k of the sequence is one colour: blue 20 + k.
  void WriteImages(int count, int height) {
    for (int k = 0; k < count; ++k) {
      GlobalBlock image = testing::MakeFlatPicture(8, height, Bgr{20 + k, 5, 6});
      char name[32];
      std::snprintf(name, sizeof name, "shot%04d.bmp", k);
      ASSERT_TRUE(testing::SaveStill(image.get(), dir_ / name));
    }
  }
  std::unique_ptr<TLEvent> Clip(int fieldMode, int frames) {
    auto clip = std::make_unique<TLEvent>();
    clip->directory = dir_.path().string() + "/";
    clip->name = "shot0000";
    clip->extension = ".bmp";
    SequenceClipHeader header{};
    header.fieldMode = fieldMode;
    header.frameCount = frames;
    clip->header = ClipMediaHeader(header);
    return clip;
  }
  testing::TempDir dir_;
};

TEST_F(SequenceFrames, ProgressiveFramesAreLimitedToTheLastImage) {
  WriteImages(10, 6);
  const auto clip = Clip(0, 10);
  EXPECT_EQ(PixelOf(LoadSequenceFrame(*clip, 4).data(), 3, 2).blue, 24);
  const DibPicture last = LoadSequenceFrame(*clip, 12);
  ASSERT_TRUE(last);
  EXPECT_EQ(last.BitCount(), 24);
  EXPECT_EQ(last.Header().biClrUsed, 0u);
  EXPECT_EQ(PixelOf(last.data(), 3, 2).blue, 29);
}

TEST_F(SequenceFrames, InterlacedFramesMergeTwoFieldImages) {
  WriteImages(10, 6);
  const DibPicture third = LoadSequenceFrame(*Clip(3, 5), 3);
  ASSERT_TRUE(third);
  EXPECT_EQ(third.Height(), 12);
  // Mode 3: even lines from the second image (7), odd lines from the first (6).
  EXPECT_EQ(PixelOf(third.data(), 2, 0).blue, 27);
  EXPECT_EQ(PixelOf(third.data(), 2, 1).blue, 26);
  EXPECT_EQ(PixelOf(third.data(), 2, 10).blue, 27);
  // Frame 7 of 5 is limited to images 8 and 9.
  const DibPicture late = LoadSequenceFrame(*Clip(3, 5), 7);
  EXPECT_EQ(PixelOf(late.data(), 2, 0).blue, 29);
  EXPECT_EQ(PixelOf(late.data(), 2, 1).blue, 28);
  // Mode 4 takes the other field first.
  const DibPicture other = LoadSequenceFrame(*Clip(4, 5), 3);
  EXPECT_EQ(PixelOf(other.data(), 2, 0).blue, 26);
  EXPECT_EQ(PixelOf(other.data(), 2, 1).blue, 27);
}

TEST_F(SequenceFrames, MissingImagesGiveNoFrame) {
  WriteImages(3, 6);
  EXPECT_FALSE(LoadSequenceFrame(*Clip(3, 5), 2));  // images 4 and 5 are missing
  std::filesystem::remove(dir_ / "shot0001.bmp");
  EXPECT_FALSE(LoadSequenceFrame(*Clip(0, 3), 1));
  EXPECT_TRUE(LoadSequenceFrame(*Clip(0, 3), 2));
  std::filesystem::remove(dir_ / "shot0000.bmp");
  EXPECT_FALSE(LoadSequenceFrame(*Clip(0, 3), 2));
}

TEST_F(SequenceFrames, TgaFramesBringTheirAlpha) {
  testing::WriteTga32(dir_ / "key0000.tga", 6, 4, [](int x, int) { return x < 3 ? 0 : 255; });
  testing::WriteTga32(dir_ / "key0001.tga", 6, 4, [](int, int) { return 255; });
  SequenceClipHeader sequence{};
  sequence.frameCount = 2;
  const ClipMediaHeader header(sequence);
  DibPicture alpha;
  const DibPicture frame = ReadSequenceFieldFrame((dir_ / "key0000.tga").string(), 0, &header, 0, 0, &alpha);
  ASSERT_TRUE(frame);
  ASSERT_TRUE(alpha);
  EXPECT_EQ(PixelOf(frame.data(), 4, 1), (Bgr{4, 1, 77}));
  EXPECT_EQ(PixelOf(alpha.data(), 1, 1).blue, 0);
  EXPECT_EQ(PixelOf(alpha.data(), 4, 1).blue, 128);
  ReadClipImageFrame((dir_ / "key0000.tga").string(), 1, &header, &alpha);
  EXPECT_EQ(PixelOf(alpha.data(), 1, 1).blue, 128);

  // A still without a sequence header is the file itself.
  const DibPicture still = ReadClipImageFrame((dir_ / "key0000.tga").string(), 0, nullptr, &alpha);
  EXPECT_EQ(PixelOf(still.data(), 5, 3), (Bgr{5, 3, 77}));
  EXPECT_EQ(PixelOf(alpha.data(), 5, 3).blue, 128);
}

}  // namespace
}  // namespace sprocket

#include <gtest/gtest.h>
#include <vector>

#include "timeline/basics/media_type.h"
#include "timeline/basics/numbered_file_name.h"
#include "timeline/basics/raw_pixels.h"

namespace sprocket {
namespace {

TEST(MediaTypeCode, ByExtensionInTheTableOrder) {
  EXPECT_EQ(GetMediaTypeCode("/m/a.avi"), 101);
  EXPECT_EQ(GetMediaTypeCode("/m/a.FLC"), 102);
  EXPECT_EQ(GetMediaTypeCode("/m/a.fli"), 103);
  const char* stills[] = {"bmp", "tif", "tga", "jpg", "pcx", "gif", "wpg", "wmf",
                          "dcx", "eps", "pct", "dib", "iff", "pcd", "psd"};
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(GetMediaTypeCode(std::string("/m/still.") + stills[i]), 201 + i) << stills[i];
  }
  EXPECT_EQ(GetMediaTypeCode("/m/a.wav"), 301);
  EXPECT_EQ(GetMediaTypeCode("/m/a.SND"), 302);
  EXPECT_EQ(GetMediaTypeCode("/m/a.mdi"), 303);
  EXPECT_EQ(GetMediaTypeCode("/m/a.mov"), 501);
  EXPECT_EQ(GetMediaTypeCode("/m/noext"), 501);
  EXPECT_EQ(GetMediaTypeCode("/clips.avi/noext"), 501);  // folder names never count
}

TEST(MediaTypeCode, Groups) {
  EXPECT_TRUE(IsVideoFileExt(".AVI"));
  EXPECT_TRUE(IsVideoFileExt(".flc"));
  EXPECT_TRUE(IsVideoFileExt(".Fli"));
  EXPECT_FALSE(IsVideoFileExt(".wav"));
  EXPECT_FALSE(IsVideoFileExt("avi"));
  for (const char* ext : {".BMP", ".tif", ".Tga", ".PCX", ".jpg", ".GIF", ".wpg", ".PCT", ".dib", ".pcd"}) {
    EXPECT_TRUE(IsImageFileExt(ext)) << ext;
  }
  EXPECT_FALSE(IsImageFileExt(".psd"));  // a still code, but not opened as a picture
  EXPECT_FALSE(IsImageFileExt(".jpeg"));
  EXPECT_TRUE(IsVideoMediaType(101));
  EXPECT_TRUE(IsVideoMediaType(103));
  EXPECT_FALSE(IsVideoMediaType(104));
  EXPECT_TRUE(IsImageMediaType(201));
  EXPECT_TRUE(IsImageMediaType(215));
  EXPECT_FALSE(IsImageMediaType(216));
  EXPECT_FALSE(IsImageMediaType(501));
  EXPECT_TRUE(IsAudioMediaType(301));
}

TEST(MakeNumberedFileName, AdvancesTheTrailingNumber) {
  EXPECT_EQ(MakeNumberedFileName("/seq/shot0009.bmp", 3), "/seq/shot0012.bmp");
  EXPECT_EQ(MakeNumberedFileName("/seq/shot0009.bmp", 0), "/seq/shot0009.bmp");
  EXPECT_EQ(MakeNumberedFileName("/seq/img9.tga", 1), "/seq/img10.tga");  // grows
  EXPECT_EQ(MakeNumberedFileName("/seq/f99x.tga", 1), "/seq/f100x.tga");  // last digit run
  EXPECT_EQ(MakeNumberedFileName("/seq.v2/frame.0100.tga", 5), "/seq.v2/frame.0105.tga");
  EXPECT_EQ(MakeNumberedFileName("/seq/007", 2), "/seq/009");
  EXPECT_EQ(MakeNumberedFileName("/seq/0005.bmp", -5), "/seq/0000.bmp");
  EXPECT_EQ(MakeNumberedFileName("/seq/0005.bmp", -6), "");
  EXPECT_EQ(MakeNumberedFileName("/seq2/still.bmp", 1), "");  // digits of folders never count
}

TEST(Rgb555ToRgb24, ExpandsEachChannel) {
  // Pixels: pure blue, pure green, pure red, white; little-endian words.
  const std::vector<std::uint8_t> source = {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F};
  std::vector<std::uint8_t> target(12, 0xAA);
  Rgb555ToRgb24(source.data(), target.data(), 2, 2);
  EXPECT_EQ(target, (std::vector<std::uint8_t>{0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xF8, 0xF8, 0xF8}));
}

TEST(Rgb555ToRgb24, PaddedTargetRowsKeepTheirTails) {
  const std::vector<std::uint8_t> source = {0x01, 0x00, 0x21, 0x04};  // one pixel a row
  std::vector<std::uint8_t> target(8, 0xAA);
  Rgb555ToRgb24(source.data(), target.data(), 1, 2, 2, 4);
  EXPECT_EQ(target, (std::vector<std::uint8_t>{8, 0, 0, 0xAA, 8, 8, 8, 0xAA}));
}

TEST(FillMemoryLarge, FillsPastTheStepSize) {
  std::vector<std::uint8_t> buffer(200001, 0);
  FillMemoryLarge(buffer.data(), 200000, 0x5A);
  EXPECT_EQ(buffer[0], 0x5A);
  EXPECT_EQ(buffer[63999], 0x5A);
  EXPECT_EQ(buffer[64000], 0x5A);
  EXPECT_EQ(buffer[199999], 0x5A);
  EXPECT_EQ(buffer[200000], 0);
}

}  // namespace
}  // namespace sprocket

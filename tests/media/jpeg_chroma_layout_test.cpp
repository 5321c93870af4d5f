// The chroma layout of motion JPEG pictures: written in the layout asked
// for, read back from the pictures' frame headers, and checked by ffprobe.

#include <gtest/gtest.h>

#include <vector>

#include "media_test_clips.h"
#include "platform/media/avi_writer.h"
#include "platform/media/jpeg_chroma_layout.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

std::string WriteJpegClip(const std::string& path, int layout) {
  AviVideoFormat format;
  format.width = testing::kClipWidth;
  format.height = testing::kClipHeight;
  format.compressor = MakeFourCC("MJPG");
  format.chromaLayout = layout;
  AviWriter writer;
  EXPECT_TRUE(writer.Open(path, format, std::nullopt)) << writer.ErrorText();
  for (int k = 0; k < 3; ++k) EXPECT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(k).get()));
  EXPECT_TRUE(writer.Finish()) << writer.ErrorText();
  return path;
}

TEST(JpegChromaLayoutTest, PicturesAreWrittenAndReadInTheLayoutAskedFor) {
  testing::TempDir dir;
  struct Case {
    int asked, written;
    const char* probed;
  };
  for (const Case c :
       {Case{kChromaLayout420, kChromaLayout420, "yuvj420p"}, Case{kChromaLayout422, kChromaLayout422, "yuvj422p"},
        Case{kChromaLayout444, kChromaLayout444, "yuvj444p"}, Case{0, kChromaLayout422, "yuvj422p"}}) {
    const std::string path =
        WriteJpegClip((dir.path() / ("clip" + std::to_string(c.asked) + ".avi")).string(), c.asked);
    EXPECT_EQ(MovieChromaLayout(path), c.written) << c.asked;
    if (auto streams = testing::ProbeStreams(path)) {
      ASSERT_FALSE(streams->empty());
      EXPECT_EQ((*streams)[0]["pix_fmt"], c.probed) << c.asked;
    }
  }
}

TEST(JpegChromaLayoutTest, OtherBytesHaveNoLayout) {
  testing::TempDir dir;
  const std::vector<std::uint8_t> frameHeader = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x30, 0x00, 0x40,
                                                 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01};
  EXPECT_EQ(JpegChromaLayout(frameHeader), kChromaLayout420);
  std::vector<std::uint8_t> tall = frameHeader;  // 2 x 2 brightness over 1 x 2 colour, as FFmpeg writes 4:2:2
  tall[16] = tall[19] = 0x12;
  EXPECT_EQ(JpegChromaLayout(tall), kChromaLayout422);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> grey = frameHeader;
  grey[11] = 1;  // one component
  std::vector<std::uint8_t> odd = frameHeader;
  odd[16] = 0x21;  // the two colour components sampled differently
  std::vector<std::uint8_t> longer = frameHeader;
  longer[5] = 0x40;  // a length past the end
  for (const Case& c : {Case{"empty", {}}, Case{"no start marker", {0x00, 0xD8, 0xFF, 0xC0, 0, 2}},
                        Case{"cut short", {frameHeader.begin(), frameHeader.begin() + 12}}, Case{"grey", grey},
                        Case{"other sampling", odd}, Case{"length past the end", longer}}) {
    EXPECT_EQ(JpegChromaLayout(c.bytes), kChromaLayoutUnknown) << c.what;
  }
  const std::string raw = (dir.path() / "raw.avi").string();
  testing::WriteBytes(raw, testing::BuildRawAvi({}));
  EXPECT_EQ(MovieChromaLayout(raw), kChromaLayoutUnknown);
  EXPECT_EQ(MovieChromaLayout((dir.path() / "missing.avi").string()), kChromaLayoutUnknown);
}

}  // namespace
}  // namespace sprocket

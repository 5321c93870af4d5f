#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "imagelib/dib_header.h"
#include "media_test_clips.h"
#include "platform/media/video_frame_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

class VideoFrameReaderTest : public ::testing::Test {
protected:
  std::string Clip(const char* code, int frames, int keyEvery) {
    std::string path = (dir_ / (std::string(code) + std::to_string(keyEvery) + ".avi")).string();
    EXPECT_EQ(testing::WriteNumberedClip(path, MakeFourCC(code), frames, keyEvery), "");
    return path;
  }
  int Number(VideoFrameReader& reader, std::int64_t frame) {
    GlobalBlock picture = reader.ReadFrame(frame);
    EXPECT_TRUE(picture) << reader.ErrorText();
    return testing::ReadPictureNumber(picture.get());
  }
  TempDir dir_;
};

TEST_F(VideoFrameReaderTest, EveryFrameOfGroupsOfPicturesInAnyOrder) {
  // mpeg4 with a key frame every 12 frames, and all-key motion JPEG.
  for (const char* code : {"FMP4", "MJPG"}) {
    SCOPED_TRACE(code);
    VideoFrameReader reader;
    ASSERT_TRUE(reader.Open(Clip(code, 40, 12))) << reader.ErrorText();
    EXPECT_EQ(reader.FrameCount(), 40);
    EXPECT_EQ(reader.Width(), 64);
    EXPECT_EQ(reader.Height(), 48);
    EXPECT_DOUBLE_EQ(reader.FramesPerSecond(), 25.0);
    // Backwards, into the middle of groups, across groups, repeats.
    for (int frame : {30, 13, 5, 25, 24, 23, 39, 0, 17, 17, 11, 12, 38, 1}) {
      EXPECT_EQ(Number(reader, frame), frame) << "frame " << frame;
    }
  }
}

TEST_F(VideoFrameReaderTest, SequentialReadsDoNotSeek) {
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(Clip("FMP4", 40, 12)));
  for (int frame = 0; frame < 40; ++frame) ASSERT_EQ(Number(reader, frame), frame);
  EXPECT_EQ(reader.SeekCount(), 1);  // the first read positions the file once

  // A jump ahead inside the group decodes on; past a key frame it seeks.
  ASSERT_EQ(Number(reader, 13), 13);
  int seeks = reader.SeekCount();
  ASSERT_EQ(Number(reader, 17), 17);
  EXPECT_EQ(reader.SeekCount(), seeks);
  ASSERT_EQ(Number(reader, 30), 30);
  EXPECT_EQ(reader.SeekCount(), seeks + 1);
  ASSERT_EQ(Number(reader, 29), 29);
  EXPECT_EQ(reader.SeekCount(), seeks + 2);
}

// Frames handed decoded and converted on another thread are the bytes that
// ReadFrame gives, mixed with ReadFrame in any order; sequential decoded
// reads do not seek.
TEST_F(VideoFrameReaderTest, DecodedFramesConvertToTheSameBytesOnAnyThread) {
  for (const char* code : {"FMP4", "MJPG"}) {
    SCOPED_TRACE(code);
    const std::string path = Clip(code, 30, 12);
    VideoFrameReader plain;
    VideoFrameReader decoded;
    ASSERT_TRUE(plain.Open(path));
    ASSERT_TRUE(decoded.Open(path));
    auto bytes = [](const GlobalBlock& block) {
      GlobalLockGuard<std::uint8_t> lock(block.get());
      return std::vector<std::uint8_t>(lock.get(), lock.get() + GlobalSize(block.get()));
    };
    for (int frame = 0; frame < 30; ++frame) {
      DecodedVideoFrame picture = decoded.ReadDecodedFrame(frame);
      ASSERT_TRUE(picture) << decoded.ErrorText();
      GlobalBlock converted;
      std::thread([&] { converted = picture.ToDib24(); }).join();
      ASSERT_TRUE(converted);
      EXPECT_EQ(bytes(converted), bytes(plain.ReadFrame(frame))) << "frame " << frame;
    }
    EXPECT_EQ(decoded.SeekCount(), 1);
    for (int frame : {7, 3, 4, 29, 28}) {
      GlobalBlock converted = decoded.ReadDecodedFrame(frame).ToDib24();
      EXPECT_EQ(testing::ReadPictureNumber(converted.get()), frame);
      EXPECT_EQ(Number(decoded, frame + 1 < 30 ? frame + 1 : frame), frame + 1 < 30 ? frame + 1 : frame);
    }
    EXPECT_FALSE(decoded.ReadDecodedFrame(30));
    EXPECT_NE(decoded.ErrorText().find("outside"), std::string::npos);
  }
}

// Thumbnails: a codec that decodes reduced pictures gives the smallest that
// covers the size asked for, with the same frames as at full size; other
// codecs, and sizes as large as the movie, give full-size pictures.
TEST_F(VideoFrameReaderTest, PicturesShownSmallComeAtAReducedSizeWithTheSameFrames) {
  struct Case {
    const char* code;
    DecodeSize size;
    int width, height;
  };
  for (const Case& c : {Case{"MJPG", {16, 12}, 16, 12}, Case{"MJPG", {17, 12}, 32, 24}, Case{"MJPG", {64, 48}, 64, 48},
                        Case{"MJPG", {200, 10}, 64, 48}, Case{"FMP4", {16, 12}, 16, 12}}) {
    SCOPED_TRACE(std::string(c.code) + " " + std::to_string(c.size.width) + "x" + std::to_string(c.size.height));
    VideoFrameReader reader;
    ASSERT_TRUE(reader.Open(Clip(c.code, 40, 12), c.size)) << reader.ErrorText();
    EXPECT_EQ(reader.Width(), 64);  // the movie's size, whatever the pictures' size
    for (int frame : {30, 5, 6, 39, 0, 17}) {
      GlobalBlock picture = reader.ReadFrame(frame);
      ASSERT_TRUE(picture) << reader.ErrorText();
      DibInfoHeader header;
      {
        GlobalLockGuard<std::uint8_t> bytes(picture.get());
        header = ReadDibHeader(bytes.get());
      }
      EXPECT_EQ(header.biWidth, c.width);
      EXPECT_EQ(header.biHeight, c.height);
      EXPECT_EQ(testing::ReadPictureNumber(picture.get()), frame);
    }
  }
  // Uncompressed frames have no reduced size.
  const std::string rawPath = (dir_ / "raw.avi").string();
  testing::WriteBytes(rawPath, testing::BuildRawAvi({}));
  VideoFrameReader raw;
  ASSERT_TRUE(raw.Open(rawPath, DecodeSize{2, 2})) << raw.ErrorText();
  GlobalBlock picture = raw.ReadFrame(3);
  ASSERT_TRUE(picture);
  GlobalLockGuard<std::uint8_t> bytes(picture.get());
  EXPECT_EQ(ReadDibHeader(bytes.get()).biWidth, 8);
}

TEST_F(VideoFrameReaderTest, FramesOutsideTheClipAreRefused) {
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(Clip("MJPG", 5, 1)));
  EXPECT_FALSE(reader.ReadFrame(-1));
  EXPECT_FALSE(reader.ReadFrame(5));
  EXPECT_NE(reader.ErrorText().find("outside"), std::string::npos);
  EXPECT_EQ(Number(reader, 4), 4);
}

TEST_F(VideoFrameReaderTest, EmptySamplesRepeatThePictureBefore) {
  testing::RawAviOptions options;
  options.frames = 5;
  options.emptyFrame = 2;
  std::string path = (dir_ / "drop.avi").string();
  testing::WriteBytes(path, testing::BuildRawAvi(options));
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
  EXPECT_EQ(reader.FrameCount(), 5);
  EXPECT_DOUBLE_EQ(reader.FramesPerSecond(), 10.0);
  for (int frame : {2, 4, 1, 3, 0, 2}) {
    GlobalBlock picture = reader.ReadFrame(frame);
    ASSERT_TRUE(picture) << reader.ErrorText();
    std::uint8_t bgr[3];
    testing::PixelAt(picture.get(), 3, 3, bgr);
    int shown = frame == 2 ? 1 : frame;
    EXPECT_EQ(bgr[0], static_cast<std::uint8_t>(shown * 40)) << "frame " << frame;
  }
}

TEST_F(VideoFrameReaderTest, BadFilesAreRefusedClearly) {
  std::string good = Clip("MJPG", 4, 1);
  std::string bytes = testing::ReadBytes(good);
  struct Case {
    const char* name;
    std::string contents;
  };
  for (const Case& c : {Case{"empty.avi", ""}, Case{"text.avi", "just some words, not a movie"},
                        Case{"head.avi", bytes.substr(0, 200)}}) {
    SCOPED_TRACE(c.name);
    std::string path = (dir_ / c.name).string();
    testing::WriteBytes(path, c.contents);
    VideoFrameReader reader;
    EXPECT_FALSE(reader.Open(path));
    EXPECT_FALSE(reader.ErrorText().empty());
    EXPECT_FALSE(reader.ReadFrame(0));
  }
  VideoFrameReader reader;
  EXPECT_FALSE(reader.Open((dir_ / "missing.avi").string()));

  // Cut inside the movie data: what is there reads, the rest is refused or
  // shows the last picture that decodes; nothing crashes.
  std::string path = (dir_ / "cut.avi").string();
  testing::WriteBytes(path, bytes.substr(0, bytes.size() * 2 / 3));
  if (reader.Open(path)) {
    for (int frame = 0; frame < reader.FrameCount() + 1; ++frame) reader.ReadFrame(frame);
  } else {
    EXPECT_FALSE(reader.ErrorText().empty());
  }
}

}  // namespace
}  // namespace sprocket

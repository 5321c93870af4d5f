#include <gtest/gtest.h>

#include "clip_media_files.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/clip_factory.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::MasterText;
using testing::TempDir;

class CreateClipFromFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    head_ = MakeDefaultTimeline(2997, 600000);  // V1 X V2 V3 V4 A1 A2 A3 A4
    dir_.Write("voice.wav", testing::SilentWave(2, 22050, 16, 88200));
    dir_.Write("black.bmp", "BM");
  }

  std::string Folder() const { return dir_.path().string() + "/"; }

  int Create(std::int32_t time, char type, std::int32_t track, std::int32_t playIn, std::int32_t playOut,
             std::int32_t mediaType, std::int32_t speed, std::string_view name, std::string_view ext,
             const ClipCopyParts* copy = nullptr, std::string_view clipName = "clip") {
    error_.clear();
    return CreateClipFromFile(head_.get(), time, type, track, playIn, playOut, mediaType, speed, 0, clipName, name, ext,
                              Folder(), copy, &clip_, &error_);
  }

  TempDir dir_;
  EventListSlot head_;
  TLEvent* clip_ = nullptr;
  std::string error_;
};

TEST_F(CreateClipFromFileTest, ReadsTheHeaderAndLinksBothRecords) {
  ASSERT_EQ(Create(1001, 'A', 6, 0, 1000, kMediaWav, 100, "voice", ".wav", nullptr,
                   "a name far longer than nineteen characters"),
            1)
      << error_;
  ASSERT_NE(clip_, nullptr);
  EXPECT_EQ(clip_->kind, kEventClipIn);
  EXPECT_EQ(clip_->trackType, 'A');
  EXPECT_EQ(clip_->trackNumber, 6);
  EXPECT_EQ(clip_->time, 1001);
  EXPECT_EQ(clip_->OutTime(), SnapToFrame(2001, 2997));
  EXPECT_EQ(clip_->MediaPath(), Folder() + "voice.wav");
  EXPECT_EQ(clip_->clipName, "a name far longer t");
  ASSERT_TRUE(clip_->header && clip_->header->Wav() != nullptr);
  EXPECT_EQ(clip_->header->AudioChannels(), 2);
  EXPECT_EQ(clip_->volume, FlatEnvelope());
  EXPECT_EQ(clip_->balance, FlatEnvelope());
  EXPECT_TRUE(CheckTimelineLinks(head_.get()));
  EXPECT_EQ(testing::ChainText(head_.get(), 6), "b f@1001 F@" + std::to_string(SnapToFrame(2001, 2997)) + " e");
}

TEST_F(CreateClipFromFileTest, SpeedScalesTheLengthOnAFrameBoundary) {
  ASSERT_EQ(Create(0, 'V', 1, 0, 1000, kMediaBmp, 50, "black", ".bmp"), 1) << error_;
  EXPECT_EQ(clip_->OutTime(), SnapToFrame(2000, 2997));
  EXPECT_FALSE(clip_->header.has_value());  // a still has none
  ASSERT_EQ(Create(5000, 'V', 1, 0, 1000, kMediaBmp, 150, "black", ".bmp"), 1) << error_;
  EXPECT_EQ(clip_->OutTime(), SnapToFrame(5000 + 666, 2997));
  EXPECT_EQ(clip_->speed, 150);
}

TEST_F(CreateClipFromFileTest, ACopiedClipBringsItsHeaderOutTimeAndEnvelopes) {
  ClipMediaHeader header = testing::MakeAviHeader(300);
  header.SetFieldOrder(2);
  VolumeEnvelope volume = {{5000, 0}, {12000, 4000}, {0, 10000}};
  VolumeEnvelope balance = {{0, 0}, {20000, 10000}};
  ClipCopyParts copy{&header, 4321, &volume, &balance};
  // The file does not exist: nothing is read for a copy.
  ASSERT_EQ(Create(1000, 'A', 7, 200, 3200, kMediaAvi, 100, "elsewhere", ".avi", &copy), 1) << error_;
  ASSERT_TRUE(clip_->header.has_value());
  EXPECT_EQ(*clip_->header, header);
  EXPECT_EQ(clip_->OutTime(), 4321);
  EXPECT_EQ(clip_->volume, volume);
  EXPECT_EQ(clip_->balance, balance);
  EXPECT_EQ(clip_->playIn, 200);
  EXPECT_EQ(clip_->playOut, 3200);
}

TEST_F(CreateClipFromFileTest, RefusalsLeaveTheTimelineAsItWas) {
  std::string before = MasterText(head_.get());
  ClipCopyParts backwards{nullptr, 500, nullptr, nullptr};
  struct Case {
    const char* what;
    int result;
  } cases[] = {
      {"track 1 is not an audio track", Create(0, 'A', 1, 0, 1000, kMediaWav, 100, "voice", ".wav")},
      {"no such track", Create(0, 'V', 42, 0, 1000, kMediaBmp, 100, "black", ".bmp")},
      {"speed 0", Create(0, 'V', 1, 0, 1000, kMediaBmp, 0, "black", ".bmp")},
      {"negative time", Create(-40, 'V', 1, 0, 1000, kMediaBmp, 100, "black", ".bmp")},
      {"play-out before play-in", Create(0, 'V', 1, 900, 100, kMediaBmp, 100, "black", ".bmp")},
      {"nothing to play", Create(0, 'V', 1, 100, 100, kMediaBmp, 100, "black", ".bmp")},
      {"beyond ten hours", Create(35999000, 'V', 1, 0, 5000, kMediaBmp, 100, "black", ".bmp")},
      {"missing file", Create(0, 'A', 6, 0, 1000, kMediaWav, 100, "gone", ".wav")},
      {"unknown media type", Create(0, 'V', 1, 0, 1000, 777, 100, "black", ".bmp")},
      {"name part too long", Create(0, 'V', 1, 0, 1000, kMediaBmp, 100, std::string(300, 'n'), ".bmp")},
      {"copied out time before the in time",
       Create(1000, 'V', 1, 0, 1000, kMediaBmp, 100, "black", ".bmp", &backwards)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.what;
  EXPECT_EQ(MasterText(head_.get()), before);
  EXPECT_TRUE(CheckTimelineLinks(head_.get()));
  EXPECT_EQ(clip_, nullptr);
  EXPECT_EQ(Create(0, 'A', 6, 0, 1000, kMediaWav, 100, "gone", ".wav"), 0);
  EXPECT_NE(error_.find("gone.wav"), std::string::npos);
}

TEST(ClipNames, TruncatedBeforeACutCharacter) {
  EXPECT_EQ(TruncateUtf8("short", 19), "short");
  EXPECT_EQ(TruncateUtf8("eighteen character\xc3\xa9s", 19), "eighteen character");  // é would be cut
  EXPECT_EQ(TruncateUtf8("nineteen characters\xe2\x82\xac", 19), "nineteen characters");
  EXPECT_EQ(TruncateUtf8("\xe2\x82\xac\xe2\x82\xac", 5), "\xe2\x82\xac");
}

TEST(MediaPathParts, SplitAtTheLastSlashAndTheFirstDotOfTheName) {
  MediaPathParts parts;
  ASSERT_TRUE(SplitMediaPath("/media/v1.2/take.one.avi", &parts));
  EXPECT_EQ(parts.directory, "/media/v1.2/");
  EXPECT_EQ(parts.name, "take");
  EXPECT_EQ(parts.extension, ".one.avi");
  ASSERT_TRUE(SplitMediaPath("noext", &parts));
  EXPECT_EQ(parts.directory, "");
  EXPECT_EQ(parts.name, "noext");
  EXPECT_EQ(parts.extension, "");
  EXPECT_FALSE(SplitMediaPath("/media/", &parts));
  EXPECT_FALSE(SplitMediaPath("/" + std::string(256, 'd') + "/a.avi", &parts));
}

}  // namespace
}  // namespace sprocket

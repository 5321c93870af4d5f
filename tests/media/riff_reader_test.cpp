#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media_test_clips.h"
#include "platform/media/riff_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

std::string Le32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return out;
}

std::string Chunk(const std::string& id, const std::string& data) {
  std::string out = id + Le32(static_cast<std::uint32_t>(data.size())) + data;
  if (data.size() % 2 != 0) out.push_back('\0');
  return out;
}

std::string List(const std::string& id, const std::string& type, const std::string& children) {
  return Chunk(id, type + children);
}

// A WAV-like file with an odd-sized chunk before the ones looked for and an
// "INFO" list.
std::string SampleFile() {
  return List("RIFF", "WAVE",
              Chunk("junk", "abc") + List("LIST", "INFO", Chunk("INAM", "name")) + Chunk("fmt ", std::string(16, 'f')) +
                  Chunk("data", "0123456789"));
}

TEST(RiffReader, FindsChunksAndListsPastOddSizedOnes) {
  TempDir dir;
  std::string path = (dir / "a.wav").string();
  testing::WriteBytes(path, SampleFile());
  RiffReader riff;
  ASSERT_TRUE(riff.Open(path));
  auto wave = riff.FindRiff(MakeFourCC("WAVE"));
  ASSERT_TRUE(wave);
  auto children = riff.Children(*wave);
  ASSERT_TRUE(children);
  ASSERT_EQ(children->size(), 4u);
  EXPECT_EQ((*children)[0].size, 3u);
  EXPECT_EQ((*children)[1].formType, MakeFourCC("INFO"));

  auto data = riff.FindChunk(*wave, MakeFourCC("data"));
  ASSERT_TRUE(data);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(riff.ReadData(*data, &bytes, 100));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");

  auto info = riff.FindList(*wave, MakeFourCC("INFO"));
  ASSERT_TRUE(info);
  auto name = riff.FindChunk(*info, MakeFourCC("INAM"));
  ASSERT_TRUE(name);
  ASSERT_TRUE(riff.ReadData(*name, &bytes, 100));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "name");

  EXPECT_FALSE(riff.FindChunk(*wave, MakeFourCC("cue ")));
  EXPECT_EQ(riff.Status(), RiffStatus::kNotFound);
  EXPECT_FALSE(riff.ErrorText().empty());
}

TEST(RiffReader, RefusesOtherFilesAndForms) {
  TempDir dir;
  RiffReader riff;
  EXPECT_FALSE(riff.Open((dir / "missing.wav").string()));
  EXPECT_EQ(riff.Status(), RiffStatus::kOpenFailed);
  EXPECT_FALSE(riff.Open(dir.path()));  // a folder
  EXPECT_EQ(riff.Status(), RiffStatus::kOpenFailed);

  std::string path = (dir / "a.wav").string();
  testing::WriteBytes(path, SampleFile());
  ASSERT_TRUE(riff.Open(path));
  EXPECT_FALSE(riff.FindRiff(MakeFourCC("AVI ")));
  EXPECT_EQ(riff.Status(), RiffStatus::kNotRiff);

  for (const std::string& bytes :
       {std::string(), std::string("RIFF"), std::string("RIFX\x10\0\0\0WAVE", 12), std::string(40, '\xFF')}) {
    testing::WriteBytes(path, bytes);
    ASSERT_TRUE(riff.Open(path));
    EXPECT_FALSE(riff.FindRiff(MakeFourCC("WAVE")));
    EXPECT_EQ(riff.Status(), RiffStatus::kNotRiff);
  }
}

TEST(RiffReader, RefusesTruncatedAndOversizedChunks) {
  TempDir dir;
  std::string path = (dir / "a.wav").string();
  RiffReader riff;

  // The whole file cut short: the RIFF chunk claims more than is there.
  std::string whole = SampleFile();
  testing::WriteBytes(path, whole.substr(0, whole.size() - 7));
  ASSERT_TRUE(riff.Open(path));
  EXPECT_FALSE(riff.FindRiff(MakeFourCC("WAVE")));
  EXPECT_EQ(riff.Status(), RiffStatus::kTruncated);

  // A child that claims more than its parent, up to the largest size.
  for (std::uint32_t claimed : {11u, 1000u, 0xFFFFFFFFu}) {
    std::string bytes = List("RIFF", "WAVE", "data" + Le32(claimed) + "0123456789");
    testing::WriteBytes(path, bytes);
    ASSERT_TRUE(riff.Open(path));
    auto wave = riff.FindRiff(MakeFourCC("WAVE"));
    ASSERT_TRUE(wave);
    EXPECT_FALSE(riff.Children(*wave));
    EXPECT_EQ(riff.Status(), RiffStatus::kTruncated);
    EXPECT_FALSE(riff.FindChunk(*wave, MakeFourCC("data")));
  }

  // A list too short to hold its type.
  testing::WriteBytes(path, List("RIFF", "WAVE", "LIST" + Le32(2) + "ab"));
  ASSERT_TRUE(riff.Open(path));
  auto wave = riff.FindRiff(MakeFourCC("WAVE"));
  ASSERT_TRUE(wave);
  EXPECT_FALSE(riff.Children(*wave));

  // A chunk larger than the caller takes.
  testing::WriteBytes(path, SampleFile());
  ASSERT_TRUE(riff.Open(path));
  wave = riff.FindRiff(MakeFourCC("WAVE"));
  auto data = riff.FindChunk(*wave, MakeFourCC("data"));
  ASSERT_TRUE(data);
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(riff.ReadData(*data, &bytes, 9));
  EXPECT_EQ(riff.Status(), RiffStatus::kTooLarge);
  EXPECT_FALSE(riff.ReadAt(riff.FileSize() - 2, bytes.data(), 4));
}

}  // namespace
}  // namespace sprocket

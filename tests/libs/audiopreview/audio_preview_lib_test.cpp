#include "libs/audiopreview/audio_preview_lib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "platform/mul_div.h"

namespace sprocket {
namespace {

PcmWaveFormat Format(int channels, int bits) {
  PcmWaveFormat format{};
  format.formatTag = 1;
  format.channels = static_cast<std::uint16_t>(channels);
  format.samplesPerSec = 22050;
  format.bitsPerSample = static_cast<std::uint16_t>(bits);
  format.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
  format.avgBytesPerSec = 22050u * format.blockAlign;
  return format;
}

std::vector<std::uint8_t> Bytes16(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

std::vector<std::int16_t> Samples16(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

TEST(MulDivTest, RoundsHalvesAwayFromZeroAndReportsFailures) {
  EXPECT_EQ(MulDiv(3, 1, 2), 2);
  EXPECT_EQ(MulDiv(-3, 1, 2), -2);
  EXPECT_EQ(MulDiv(5, 1, 4), 1);
  EXPECT_EQ(MulDiv(-5, 1, 4), -1);
  EXPECT_EQ(MulDiv(3, -1, -2), 2);
  EXPECT_EQ(MulDiv(32767, 20000, 10000), 65534);
  EXPECT_EQ(MulDiv(1 << 30, 1 << 20, 1 << 18), -1);  // does not fit in 32 bits
  EXPECT_EQ(MulDiv(-(1 << 30), 2, 1), -2147483647 - 1);
  EXPECT_EQ(MulDiv(7, 3, 0), -1);
}

TEST(AudioPreviewLibTest, VolumeScalesAndClipsBothDepths) {
  auto bytes = Bytes16({1000, -1000, 30000, -30000, 3});
  ApplyClipVolume(bytes, Format(1, 16), 15000);
  EXPECT_EQ(Samples16(bytes), (std::vector<std::int16_t>{1500, -1500, 32767, -32768, 5}));

  std::vector<std::uint8_t> eight = {128, 138, 118, 250, 0};
  ApplyClipVolume(eight, Format(2, 8), 5000);  // 8-bit samples around 128
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{128, 133, 123, 189, 64}));
  ApplyClipVolume(eight, Format(2, 8), -7);
  EXPECT_EQ(eight, std::vector<std::uint8_t>(5, 128));
}

TEST(AudioPreviewLibTest, BalanceGainsScaleLeftAndRightApart) {
  auto bytes = Bytes16({1000, 1000, -2000, -2000});
  ApplyBalanceGains(bytes, Format(2, 16), 0, 20000);
  EXPECT_EQ(Samples16(bytes), (std::vector<std::int16_t>{0, 2000, 0, -4000}));

  auto mono = Bytes16({1000, 1000});
  ApplyBalanceGains(mono, Format(1, 16), 0, 20000);
  EXPECT_EQ(Samples16(mono), (std::vector<std::int16_t>{1000, 1000}));

  std::vector<std::uint8_t> eight = {200, 200};
  ApplyBalanceGains(eight, Format(2, 8), 25000, 5000);  // the left gain is limited to 20000
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{255, 164}));
}

TEST(AudioPreviewLibTest, ChannelModesMuteFillAndSwap) {
  const std::vector<std::int16_t> source = {100, -300, 500, 700};
  const struct {
    std::int32_t mode;
    std::vector<std::int16_t> expected;
  } cases[] = {
      {kChannelMuteBoth, {0, 0, 0, 0}},
      {kChannelMuteLeft, {0, -300, 0, 700}},
      {kChannelMuteRight, {100, 0, 500, 0}},
      {kChannelFillLeft, {100, 100, 500, 500}},
      {kChannelFillRight, {-300, -300, 700, 700}},
      {kChannelFillBoth, {-100, -100, 600, 600}},
      {kChannelSwap, {-300, 100, 700, 500}},
      {kChannelModeNone, {100, -300, 500, 700}},
      {999, {100, -300, 500, 700}},
  };
  for (const auto& c : cases) {
    auto bytes = Bytes16(source);
    ApplyChannelMode(bytes, Format(2, 16), c.mode);
    EXPECT_EQ(Samples16(bytes), c.expected) << c.mode;
  }

  std::vector<std::uint8_t> eight = {100, 200, 0, 255};
  ApplyChannelMode(eight, Format(2, 8), kChannelSwap);
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{200, 100, 255, 0}));
  ApplyChannelMode(eight, Format(2, 8), kChannelMuteLeft);
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{128, 100, 128, 0}));

  // Mono clips only know "Mute".
  auto mono = Bytes16({100, -300});
  ApplyChannelMode(mono, Format(1, 16), kChannelSwap);
  EXPECT_EQ(Samples16(mono), (std::vector<std::int16_t>{100, -300}));
  ApplyChannelMode(mono, Format(1, 16), kChannelMuteBoth);
  EXPECT_EQ(Samples16(mono), (std::vector<std::int16_t>{0, 0}));
}

TEST(AudioPreviewLibTest, BalanceGainsFollowTheEnvelope) {
  TLEvent clip;
  std::int32_t left = -1;
  std::int32_t right = -1;
  const std::pair<std::int32_t, std::pair<std::int32_t, std::int32_t>> levels[] = {
      {10000, {10000, 10000}}, {20000, {0, 20000}}, {0, {20000, 0}}};
  for (const auto& [level, gains] : levels) {
    clip.balance = FlatEnvelope(level);
    BalanceGains(clip, 0.5, &left, &right);
    EXPECT_EQ(left, gains.first) << level;
    EXPECT_EQ(right, gains.second) << level;
  }

  // Between points the level is interpolated with MulDiv; outside them the
  // nearest point holds.
  clip.balance = {{0, 0}, {20000, 3000}, {20000, 10000}};
  BalanceGains(clip, 0.1, &left, &right);  // t = 1000: MulDiv(1000, 20000, 3000) = 6667
  EXPECT_EQ(right, 6667);
  EXPECT_EQ(left, 13333);
  EXPECT_EQ(BalanceLevelAt(clip.balance, -50), 0);
  EXPECT_EQ(BalanceLevelAt(clip.balance, 12000), 20000);
  EXPECT_EQ(BalanceLevelAt({}, 500), 10000);
  GetPreviewBalanceGains(clip, 0.1, &left, &right);
  EXPECT_EQ(right, 6667);
  BalanceGains(clip, std::numeric_limits<double>::quiet_NaN(), &left,
               &right);  // a fraction that is not a number counts as the start
  EXPECT_EQ(right, 0);
}

}  // namespace
}  // namespace sprocket

// The waveform of a clip wider than a picture can be is drawn at the true
// scale where it is in view: a 60 s sound with beeps at 1 s and 50 s shows
// each beep at its time at the finest scale (one frame a picture width).

#include <gtest/gtest.h>
#include <cmath>
#include <fstream>

#include "render/audio/wav_file.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

constexpr int kRate = 11025;
constexpr std::int32_t kLengthMs = 60000;
constexpr std::int32_t kBeeps[] = {1000, 50000};
constexpr std::int32_t kBeepMs = 100;

// 60 s of 16-bit mono silence with a loud beep of 100 ms at each beep time.
std::string WriteBeeps(const std::filesystem::path& path) {
  const int samples = kRate * (kLengthMs / 1000);
  std::vector<std::int16_t> pcm(static_cast<std::size_t>(samples), 0);
  for (std::int32_t beep : kBeeps)
    for (int i = beep * kRate / 1000; i < (beep + kBeepMs) * kRate / 1000; ++i)
      pcm[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(20000 * std::sin(i * 0.3));
  std::ofstream out(path, std::ios::binary);
  const auto header = MakeWaveHeader(static_cast<std::uint32_t>(pcm.size() * 2), kRate, 1, 16);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
  return path.string();
}

class LongWaveform : public ClipView {
protected:
  // The first column of the row, right of `from`, where the waveform is
  // more than its middle line (the start of a beep), or -1.
  int FirstLoudColumn(int from) {
    const int top = Top(6);
    for (int x = std::max(from, kX0 + 1); x < view->ClientRect().right; ++x) {
      if (Count(dc::Rect{x, top, x + 1, top + doc().RowHeight()}, kWaveGreen) > 4) return x;
    }
    return -1;
  }
};

TEST_F(LongWaveform, BeepsShowAtTheirTimesAtTheFinestScale) {
  const std::string path = WriteBeeps(dir / "beeps.wav");
  MediaPathParts parts;
  SplitMediaPath(path, &parts);
  TLEvent* clip = nullptr;
  doc().SetDuration(kLengthMs + 1000);
  CreateClipFromFile(doc().Head(), 0, kTrackAudio, 6, 0, kLengthMs, kMediaWav, kNormalSpeed, 0, parts.name, parts.name,
                     parts.extension, parts.directory, nullptr, &clip);
  ASSERT_NE(clip, nullptr);
  Track(6)->viewStatus = kTrackViewWaveform;
  view->SetScaleIndex(0);
  ASSERT_GT(doc().TimeToX(kLengthMs) - doc().TimeToX(0), 16384);  // wider than one bitmap
  for (std::int32_t beep : kBeeps) {
    // The beep a third into the view, reached by a scroll.
    const std::int32_t target = doc().TimeToX(beep) + doc().horizontalScroll - kX0 - 200;
    view->ScrollHorizontally(std::max(0, target));
    view->UpdateNow();
    const int expected = doc().TimeToX(beep);
    ASSERT_GT(expected, kX0);
    EXPECT_NEAR(FirstLoudColumn(kX0 + 1), expected, 2) << "beep at " << beep << " ms";
    // The beep lasts 100 ms, no longer.
    const int end = doc().TimeToX(beep + kBeepMs);
    EXPECT_EQ(FirstLoudColumn(end + 3), -1) << "beep at " << beep << " ms";
    // A fresh paint of the same state shows the same.
    const QImage shown = view->BackBuffer().Image().copy();
    EXPECT_EQ(Differences(shown, Paint()), 0);
  }
}

}  // namespace
}  // namespace sprocket

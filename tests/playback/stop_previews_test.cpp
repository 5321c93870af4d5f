#include "playback/stop_previews.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "timeline/basics/media_type.h"

namespace sprocket {
namespace {

std::string Text(const char* what, const ClipRect& r) {
  return std::string(what) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom);
}

// Targets that keep every call and change their own state as the real ones do.
class RecordingTargets : public StopPreviewTargets {
public:
  bool IsMonitorRunning() const override { return monitor; }
  void StopMonitor() override { calls.push_back("StopMonitor"), monitor = false; }
  const TLEvent* PlayingClip() const override { return playing; }
  void StopPlay() override { calls.push_back("StopPlay"), playing = nullptr; }
  std::optional<ClipRect> ShownTipRect() const override { return tip; }
  void HideTip() override { calls.push_back("HideTip"), tip.reset(); }
  bool TipHoldsMediaWindow() const override { return tipMedia; }
  void CloseTipMediaWindow() override { calls.push_back("CloseTipMedia"), tipMedia = false; }
  void RepaintNow(const ClipRect& r) override { calls.push_back(Text("RepaintNow", r)); }
  void Invalidate(const ClipRect& r) override { calls.push_back(Text("Invalidate", r)); }
  void UpdateOtherViews(const ClipRect& r) override { calls.push_back(Text("OtherViews", r)); }
  void InvalidateFirstOtherView(const ClipRect& r) override { calls.push_back(Text("FirstOtherView", r)); }
  void EndBoardScrub(TimelineScrub& scrub) override {
    calls.push_back(scrub.IsActive() ? "EndBoardScrub" : "EndBoardScrub(ended)");
  }
  void StopBoardPlayback() override { calls.push_back("StopBoardPlayback"); }
  void CleanupScrubbing(std::array<std::uint8_t, 164>& s) override {
    calls.push_back(s[0] == 0 ? "CleanupScrubbing(zeroed)" : "CleanupScrubbing");
  }
  void CleanupWaveScrubbing(std::array<std::uint8_t, 24>& s) override {
    calls.push_back(s[0] == 0 ? "CleanupWaveScrubbing(zeroed)" : "CleanupWaveScrubbing");
  }
  void FreeStillImage(std::int32_t handle) override { calls.push_back("FreeStill " + std::to_string(handle)); }

  bool monitor = false;
  const TLEvent* playing = nullptr;
  std::optional<ClipRect> tip;
  bool tipMedia = false;
  std::vector<std::string> calls;
};

struct Running {
  RunningPreviews view;
  CTestDoc doc;
  RecordingTargets targets;
  TLEvent clip;
};

// The document's geometry: M 5, B 10, R 17, W 65, marker width 8 at zoom 2.
const StopPreviewGeometry kGeometry{20, 300, 800, 400, 0};

TEST(StopPreviewsTest, EachRunningPreviewIsEndedAndErasedOnceAndASecondCallDoesNothing) {
  struct Case {
    const char* what;
    std::function<void(Running&)> start;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"monitor", [](Running& r) { r.targets.monitor = true; }, {"StopMonitor"}},
      {"clip played on the board", [](Running& r) { r.targets.playing = &r.clip; }, {"StopPlay"}},
      {"named record keeps playing",
       [](Running& r) {
         r.clip.clipName = "Take";
         r.targets.playing = &r.clip;
       },
       {}},
      {"tip window",
       [](Running& r) {
         r.targets.tip = ClipRect{300, 40, 400, 100};
       },
       {"HideTip", "RepaintNow 300,40,400,100"}},
      {"position marker",
       [](Running& r) {
         r.view.markerShown = true;
         r.view.markerX = 200;
         r.doc.extent = 1000;
         r.doc.horizontalScroll = 100;
       },
       {"RepaintNow 192,35,208,333", "OtherViews 70,35,800,333"}},
      {"selection rectangle",
       [](Running& r) {
         r.view.selectionRect = ClipRect{10, 50, 60, 90};
       },
       {"RepaintNow 10,50,60,90"}},
      {"zero-width selection",
       [](Running& r) {
         r.view.selectionRect = ClipRect{10, 50, 10, 90};
       },
       {}},
      {"timeline scrub",
       [](Running& r) {
         r.view.scrub = std::make_unique<TimelineScrub>();
         r.view.scrub->Begin(r.doc.Head(), r.doc.trackCount, 8, 8, r.doc.rate, true);
       },
       {"EndBoardScrub"}},
      {"board playback", [](Running& r) { r.view.boardPlayback = true; }, {"StopBoardPlayback"}},
      {"sound scrub of an AVI clip while both scrub states are open",
       [](Running& r) {
         r.clip.mediaType = kMediaAvi;
         r.view.audioScrubClip = &r.clip;
         r.view.audioScrubBufferPresent = 1;
         r.view.audioScrubBuffer = GlobalBlock::Allocate(64);
         r.doc.preview.aviScrubState[0] = 1;
         r.doc.preview.aviScrubActive = 1;
         r.doc.preview.waveScrubState[0] = 1;
         r.doc.preview.waveScrubActive = 1;
       },
       {"CleanupScrubbing", "CleanupWaveScrubbing"}},
      {"still picture in the tip window",
       [](Running& r) {
         r.targets.tipMedia = true;
         r.doc.preview.kind = 4;
         r.doc.preview.imageHandle = 7;
         r.doc.preview.pictureRect = ClipRect{100, 100, 200, 180};
       },
       {"CloseTipMedia", "FreeStill 7", "Invalidate 99,79,201,161", "FirstOtherView 99,99,201,181"}},
      {"still picture without an image",
       [](Running& r) {
         r.doc.preview.kind = 4;
         r.doc.preview.pictureRect = ClipRect{100, 100, 200, 180};
       },
       {"Invalidate 99,79,201,161", "FirstOtherView 99,99,201,181"}},
      {"feedback line", [](Running& r) { r.view.feedbackX = 150; }, {"Invalidate 149,35,151,332"}},
      {"feedback line at 0 is not touched", [](Running& r) { r.view.feedbackX = 0; }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Running r;
    c.start(r);
    StopPreviews(r.view, r.doc, kGeometry, r.targets);
    EXPECT_EQ(r.targets.calls, c.calls);
    r.targets.calls.clear();
    StopPreviews(r.view, r.doc, kGeometry, r.targets);
    EXPECT_TRUE(r.targets.calls.empty()) << "a second call changes nothing";
    EXPECT_EQ(r.view.scrub, nullptr);
    EXPECT_EQ(r.view.audioScrubClip, nullptr);
    EXPECT_FALSE(r.view.audioScrubBuffer);
    EXPECT_EQ(r.doc.preview.kind, 0);
    EXPECT_EQ(r.doc.preview.imageHandle, -1);
  }
}

TEST(StopPreviewsTest, EverythingStartedAtOnceIsStoppedInOrder) {
  Running r;
  r.targets.monitor = true;
  r.targets.tip = ClipRect{1, 2, 3, 4};
  r.view.boardPlayback = true;
  r.view.scrub = std::make_unique<TimelineScrub>();
  r.view.scrub->Begin(r.doc.Head(), r.doc.trackCount, 8, 8, r.doc.rate, true);
  r.view.envelopeDrag = r.view.scrubbing = r.view.scrubMoved = r.view.scrubPending = true;
  r.view.selectionDrag = r.view.selectionAltDrag = true;
  r.view.feedbackX = 30;
  r.doc.preview.aviScrubActive = 2;
  r.doc.preview.aviScrubState[0] = 5;
  ASSERT_TRUE(AnyPreviewRunning(r.view, r.doc, r.targets));
  StopPreviews(r.view, r.doc, kGeometry, r.targets);
  const std::vector<std::string> calls = {
      "StopMonitor",       "HideTip",          "RepaintNow 1,2,3,4",     "EndBoardScrub",
      "StopBoardPlayback", "CleanupScrubbing", "Invalidate 29,35,31,332"};
  EXPECT_EQ(r.targets.calls, calls);
  EXPECT_FALSE(AnyPreviewRunning(r.view, r.doc, r.targets));
  EXPECT_FALSE(r.view.envelopeDrag || r.view.scrubbing || r.view.scrubMoved || r.view.scrubPending ||
               r.view.selectionDrag || r.view.selectionAltDrag);
  EXPECT_EQ(r.doc.preview.aviScrubState[0], 0);
  EXPECT_EQ(r.doc.preview.aviScrubCount, 0);
}

}  // namespace
}  // namespace sprocket

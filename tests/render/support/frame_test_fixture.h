#pragma once
// A fixture for the tests of the frame renderers: a temporary folder for
// media, a settings folder of its own (the render log lives there),
// scripted prompts, the test effects and a timeline at 25 frames a second.

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "frame_test_effects.h"
#include "frame_test_timelines.h"
#include "libs/clipmedia/clip_media_lib.h"
#include "render/compose/render_frame.h"
#include "render/compose/render_log.h"
#include "render/sources/render_state.h"
#include "render/sources/track_list.h"
#include "scripted_prompts.h"
#include "temp_dir.h"

namespace sprocket::testing {

class FrameFixture : public ::testing::Test {
protected:
  static constexpr std::int32_t kWidth = 32;
  static constexpr std::int32_t kHeight = 24;

  void SetUp() override {
    ResetRenderJobState();
    head_ = MakeFrameTimeline();
    // The log keeps entries once it exists.
    std::ofstream(RenderLogPath()).flush();
  }
  void TearDown() override { ResetRenderJobState(); }

  std::string Media(const std::string& name) const { return (dir_ / name).string(); }

  // The arguments of a plain frame at `t` into `out`.
  RenderFrameArgs Args(DibPicture& out, double t) {
    RenderFrameArgs args;
    args.dib = out.data();
    args.width = out.Width();
    args.height = out.Height();
    args.head = head_.get();
    args.frameTime = t;
    args.endTime = t;
    args.effects = &effects_;
    args.tracks = chain_.get();
    return args;
  }

  // Renders the frame at `t` at kWidth x kHeight (or the given size).
  DibPicture Render(double t, std::int32_t width = kWidth, std::int32_t height = kHeight,
                    std::int32_t* produced = nullptr) {
    DibPicture out = NewPicture(width, height);
    std::int32_t result = -1;
    EXPECT_EQ(RenderFrame(Args(out, t), &result), kRenderDone);
    if (produced != nullptr) *produced = result;
    return out;
  }

  // Keeps sources open in a chain of ten nodes for the following frames.
  void UseChain() {
    chain_ = std::make_unique<TrackList>();
    chain_->BuildTrackList(10);
  }

  static std::string ReadLog() {
    std::ifstream in(RenderLogPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  TempDir dir_;
  ScopedConfigDir config_;
  ScriptedPrompts prompts_;
  TestEffects effects_;
  EventListSlot head_;
  std::unique_ptr<TrackList> chain_;
};

}  // namespace sprocket::testing

#pragma once
// The set-up of the render job tests: a fresh settings folder and
// temporary folder, the application's output settings saved and restored,
// scripted prompts, a recording RenderUi and a stand-in compositor whose
// pictures tell the time and field they were rendered for.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application_state.h"
#include "recording_render_ui.h"
#include "render/output/render_job.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/document.h"

namespace sprocket::testing {

// One call of the stand-in compositor.
struct FrameCall {
  double time = 0.0;
  double endTime = 0.0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t mode = 0;
  std::int32_t fieldMode = 0;
  std::int32_t field = 0;
  std::int32_t frameArg = 0;
  std::string outFile;
  bool hadTracks = false;
  bool hadPump = false;
};

// The colour the stand-in paints for a time and field: blue the time in
// 40 ms steps, green 200 for field 1, red 90.
struct FrameColour {
  int blue = 0;
  int green = 0;
  int red = 0;
  bool operator==(const FrameColour&) const = default;
};
FrameColour ColourFor(double timeMs, std::int32_t field);

class RenderJobTest : public ::testing::Test {
protected:
  RenderJobTest();
  ~RenderJobTest() override;

  // The services with the stand-in compositor (and `join`, when set).
  RenderJobServices Services();
  // Runs a job with a new runner; the runner stays for inspection.
  int Run(const RenderJob& job);

  // Movie settings for small, quick jobs: 25 frames a second, 32 x 24.
  MovieSettings& Movie() { return TheApp().movie; }

  std::string Path(const std::string& name) const { return (temp / name).string(); }

  ScopedConfigDir config;
  TempDir temp;
  ScriptedPrompts prompts;
  RecordingRenderUi ui;
  CTestDoc doc;
  std::vector<FrameCall> calls;
  // The stand-in fails its call with this number (from 1) with `failStatus`.
  int failAtCall = 0;
  int failStatus = -1;
  // Mode 1 calls hand back a copied sample instead of a picture.
  bool copySamples = false;
  MovieJoinRunner join;
  std::unique_ptr<RenderJobRunner> runner;

private:
  MovieSettings savedMovie_;
  MovieSettings savedPreview_;
  std::string savedBasePath_;
  std::int32_t savedSegmentFlag_ = 0;
};

}  // namespace sprocket::testing

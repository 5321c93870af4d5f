#pragma once
// A RenderUi double for tests: records every call, and can stop the job
// (set the abort flag) after a number of frames or waits.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/output/render_ui.h"

namespace sprocket::testing {

class RecordingRenderUi : public RenderUi {
public:
  void SetCaption(const std::string& text) override { captions.push_back(text); }
  void SetAbortHint(const std::string& text) override { abortHints.push_back(text); }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void SetTimeCode(const std::string& text) override { timeCodes.push_back(text); }
  void ShowProgress(int percent) override { percents.push_back(percent); }
  void ShowPicture(const std::uint8_t* dib) override;
  void ShowPictureArea(PictureAreaMode mode) override { areaModes.push_back(mode); }
  void ClearPicture() override { ++clears; }
  void MovePositionLine(std::int32_t ms, bool firstCall) override {
    positionLines.push_back(ms);
    if (firstCall) ++firstPositionCalls;
  }
  void SetWaitCursor(bool on) override { waitCursor = on; }
  void ShowFrameCount(std::int64_t done, std::int64_t total) override;
  void Wait(int ms) override;

  // Sets the abort flag once `frames` frames are done (0: never).
  std::int64_t stopAfterFrames = 0;
  // Sets the abort flag at the wait with this number (from 1; 0: never).
  int stopAtWait = 0;

  std::vector<std::string> captions;
  std::vector<std::string> abortHints;
  std::vector<std::string> statuses;
  std::vector<std::string> timeCodes;
  std::vector<int> percents;
  std::vector<PictureAreaMode> areaModes;
  // Width, height and bits of each picture shown.
  struct Shown {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bits = 0;
  };
  std::vector<Shown> pictures;
  std::vector<std::int32_t> positionLines;
  int firstPositionCalls = 0;
  int clears = 0;
  bool waitCursor = false;
  std::int64_t framesDone = 0;
  std::int64_t framesTotal = 0;
  std::vector<int> waits;
};

}  // namespace sprocket::testing

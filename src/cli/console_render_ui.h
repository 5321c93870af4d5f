#pragma once
// The render window of sprocket-render: a progress line on a terminal.
//
// When the stream is a terminal it shows one line, rewritten in place,
// with the frame, the time code and the percent done:
//
//   Generating Movie...  frame 12 of 125  00:00:00:11   9%
//
// Nothing is written when the stream is not a terminal (a log file stays
// clean); messages go through the prompts, not through this.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "render/output/render_ui.h"

namespace sprocket {

class ConsoleRenderUi : public RenderUi {
public:
  // `stream` is written only when `terminal` is set (see IsTerminal).
  ConsoleRenderUi(std::FILE* stream, bool terminal);
  // Ends the progress line.
  ~ConsoleRenderUi() override;

  // True when the stream is a terminal.
  static bool IsTerminal(std::FILE* stream);

  void SetCaption(const std::string& text) override { caption_ = text; }
  void SetAbortHint(const std::string&) override {}
  void SetStatus(const std::string&) override {}
  void SetTimeCode(const std::string& text) override;
  void ShowProgress(int percent) override { percent_ = percent; }
  void ShowPicture(const std::uint8_t*) override {}
  bool ShowsPictures() const override { return false; }
  void ShowPictureArea(PictureAreaMode) override {}
  void ClearPicture() override {}
  void MovePositionLine(std::int32_t, bool) override {}
  void SetWaitCursor(bool) override {}
  void ShowFrameCount(std::int64_t done, std::int64_t total) override;
  void Wait(int ms) override;

  // The progress line as it would be shown now.
  std::string ProgressLine() const;
  // Ends the line (once) so that later output starts on a line of its own.
  void EndLine();

private:
  void Draw(bool force);

  std::FILE* stream_;
  bool terminal_;
  std::string caption_;
  std::string timeCode_ = "00:00:00:00";
  int percent_ = 0;
  std::int64_t done_ = 0;
  std::int64_t total_ = 0;
  bool drawn_ = false;
  std::size_t lastWidth_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace sprocket

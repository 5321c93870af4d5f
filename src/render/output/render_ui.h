#pragma once
// What the render window shows while a job runs, as the job sees it.
//
// The render job never draws itself: it tells a RenderUi what to show. The
// editor's render window draws the items of its dialog, the command-line
// tool prints a progress line, and tests record every call.

#include <cstdint>
#include <string>

namespace sprocket {

// What the picture area shows when the job hands it no picture.
enum class PictureAreaMode : int {
  kNothing = -2,
  kAudio = -1,  // the picture shown while the sound is mixed
  kJoin = 0,    // the picture shown while the movie is joined
};

class RenderUi {
public:
  virtual ~RenderUi() = default;

  // The window's caption ("Generating Movie...").
  virtual void SetCaption(const std::string& text) = 0;
  // The line that says how to stop ("Press ESC Once To Abort...").
  virtual void SetAbortHint(const std::string& text) = 0;
  // The status line ("Creating " + path).
  virtual void SetStatus(const std::string& text) = 0;
  // The time code of the job's current time.
  virtual void SetTimeCode(const std::string& text) = 0;
  // The progress bar, 0..100.
  virtual void ShowProgress(int percent) = 0;
  // A packed DIB (24 or 8 bits) stretched into the picture area.
  virtual void ShowPicture(const std::uint8_t* dib) = 0;
  // Whether ShowPicture puts the pictures before the user: frames that never
  // become a picture on their way into the movie are made one for it only then.
  virtual bool ShowsPictures() const { return true; }
  // The picture area without a picture of the job: a stand-in picture for
  // kAudio and kJoin; kNothing leaves it as it is.
  virtual void ShowPictureArea(PictureAreaMode mode) = 0;
  // Fills the picture area with black.
  virtual void ClearPicture() = 0;
  // Moves the timeline's position line to a time during the render.
  virtual void MovePositionLine(std::int32_t ms, bool firstCall) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // Frame k (from 1) of `total` is done (for a text progress line).
  virtual void ShowFrameCount(std::int64_t done, std::int64_t total) = 0;
  // Lets `ms` milliseconds pass while the front end keeps working (the
  // display-only playback's pace).
  virtual void Wait(int ms) = 0;
};

// A RenderUi that shows nothing.
class NullRenderUi : public RenderUi {
public:
  void SetCaption(const std::string&) override {}
  void SetAbortHint(const std::string&) override {}
  void SetStatus(const std::string&) override {}
  void SetTimeCode(const std::string&) override {}
  void ShowProgress(int) override {}
  void ShowPicture(const std::uint8_t*) override {}
  bool ShowsPictures() const override { return false; }
  void ShowPictureArea(PictureAreaMode) override {}
  void ClearPicture() override {}
  void MovePositionLine(std::int32_t, bool) override {}
  void SetWaitCursor(bool) override {}
  void ShowFrameCount(std::int64_t, std::int64_t) override {}
  void Wait(int) override {}
};

}  // namespace sprocket

#pragma once
// Scrubbing the timeline: while the user drags the position line, the
// composed frame of the timeline at the time under it, made by the frame
// compositor through a track list that stays open from one move to the
// next (a clip's movie reads on instead of being opened again), and, with
// an audio output, the timeline's mixed sound of that frame.
//
//   TimelineScrub scrub;
//   scrub.SetFrameHandler([&](const std::uint8_t* dib, std::int32_t ms) { previewWindow.ShowPicture(...); });
//   scrub.Begin(doc.Head(), doc.trackCount, 320, 240, doc.rate, true);
//   on every move: scrub.ShowAt(ms);
//   scrub.End();   // also what stopping the previews does
//
// The list must stay the document's list until End: every edit stops the
// previews first.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/audioout/audio_out.h"
#include "render/output/job_frame_renderer.h"
#include "render/picture/dib_picture.h"
#include "render/sources/track_list.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

class TimelineScrub {
public:
  using FrameHandler = std::function<void(const std::uint8_t* dib, std::int32_t timeMs)>;

  // `renderer` empty: the compositor with the effect libraries.
  explicit TimelineScrub(JobFrameRenderer renderer = {});
  ~TimelineScrub();
  TimelineScrub(const TimelineScrub&) = delete;
  TimelineScrub& operator=(const TimelineScrub&) = delete;

  void SetFrameHandler(FrameHandler handler) { onFrame_ = std::move(handler); }
  // Each new frame's sound goes to `out` in `format` (the sound of the move
  // before is dropped); null: no sound.
  void SetSound(AudioOut* out, const AudioOutFormat& format) {
    sound_ = out;
    soundFormat_ = format;
  }

  // Starts scrubbing the timeline at width x height with the preview or the
  // movie settings, on its frame grid (rate in hundredths). A scrub already
  // running is ended first.
  void Begin(const TLEvent* head, std::int32_t trackCount, std::int32_t width, std::int32_t height,
             std::int32_t rateHundredths, bool preview);
  // Shows the frame nearest the time (on the timeline's frame grid). A time
  // on the frame shown last shows nothing new. False when not scrubbing or
  // the frame cannot be made.
  bool ShowAt(std::int32_t ms);
  // Closes the sources and forgets the picture. Safe when not scrubbing.
  void End();

  bool IsActive() const { return head_ != nullptr; }
  const DibPicture& Picture() const { return picture_; }
  std::int32_t ShownTime() const { return shownTime_; }
  TrackList* Tracks() const { return tracks_.get(); }

private:
  void PlayFrameSound(std::int32_t time);

  JobFrameRenderer render_;
  AudioOut* sound_ = nullptr;
  AudioOutFormat soundFormat_;
  FrameHandler onFrame_;
  const TLEvent* head_ = nullptr;
  std::unique_ptr<TrackList> tracks_;
  DibPicture picture_;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t rate_ = 0;
  bool preview_ = true;
  std::int32_t shownTime_ = -1;
};

}  // namespace sprocket

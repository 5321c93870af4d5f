#pragma once
// What the timeline view asks of the preview window: its monitor and play
// states with their stops, the screen the board stand-in's player plays on,
// and the picture and sound of a scrub of the timeline.

#include <cstdint>

#include "platform/audioout/audio_out.h"
#include "playback/board_stand_in_player.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

class PreviewWindowLink {
public:
  virtual ~PreviewWindowLink() = default;
  virtual bool IsMonitorRunning() const = 0;
  virtual void StopMonitor() = 0;
  // The clip record playing (null when none, also while a board file plays).
  virtual const TLEvent* PlayingClip() const = 0;
  virtual void StopPlay() = 0;
  // Where the board stand-in's player shows a file.
  virtual BoardPlayScreen& BoardScreen() = 0;
  // Shows a composed frame of the timeline (a 24-bit packed DIB) and its
  // time at `fps`.
  virtual void ShowScrubPicture(const std::uint8_t* dib, std::int32_t timeMs, double fps) = 0;
  // Where the scrub's sound goes (null: no sound).
  virtual AudioOut* ScrubSound() = 0;
};

}  // namespace sprocket

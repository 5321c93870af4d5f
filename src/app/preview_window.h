#pragma once
// The preview window: a small floating window that plays a clip, a
// finished movie or the segment preview's "preview.avi", its pictures at
// the file's rate and its sound through the audio output, with the
// position shown as a time code under the picture.
//
// It has two states, each ended by its own stop:
//   - the monitor (Monitor / StopMonitor): a file played on screen;
//   - the play state (PlayClip, PlayBoardFile / StopPlay): a clip record of
//     the timeline, or a file that the board stand-in's player plays here in
//     place of the board's output. PlayingClip() names the record (null for a
//     board file).
// Starting one stops the other. Both stops are safe when nothing plays.
//
// A timer steps the player while it plays; tests give the window a hand-
// stepped clock and call Tick() themselves.

#include <cstdint>
#include <memory>
#include <string>

#include <QImage>
#include <QWidget>

#include "platform/audioout/audio_out.h"
#include "playback/board_stand_in_player.h"
#include "playback/movie_player.h"
#include "playback/playback_clock.h"
#include "tleview/preview_window_link.h"

class QLabel;
class QTimer;

namespace sprocket {

struct TLEvent;
class PictureArea;

class CPreviewWnd : public QWidget, public BoardPlayScreen, public PreviewWindowLink {
  Q_OBJECT
public:
  // With no audio output the window plays through the machine's default
  // output (silent without one); with no clock it uses the steady clock.
  explicit CPreviewWnd(AudioOut* audio = nullptr, const PlaybackClock* clock = nullptr, QWidget* parent = nullptr);
  ~CPreviewWnd() override;

  // --- Monitor ---
  // Plays [fromMs, toMs) of a file (toMs < 0: to its end). False, with
  // ErrorText(), when it cannot be played.
  bool Monitor(const std::string& path, std::int32_t fromMs = 0, std::int32_t toMs = -1);
  // Ends the monitor: stops its timer and sound, clears the flag and
  // repaints. Only while it runs.
  void StopMonitor() override;
  bool IsMonitorRunning() const override { return monitorRunning_; }

  // --- Play state ---
  // Plays a clip record's media from its play-in to its play-out.
  bool PlayClip(const TLEvent* clip);
  const TLEvent* PlayingClip() const override { return playingClip_; }
  bool IsPlaying() const { return playing_; }
  // Stops the clip or board file being played, with its sound, and the
  // sound of a scrub shown here; repaints.
  void StopPlay() override;
  // True while the picture of a scrub is shown and its sound may play.
  bool IsScrubShown() const { return scrubShown_; }

  // --- BoardPlayScreen ---
  bool PlayBoardFile(const std::string& path, Progress progress) override;
  void StopBoardFile() override { StopPlay(); }

  // --- Scrubbing ---
  // Shows a composed frame of the timeline (a 24-bit packed DIB) and its
  // time as a time code at `fps`, while nothing plays here.
  void ShowScrubPicture(const std::uint8_t* dib, std::int32_t timeMs, double fps) override;
  // The scrub's sound goes to the window's audio output.
  AudioOut* ScrubSound() override { return audio_; }
  BoardPlayScreen& BoardScreen() override { return *this; }

  // The timer's step: brings pictures, sound and time code up to the clock.
  void Tick();

  // What the window shows: the last frame (null before the first), the
  // time code text and the frames shown since playback started.
  const QImage& Picture() const { return picture_; }
  QString TimeCodeText() const;
  std::int64_t FramesShown() const { return player_.FramesShown(); }
  const std::string& ErrorText() const { return error_; }
  // The picture area, in the window's coordinates.
  QRect PictureRect() const;

private:
  bool Start(const std::string& path, std::int32_t fromMs, std::int32_t toMs);
  void EndPlayback();
  void ShowPosition(std::int32_t positionMs);
  void EndScrubSound();

  std::unique_ptr<AudioOut> ownAudio_;
  std::unique_ptr<PlaybackClock> ownClock_;
  AudioOut* audio_ = nullptr;
  MoviePlayer player_;
  QTimer* timer_ = nullptr;
  PictureArea* pictureArea_ = nullptr;
  QLabel* timeCode_ = nullptr;
  QImage picture_;
  std::string error_;
  bool monitorRunning_ = false;
  bool playing_ = false;
  bool scrubShown_ = false;
  const TLEvent* playingClip_ = nullptr;
  Progress boardProgress_;
};

}  // namespace sprocket

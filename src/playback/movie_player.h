#pragma once
// Plays a movie or sound file: its pictures at the file's own rate, read
// through the media layer, and its sound through an audio output.
//
//   MoviePlayer player(audioOut, clock);
//   player.SetFrameHandler([&](const std::uint8_t* dib, std::int64_t n) { show(dib); });
//   player.Open(path);
//   player.Play(0, -1);
//   every few milliseconds: if (!player.Tick()) break;   // false once the end is reached
//
// Time comes from the clock: Tick shows the frame due at the clock's time
// (each frame once; frames whose time has passed unseen are skipped) and
// keeps the sound a little ahead of the pictures, as much as the output
// takes. The position is in ms from the start of the file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/audioout/audio_out.h"
#include "platform/media/audio_sample_reader.h"
#include "platform/media/video_frame_reader.h"
#include "playback/playback_clock.h"

namespace sprocket {

class MoviePlayer {
public:
  // A frame to show: a 24-bit packed DIB and its frame number in the file.
  using FrameHandler = std::function<void(const std::uint8_t* dib, std::int64_t frame)>;
  // The position reached, ms from the start of the file.
  using ProgressHandler = std::function<void(std::int32_t positionMs)>;

  // How far the sound is queued ahead of the pictures.
  static constexpr std::int32_t kSoundLeadMs = 250;

  MoviePlayer(AudioOut& audio, const PlaybackClock& clock) : audio_(audio), clock_(clock) {}
  ~MoviePlayer() { Stop(); }
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  void SetFrameHandler(FrameHandler handler) { onFrame_ = std::move(handler); }
  void SetProgressHandler(ProgressHandler handler) { onProgress_ = std::move(handler); }

  // Opens the file's pictures and sound (either may be missing, not both).
  // False with ErrorText() when neither can be read.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return HasVideo() || HasAudio(); }
  bool HasVideo() const { return video_.IsOpen(); }
  bool HasAudio() const { return sound_.IsOpen(); }
  const std::string& ErrorText() const { return error_; }
  const std::string& Path() const { return path_; }

  double FramesPerSecond() const { return HasVideo() ? video_.FramesPerSecond() : 0.0; }
  std::int64_t FrameCount() const { return HasVideo() ? video_.FrameCount() : 0; }
  // The length of the file: its pictures', else its sound's.
  std::int32_t DurationMs() const;

  // Starts playing [fromMs, toMs) of the file (toMs < 0 or past the end: to
  // the end) and shows the first frame. False when nothing is open or the
  // range is empty.
  bool Play(std::int32_t fromMs = 0, std::int32_t toMs = -1);
  // Stops pictures and sound at once. Safe when stopped.
  void Stop();
  bool IsPlaying() const { return playing_; }

  // Brings pictures and sound up to the clock. False once playback has
  // ended (the end of the range was reached, or it was stopped).
  bool Tick();

  std::int32_t PositionMs() const { return position_; }
  // The last frame shown, -1 before the first.
  std::int64_t ShownFrame() const { return shownFrame_; }
  std::int64_t FramesShown() const { return framesShown_; }

private:
  std::int64_t FrameAt(std::int32_t ms) const;
  void ShowFrame(std::int64_t frame);
  void QueueSound(std::int32_t untilMs);
  std::int64_t SoundFrameAt(std::int32_t ms) const;

  AudioOut& audio_;
  const PlaybackClock& clock_;
  FrameHandler onFrame_;
  ProgressHandler onProgress_;
  std::string path_;
  std::string error_;
  VideoFrameReader video_;
  AudioSampleReader sound_;

  bool playing_ = false;
  std::int32_t from_ = 0;
  std::int32_t to_ = 0;
  std::int64_t startedAt_ = 0;
  std::int32_t position_ = 0;
  std::int64_t shownFrame_ = -1;
  std::int64_t framesShown_ = 0;
  // Sound read but not yet taken by the output, and the next sample frame to read.
  std::vector<std::uint8_t> pendingSound_;
  std::int64_t nextSoundFrame_ = 0;
  std::int64_t endSoundFrame_ = 0;
};

}  // namespace sprocket

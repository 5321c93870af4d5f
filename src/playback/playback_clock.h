#pragma once
// The clock that paces playback. Players read it instead of the system
// clock so that tests step time by hand and never wait.

#include <chrono>
#include <cstdint>

namespace sprocket {

class PlaybackClock {
public:
  virtual ~PlaybackClock() = default;
  // Milliseconds on a steady scale (only differences count).
  virtual std::int64_t NowMs() const = 0;
};

class SteadyPlaybackClock final : public PlaybackClock {
public:
  std::int64_t NowMs() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

// A clock that moves only when told.
class ManualPlaybackClock final : public PlaybackClock {
public:
  std::int64_t NowMs() const override { return now_; }
  void Advance(std::int64_t ms) { now_ += ms; }

private:
  std::int64_t now_ = 0;
};

}  // namespace sprocket

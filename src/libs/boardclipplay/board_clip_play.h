#pragma once
// The board clip player: plays a movie file on the video board's output
// and reports the play position as it goes.
//
// Ordinal 2 is given the file, two words it may use for its own state, the
// screen rectangle of the monitor picture, a reserved word, the timeline
// time (ms) at which the file starts and the progress callback. It starts
// the playback and returns; the callback then receives the timeline time
// reached (the start plus the position in the file), with flag 1 while the
// file plays and 0 on the last call, when it has ended or was stopped.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sprocket {

struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

// (time ms on the timeline, flag: 1 playing / 0 ended, x: unused, 0)
using BoardPlayProgressCallback = std::function<void(float timeMs, std::int32_t flag, std::int32_t x)>;

class BoardClipPlayer {
public:
  virtual ~BoardClipPlayer() = default;
  // Ordinal 2. 0 when the playback started.
  virtual int PlayFile(const std::string& path, std::int32_t* state1, std::int32_t* state2, const ScreenRect& monitor,
                       std::int32_t reserved, std::int32_t startMs, const BoardPlayProgressCallback& progress) = 0;
  // Stops a playback that is still running (its last progress call follows).
  // Safe when nothing plays.
  virtual void StopPlaying() = 0;
};

// The player without a board: nothing plays.
class NoBoardClipPlayer final : public BoardClipPlayer {
public:
  int PlayFile(const std::string&, std::int32_t*, std::int32_t*, const ScreenRect&, std::int32_t, std::int32_t,
               const BoardPlayProgressCallback&) override {
    return -1;
  }
  void StopPlaying() override {}
};

// A player that keeps what it was asked to play (for tests) and reports
// each given position through the callback of the last request.
class RecordingBoardClipPlayer final : public BoardClipPlayer {
public:
  struct Request {
    std::string path;
    ScreenRect monitor;
    std::int32_t reserved = 0;
    std::int32_t startMs = 0;
    std::int32_t state1 = 0;  // the words as they were handed over
    std::int32_t state2 = 0;
  };
  int PlayFile(const std::string& path, std::int32_t* state1, std::int32_t* state2, const ScreenRect& monitor,
               std::int32_t reserved, std::int32_t startMs, const BoardPlayProgressCallback& progress) override;
  void StopPlaying() override { ++stops_; }

  // Calls the last request's callback with its start plus `positionMs`.
  void Report(std::int32_t positionMs, std::int32_t flag = 1);

  const std::vector<Request>& requests() const { return requests_; }
  int stops() const { return stops_; }

private:
  std::vector<Request> requests_;
  BoardPlayProgressCallback progress_;
  int stops_ = 0;
};

}  // namespace sprocket

#pragma once
// The board clip player of the software stand-in of the video board: what
// would play on the board's output plays in the preview window instead, and
// the play position goes to the progress callback as timeline time.

#include <cstdint>
#include <functional>
#include <string>

#include "libs/boardclipplay/board_clip_play.h"

namespace sprocket {

// Where the stand-in shows the file: the preview window.
class BoardPlayScreen {
public:
  // (position in the file in ms, true while it still plays)
  using Progress = std::function<void(std::int32_t positionMs, bool playing)>;
  virtual ~BoardPlayScreen() = default;
  // Starts playing the file; false when it cannot be played.
  virtual bool PlayBoardFile(const std::string& path, Progress progress) = 0;
  // Stops what PlayBoardFile started (its last progress call follows).
  virtual void StopBoardFile() = 0;
};

class StandInBoardClipPlayer final : public BoardClipPlayer {
public:
  explicit StandInBoardClipPlayer(BoardPlayScreen& screen) : screen_(screen) {}

  int PlayFile(const std::string& path, std::int32_t* state1, std::int32_t* state2, const ScreenRect& monitor,
               std::int32_t reserved, std::int32_t startMs, const BoardPlayProgressCallback& progress) override;
  void StopPlaying() override { screen_.StopBoardFile(); }

private:
  BoardPlayScreen& screen_;
};

}  // namespace sprocket

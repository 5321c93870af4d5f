#include "playback/board_stand_in_player.h"

namespace sprocket {

int StandInBoardClipPlayer::PlayFile(const std::string& path, std::int32_t* /*state1*/, std::int32_t* /*state2*/,
                                     const ScreenRect& /*monitor*/, std::int32_t /*reserved*/, std::int32_t startMs,
                                     const BoardPlayProgressCallback& progress) {
  BoardPlayScreen::Progress onPosition = [progress, startMs](std::int32_t positionMs, bool playing) {
    if (progress) progress(static_cast<float>(startMs + positionMs), playing ? 1 : 0, 0);
  };
  return screen_.PlayBoardFile(path, std::move(onPosition)) ? 0 : -1;
}

}  // namespace sprocket

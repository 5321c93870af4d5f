#include "libs/boardclipplay/board_clip_play.h"

namespace sprocket {

int RecordingBoardClipPlayer::PlayFile(const std::string& path, std::int32_t* state1, std::int32_t* state2,
                                       const ScreenRect& monitor, std::int32_t reserved, std::int32_t startMs,
                                       const BoardPlayProgressCallback& progress) {
  requests_.push_back(
      Request{path, monitor, reserved, startMs, state1 != nullptr ? *state1 : -1, state2 != nullptr ? *state2 : -1});
  progress_ = progress;
  return 0;
}

void RecordingBoardClipPlayer::Report(std::int32_t positionMs, std::int32_t flag) {
  if (!progress_ || requests_.empty()) return;
  progress_(static_cast<float>(requests_.back().startMs + positionMs), flag, 0);
}

}  // namespace sprocket

#pragma once
// Plays a finished movie with the desktop's own player, until the editor
// has a player window of its own.

#include "platform/board/video_board.h"

namespace sprocket {

class DesktopClipPlayer : public ClipPlayer {
public:
  // 0 when the desktop accepted the file.
  int PlayClip(const ClipPlayRequest& request) override;
};

}  // namespace sprocket

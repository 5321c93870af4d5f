#pragma once
// Plays a finished movie in the editor's preview window.

#include "platform/board/video_board.h"

namespace sprocket {

class CPreviewWnd;

class PreviewWindowPlayer : public ClipPlayer {
public:
  explicit PreviewWindowPlayer(CPreviewWnd& window) : window_(window) {}
  // Shows the window and plays the file in it; 0 when it plays. A file it
  // cannot play is reported.
  int PlayClip(const ClipPlayRequest& request) override;

private:
  CPreviewWnd& window_;
};

}  // namespace sprocket

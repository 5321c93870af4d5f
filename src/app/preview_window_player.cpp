#include "app/preview_window_player.h"

#include "app/preview_window.h"
#include "platform/prompts.h"

namespace sprocket {

int PreviewWindowPlayer::PlayClip(const ClipPlayRequest& request) {
  window_.show();
  window_.raise();
  if (window_.Monitor(request.path)) return 0;
  ShowMessage("The movie " + request.path + " cannot be played: " + window_.ErrorText(), MB_OK | MB_ICONEXCLAMATION);
  return -1;
}

}  // namespace sprocket

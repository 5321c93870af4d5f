#include "app/desktop_clip_player.h"

#include <QDesktopServices>
#include <QUrl>

namespace sprocket {

int DesktopClipPlayer::PlayClip(const ClipPlayRequest& request) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(request.path))) ? 0 : -1;
}

}  // namespace sprocket

// sprocket: the video editor. It reads no options.

#include <QApplication>

#include "app/editor_app.h"
#include "platform/worker_pool.h"

int main(int argc, char** argv) {
  sprocket::ShareAllocationArenas();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sprocket"));
  return sprocket::RunEditor();
}

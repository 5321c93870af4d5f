// sprocket: the video editor. It reads no options.

#include <QApplication>

#include "app/editor_app.h"
#include "platform/leftovers.h"
#include "platform/settings_store.h"
#include "platform/worker_pool.h"

int main(int argc, char** argv) {
  sprocket::ShareAllocationArenas();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sprocket"));
  sprocket::RemoveLeftoversOfEndedRuns(sprocket::AppProfile());
  return sprocket::RunEditor();
}

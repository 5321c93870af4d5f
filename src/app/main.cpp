// sprocket: the video editor. It reads no options.

#include <QApplication>

#include "app/editor_app.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sprocket"));
  return sprocket::RunEditor();
}

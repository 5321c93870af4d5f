// Shows a timeline file in a timeline view window, for the tests that look
// at a real window:
//   show_timeline FILE.tle [--clip-view OPTION] [--zoom LEVEL] [--select TRACK] [--save PICTURE.png]
// --select selects the clips of a track. With --save the view paints once, writes its picture and ends. In the
// window the key Z zooms out three time scales and back in, one step a
// paint, as View > Zoom Out and Zoom In do; the title then ends in
// " zoomed".

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/application_state.h"
#include "platform/settings/profile.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/tle_view.h"

namespace {

// The key Z: three scales out and three back in, each painted.
class ZoomOutAndIn : public QObject {
public:
  explicit ZoomOutAndIn(sprocket::CTLEView& view) : view_(view) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Z)
      return QObject::eventFilter(watched, event);
    const int start = view_.GetDocument().scaleIndex;
    for (int step = 1; step <= 6; ++step) {
      const int scale = step <= 3 ? start + step : start + 6 - step;
      QTimer::singleShot(150 * step, &view_, [this, scale] {
        view_.SetScaleIndex(scale);
        view_.viewport()->repaint();
      });
    }
    QTimer::singleShot(150 * 7, &view_, [this] {
      view_.setWindowTitle(QStringLiteral("Sprocket timeline zoomed"));
      view_.viewport()->repaint();
    });
    return true;
  }

private:
  sprocket::CTLEView& view_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: show_timeline FILE.tle [--clip-view OPTION] [--zoom LEVEL] [--select TRACK] "
                 "[--save PICTURE.png]\n";
    return 2;
  }
  int clipView = 2;
  int zoom = 1;
  int selectTrack = 0;
  std::string save;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--clip-view")
      clipView = std::atoi(argv[i + 1]);
    else if (option == "--zoom")
      zoom = std::atoi(argv[i + 1]);
    else if (option == "--select")
      selectTrack = std::atoi(argv[i + 1]);
    else if (option == "--save")
      save = argv[i + 1];
  }
  using namespace sprocket;
  auto document = std::make_shared<ViewedDocument>();
  std::string error;
  if (!ReadTimelineFile(argv[1], document->doc, &error)) {
    std::cerr << error << "\n";
    return 1;
  }
  const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "show_timeline";
  std::filesystem::create_directories(scratch);
  document->doc.tempDir = scratch.string() + "/";
  // Sound is shown as its waveform.
  for (TLEvent* e = document->doc.Head(); e != nullptr; e = GetNextEvent(e)) {
    if (e->kind == kEventTrackBegin && e->trackType == kTrackAudio) e->viewStatus = kTrackViewWaveform;
    if (e->IsClipIn() && e->trackNumber == selectTrack) document->doc.AddSelection(e);
  }
  document->doc.zoom = std::clamp(zoom, 0, 3);
  document->doc.clipViewOption = std::clamp(clipView, 0, 4);
  document->doc.scaleIndex = 3;
  document->doc.RecalcScale();
  Profile profile(scratch / "RODUVER.INI");
  ApplicationState app;
  CTLEView view(document, app, profile);
  view.setWindowTitle(QStringLiteral("Sprocket timeline"));
  view.resize(760, 420);
  if (!save.empty()) {
    view.BackBuffer().Resize(760, 420);
    view.InvalidateAll();
    view.UpdateNow();
    return view.BackBuffer().Image().save(QString::fromStdString(save)) ? 0 : 1;
  }
  ZoomOutAndIn zoomKey(view);
  view.installEventFilter(&zoomKey);
  view.viewport()->installEventFilter(&zoomKey);
  view.show();
  return application.exec();
}

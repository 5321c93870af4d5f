// Shows a timeline file in a timeline view window, for the tests that look
// at a real window:
//   show_timeline FILE.tle [--clip-view OPTION] [--zoom LEVEL] [--save PICTURE.png]
// With --save the view paints once, writes its picture and ends.

#include <QApplication>
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

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: show_timeline FILE.tle [--clip-view OPTION] [--zoom LEVEL] [--save PICTURE.png]\n";
    return 2;
  }
  int clipView = 2;
  int zoom = 1;
  std::string save;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--clip-view")
      clipView = std::atoi(argv[i + 1]);
    else if (option == "--zoom")
      zoom = std::atoi(argv[i + 1]);
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
  view.show();
  return application.exec();
}

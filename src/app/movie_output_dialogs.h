#pragma once
// The output dialogs of Make Movie in the editor: the AVI save dialog with
// its title and record-in fields, the FLC and WAV save dialogs, and the
// folder and prefix of an image sequence.

#include <QPointer>
#include <QString>
#include <string>

#include "render/movie/movie_render_services.h"

class QWidget;

namespace sprocket {

class EditorMovieOutputDialogs : public MovieOutputDialogs {
public:
  explicit EditorMovieOutputDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<AviSaveAnswer> SaveAviFile(const AviSaveRequest& request) override;
  std::optional<std::string> SaveFile(const FileSaveRequest& request) override;
  std::optional<FolderPrefixAnswer> PickFolderAndPrefix() override;

private:
  QPointer<QWidget> parent_;
};

// A filter of the form "Description | *.ext | ... ||" as a file dialog's
// filter ("Description (*.ext);;...").
QString FileDialogFilter(const std::string& filter);

}  // namespace sprocket

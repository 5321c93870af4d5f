#include "app/movie_output_dialogs.h"

#include <QStringList>

#include "app/dir_picker_dialog.h"
#include "app/preview_file_dialog.h"

namespace sprocket {

namespace {

std::string WithExtension(const std::string& path, const std::string& extension) {
  if (extension.empty() || path.find('.', path.find_last_of('/') + 1) != std::string::npos) return path;
  return path + (extension.front() == '.' ? "" : ".") + extension;
}

}  // namespace

QString FileDialogFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString pattern = parts[i + 1].trimmed();
    if (description.isEmpty() || pattern.isEmpty()) break;
    entries << QStringLiteral("%1 (%2)").arg(description, pattern);
  }
  return entries.join(QStringLiteral(";;"));
}

std::optional<AviSaveAnswer> EditorMovieOutputDialogs::SaveAviFile(const AviSaveRequest& request) {
  CPreviewFileDialog dialog(false, parent_, FileDialogFilter(request.filter),
                            QString::fromStdString(request.initialFolder), CPreviewFileDialog::kMovieTitleMode);
  dialog.setWindowTitle(QString::fromStdString(request.caption));
  dialog.SetTitleField(request.movieTitle);
  dialog.SetRecordIn(request.recordInMs, request.framesPerSecond);
  if (dialog.DoModal() != QDialog::Accepted || dialog.GetPathName().empty()) return std::nullopt;
  return AviSaveAnswer{WithExtension(dialog.GetPathName(), request.defaultExtension), dialog.TitleField(),
                       dialog.RecordInMs()};
}

std::optional<std::string> EditorMovieOutputDialogs::SaveFile(const FileSaveRequest& request) {
  CPreviewFileDialog dialog(false, parent_, FileDialogFilter(request.filter),
                            QString::fromStdString(request.defaultName));
  dialog.setWindowTitle(QString::fromStdString(request.caption));
  if (dialog.DoModal() != QDialog::Accepted || dialog.GetPathName().empty()) return std::nullopt;
  return WithExtension(dialog.GetPathName(), request.defaultExtension);
}

std::optional<FolderPrefixAnswer> EditorMovieOutputDialogs::PickFolderAndPrefix() {
  CDirPickerDlg dialog(0, parent_);
  dialog.DoModal();
  if (dialog.accepted == 0) return std::nullopt;
  return FolderPrefixAnswer{dialog.folder, dialog.prefix};
}

}  // namespace sprocket

#include "app/document_dialogs.h"

#include "app/preview_file_dialog.h"

namespace sprocket {

std::string WithTimelineExtension(const std::string& path) {
  const std::string extension = kTimelineExtension;
  if (path.size() >= extension.size()) {
    std::string tail = path.substr(path.size() - extension.size());
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == extension) return path;
  }
  return path + extension;
}

std::optional<std::string> FileDocumentDialogs::OpenTimelinePath(QWidget* parent) {
  CPreviewFileDialog dialog(true, parent, QString::fromUtf8(kTimelineFilter), QString());
  if (dialog.DoModal() != QDialog::Accepted || dialog.GetPathName().empty()) return std::nullopt;
  return dialog.GetPathName();
}

std::optional<std::string> FileDocumentDialogs::SaveTimelinePath(QWidget* parent, const std::string& suggested) {
  CPreviewFileDialog dialog(false, parent, QString::fromUtf8(kTimelineFilter), QString::fromStdString(suggested));
  dialog.selectFile(QString::fromStdString(suggested));
  if (dialog.DoModal() != QDialog::Accepted || dialog.GetPathName().empty()) return std::nullopt;
  return dialog.GetPathName();
}

}  // namespace sprocket

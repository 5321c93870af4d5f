#pragma once
// CPreviewFileDialog: the common open and save dialog with a preview pane
// that describes the file under the cursor (its size and date, and for a
// timeline its title, length and tracks).

#include <QFileDialog>
#include <string>

class QLabel;

namespace sprocket {

class CPreviewFileDialog : public QFileDialog {
  Q_OBJECT
public:
  // `openFile` chooses an existing file; otherwise a file to save.
  CPreviewFileDialog(bool openFile, QWidget* parent, const QString& filter, const QString& initialPath);

  int DoModal() { return exec(); }
  // The chosen file, empty when none.
  std::string GetPathName() const;
  QString PreviewText() const;

private:
  void ShowPreview(const QString& path);

  QLabel* preview_ = nullptr;
};

// The preview pane's text for a file.
QString DescribeFileForPreview(const QString& path);

}  // namespace sprocket

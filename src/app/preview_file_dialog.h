#pragma once
// CPreviewFileDialog: the common open and save dialog with a preview pane
// that describes the file under the cursor (its size and date, and for a
// timeline its title, length and tracks).

#include <QFileDialog>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;

namespace sprocket {

class CPreviewFileDialog : public QFileDialog {
  Q_OBJECT
public:
  // The mode that adds a movie title and a "Record In Time:" time code.
  static constexpr int kMovieTitleMode = 31;
  static constexpr int kMaxTitleLength = 80;

  // `openFile` chooses an existing file; otherwise a file to save.
  CPreviewFileDialog(bool openFile, QWidget* parent, const QString& filter, const QString& initialPath, int mode = 0);

  int DoModal() { return exec(); }
  // The chosen file, empty when none.
  std::string GetPathName() const;
  QString PreviewText() const;

  // In the movie title mode: the title (at most 80 characters) and the
  // record-in time, shown as a time code at a whole number of frames a
  // second and read back as ms.
  void SetTitleField(const std::string& title);
  std::string TitleField() const;
  void SetRecordIn(std::int32_t ms, std::int32_t framesPerSecond);
  // The record-in time typed, in ms; the seed when the text is no time code.
  std::int32_t RecordInMs() const;
  QLineEdit* TitleEdit() const { return titleEdit_; }
  QLineEdit* RecordInEdit() const { return recordInEdit_; }

private:
  void ShowPreview(const QString& path);

  QLabel* preview_ = nullptr;
  QLineEdit* titleEdit_ = nullptr;
  QLineEdit* recordInEdit_ = nullptr;
  std::int32_t recordInSeed_ = 0;
  std::int32_t recordInFps_ = 30;
};

// "HH:MM:SS:FF" at a whole number of frames a second, in ms; nothing when
// the text is not such a time code.
std::optional<std::int32_t> ParseTimeCode(const std::string& text, std::int32_t framesPerSecond);

// The preview pane's text for a file.
QString DescribeFileForPreview(const QString& path);

}  // namespace sprocket

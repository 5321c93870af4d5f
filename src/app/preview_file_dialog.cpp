#include "app/preview_file_dialog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdio>

#include "timeline/basics/time_code.h"
#include "timeline/document/track_rows.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {

QString DescribeFileForPreview(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile()) return QString();
  QString text = QStringLiteral("%1\n%2 bytes\n%3")
                     .arg(info.fileName())
                     .arg(info.size())
                     .arg(info.lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
  if (info.suffix().compare(QStringLiteral("tle"), Qt::CaseInsensitive) != 0) return text;
  CTestDoc doc;
  if (!ReadTimelineFile(path.toStdString(), doc)) return text + QStringLiteral("\nnot a readable timeline");
  text += QStringLiteral("\n%1 tracks, %2")
              .arg(CountTracks(doc.Head()))
              .arg(QString::fromStdString(FormatTimeCode(doc.duration, RateToFps(doc.rate))));
  return text;
}

std::optional<std::int32_t> ParseTimeCode(const std::string& text, std::int32_t framesPerSecond) {
  int hours = 0, minutes = 0, seconds = 0, frames = 0;
  char end = 0;
  if (framesPerSecond <= 0 ||
      std::sscanf(text.c_str(), "%d:%d:%d:%d%c", &hours, &minutes, &seconds, &frames, &end) != 4) {
    return std::nullopt;
  }
  if (hours < 0 || hours > 596 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 || frames < 0 ||
      frames >= framesPerSecond) {
    return std::nullopt;
  }
  return ((hours * 60 + minutes) * 60 + seconds) * 1000 + frames * 1000 / framesPerSecond;
}

CPreviewFileDialog::CPreviewFileDialog(bool openFile, QWidget* parent, const QString& filter,
                                       const QString& initialPath, int mode)
    : QFileDialog(parent, QString(), initialPath, filter) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(openFile ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(openFile ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  setWindowTitle(openFile ? tr("Open") : tr("Save As"));
  preview_ = new QLabel(this);
  preview_->setMinimumWidth(180);
  preview_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  auto* grid = qobject_cast<QGridLayout*>(layout());
  if (grid != nullptr) grid->addWidget(preview_, 0, grid->columnCount(), -1, 1);
  connect(this, &QFileDialog::currentChanged, this, &CPreviewFileDialog::ShowPreview);
  titleEdit_ = new QLineEdit(this);
  titleEdit_->setMaxLength(kMaxTitleLength);
  recordInEdit_ = new QLineEdit(this);
  if (mode != kMovieTitleMode || grid == nullptr) {
    titleEdit_->hide();
    recordInEdit_->hide();
    return;
  }
  const int row = grid->rowCount();
  grid->addWidget(new QLabel(tr("Title:"), this), row, 0);
  grid->addWidget(titleEdit_, row, 1);
  grid->addWidget(new QLabel(tr("Record In Time:"), this), row + 1, 0);
  grid->addWidget(recordInEdit_, row + 1, 1);
}

void CPreviewFileDialog::SetTitleField(const std::string& title) {
  titleEdit_->setText(QString::fromStdString(title).left(kMaxTitleLength));
}

std::string CPreviewFileDialog::TitleField() const { return titleEdit_->text().toStdString(); }

void CPreviewFileDialog::SetRecordIn(std::int32_t ms, std::int32_t framesPerSecond) {
  recordInSeed_ = ms;
  recordInFps_ = framesPerSecond > 0 ? framesPerSecond : 30;
  recordInEdit_->setText(QString::fromStdString(FormatTimeCode(ms, recordInFps_)));
}

std::int32_t CPreviewFileDialog::RecordInMs() const {
  return ParseTimeCode(recordInEdit_->text().toStdString(), recordInFps_).value_or(recordInSeed_);
}

std::string CPreviewFileDialog::GetPathName() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? std::string() : files.front().toStdString();
}

QString CPreviewFileDialog::PreviewText() const { return preview_->text(); }

void CPreviewFileDialog::ShowPreview(const QString& path) { preview_->setText(DescribeFileForPreview(path)); }

}  // namespace sprocket

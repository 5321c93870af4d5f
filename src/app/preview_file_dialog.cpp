#include "app/preview_file_dialog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

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

CPreviewFileDialog::CPreviewFileDialog(bool openFile, QWidget* parent, const QString& filter,
                                       const QString& initialPath)
    : QFileDialog(parent, QString(), initialPath, filter) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(openFile ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  setFileMode(openFile ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  setWindowTitle(openFile ? tr("Open") : tr("Save As"));
  preview_ = new QLabel(this);
  preview_->setMinimumWidth(180);
  preview_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) grid->addWidget(preview_, 0, grid->columnCount(), -1, 1);
  connect(this, &QFileDialog::currentChanged, this, &CPreviewFileDialog::ShowPreview);
}

std::string CPreviewFileDialog::GetPathName() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? std::string() : files.front().toStdString();
}

QString CPreviewFileDialog::PreviewText() const { return preview_->text(); }

void CPreviewFileDialog::ShowPreview(const QString& path) { preview_->setText(DescribeFileForPreview(path)); }

}  // namespace sprocket

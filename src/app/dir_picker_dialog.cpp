#include "app/dir_picker_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace sprocket {

CDirPickerDlg::CDirPickerDlg(int mode, QWidget* parent) : QDialog(parent), mode_(mode) {
  setWindowTitle(tr("Select Directory"));
  auto* form = new QFormLayout(this);
  auto* folderRow = new QHBoxLayout;
  folderEdit_ = new QLineEdit(QDir::currentPath(), this);
  auto* browse = new QPushButton(tr("Browse..."), this);
  folderRow->addWidget(folderEdit_);
  folderRow->addWidget(browse);
  form->addRow(tr("Directory:"), folderRow);
  prefixEdit_ = new QLineEdit(this);
  prefixEdit_->setMaxLength(kMaxPrefixLength);
  if (mode_ == 0)
    form->addRow(tr("File Prefix:"), prefixEdit_);
  else
    prefixEdit_->hide();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  form->addRow(buttons);
  connect(browse, &QPushButton::clicked, this, &CDirPickerDlg::Browse);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(this, &QDialog::finished, this, [this](int result) {
    accepted = result == QDialog::Accepted ? 1 : 0;
    if (accepted == 0) return;
    prefix = prefixEdit_->text().left(kMaxPrefixLength).toStdString();
    folder = QDir::toNativeSeparators(folderEdit_->text()).toStdString();
    if (!folder.empty() && folder.back() != '/') folder += '/';
  });
}

int CDirPickerDlg::DoModal() { return exec(); }

void CDirPickerDlg::Browse() {
  QFileDialog dialog(this, tr("Select Directory"), folderEdit_->text());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    folderEdit_->setText(dialog.selectedFiles().front());
}

}  // namespace sprocket

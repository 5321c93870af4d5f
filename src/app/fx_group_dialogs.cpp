#include "app/fx_group_dialogs.h"

#include <filesystem>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/movie_output_dialogs.h"
#include "app/preview_file_dialog.h"
#include "effects/custom_fx_group.h"
#include "platform/prompts.h"

namespace sprocket {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CFxGroupDlg::CFxGroupDlg(Profile& profile, std::optional<std::string> editPath, QWidget* parent)
    : QDialog(parent), profile_(profile) {
  title_ = new QLineEdit(this);
  title_->setMaxLength(static_cast<int>(kMaxCustomFxTitle));
  file_ = new QLineEdit(this);
  auto* browse = new QPushButton(tr("&Browse..."), this);
  connect(browse, &QPushButton::clicked, this, &CFxGroupDlg::Browse);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file_);
  fileRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(tr("Title:"), title_);
  form->addRow(tr("File:"), fileRow);
  panel_ = new EffectListPanel(TransitionCatalog(), 0, this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(panel_);
  layout->addWidget(OkCancel(this));

  if (!editPath) {
    setWindowTitle(tr("New Custom Transition Group"));
    return;
  }
  file_->setText(QString::fromStdString(*editPath));
  setWindowTitle(QString::fromUtf8(kCustomFxEditCaption) +
                 QString::fromStdString(std::filesystem::path(*editPath).filename().string()));
  CustomFxGroup group;
  std::string error;
  if (!ReadCustomFxGroup(*editPath, group, &error)) {
    ShowMessage(error, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  title_->setText(QString::fromStdString(group.title));
  panel_->SetRows(std::move(group.transitions));
}

void CFxGroupDlg::SetTitle(const QString& title) { title_->setText(title); }
void CFxGroupDlg::SetFileName(const QString& path) { file_->setText(path); }
QString CFxGroupDlg::FileName() const { return file_->text(); }

void CFxGroupDlg::Browse() {
  const QString path =
      QFileDialog::getSaveFileName(this, windowTitle(), file_->text(), FileDialogFilter(kCustomFxFileFilter));
  if (!path.isEmpty()) file_->setText(path);
}

void CFxGroupDlg::accept() {
  std::filesystem::path path = file_->text().trimmed().toStdString();
  if (path.empty()) {
    ShowMessage("Please give the file of the custom transition group.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (path.extension().empty()) path += kCustomFxExtension;
  const CustomFxGroup group{title_->text().trimmed().toStdString(), panel_->Rows()};
  std::string error;
  if (!WriteCustomFxGroup(path, group, &error)) {
    ShowMessage("The custom transition group was not saved: " + error + ".", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  slot_ = CustomFxRegistry(profile_).Register(path.string(), group.title);
  if (slot_ == 0) {
    ShowMessage("The group was saved to " + path.string() +
                    ", but it could not be registered: all twenty custom transition slots are in use.",
                MB_OK | MB_ICONEXCLAMATION);
  }
  QDialog::accept();
}

CDeleteFxGroupDlg::CDeleteFxGroupDlg(Profile& profile, QWidget* parent)
    : QDialog(parent), profile_(profile), slots_(CustomFxRegistry(profile).Slots()) {
  setWindowTitle(QStringLiteral("Delete Custom Transition Group"));
  list_ = new QListWidget(this);
  for (const CustomFxSlot& slot : slots_) {
    list_->addItem(QStringLiteral("%1. %2  (%3)")
                       .arg(slot.slot)
                       .arg(QString::fromStdString(slot.title), QString::fromStdString(slot.fileName)));
  }
  list_->setCurrentRow(slots_.empty() ? -1 : 0);
  deleteFile_ = new QCheckBox(tr("Also delete the group's file"), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(deleteFile_);
  layout->addWidget(OkCancel(this));
}

int CDeleteFxGroupDlg::RowCount() const { return list_->count(); }
void CDeleteFxGroupDlg::SetCurrentRow(int row) { list_->setCurrentRow(row); }
void CDeleteFxGroupDlg::SetDeleteFile(bool on) { deleteFile_->setChecked(on); }

void CDeleteFxGroupDlg::accept() {
  const int row = list_->currentRow();
  if (row >= 0 && row < static_cast<int>(slots_.size())) {
    const CustomFxSlot& slot = slots_[static_cast<std::size_t>(row)];
    if (!CustomFxRegistry(profile_).Unregister(slot.slot)) {
      ShowMessage("The settings file could not be written.", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    std::error_code ec;
    if (deleteFile_->isChecked() && !std::filesystem::remove(slot.fileName, ec) && ec) {
      ShowMessage("The file " + slot.fileName + " could not be deleted: " + ec.message() + ".",
                  MB_OK | MB_ICONEXCLAMATION);
    }
  }
  QDialog::accept();
}

std::optional<std::string> QtCustomFxGroupDialogs::OpenFile(const std::string& filter, const std::string& title) {
  CPreviewFileDialog dialog(true, parent_, FileDialogFilter(filter), QString());
  dialog.setWindowTitle(QString::fromStdString(title));
  if (dialog.DoModal() != QDialog::Accepted || dialog.GetPathName().empty()) return std::nullopt;
  return dialog.GetPathName();
}

void QtCustomFxGroupDialogs::RunGroupDialog(const std::optional<std::string>& editPath) {
  CFxGroupDlg dialog(profile_, editPath, parent_);
  dialog.exec();
}

void QtCustomFxGroupDialogs::RunDeleteDialog() {
  CDeleteFxGroupDlg dialog(profile_, parent_);
  dialog.exec();
}

}  // namespace sprocket

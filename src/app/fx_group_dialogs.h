#pragma once
// The dialogs of custom transition groups: the group dialog (create, or edit
// a ".fxc" file), which writes the file and registers it in "Custom FXs" on
// OK, and the delete dialog, which removes registrations and, when asked,
// their files.

#include <QDialog>

#include "app/effect_list_panel.h"
#include "effects/custom_fx_commands.h"
#include "effects/custom_fx_slots.h"

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace sprocket {

class CFxGroupDlg : public QDialog {
  Q_OBJECT
public:
  // Create mode without a path; edit mode reads the group from `editPath`
  // (a file that cannot be read is reported and the dialog starts empty on
  // that path).
  CFxGroupDlg(Profile& profile, std::optional<std::string> editPath, QWidget* parent = nullptr);

  void SetTitle(const QString& title);
  void SetFileName(const QString& path);
  QString FileName() const;
  EffectListPanel* Panel() const { return panel_; }
  // The slot the group was registered in by the last OK (0 before).
  int RegisteredSlot() const { return slot_; }

public slots:
  // Writes the file and its registration; stays open with a message when
  // the group or the file is refused.
  void accept() override;

private:
  void Browse();

  Profile& profile_;
  QLineEdit* title_ = nullptr;
  QLineEdit* file_ = nullptr;
  EffectListPanel* panel_ = nullptr;
  int slot_ = 0;
};

class CDeleteFxGroupDlg : public QDialog {
  Q_OBJECT
public:
  explicit CDeleteFxGroupDlg(Profile& profile, QWidget* parent = nullptr);

  // Rows of the registered groups, in slot order.
  int RowCount() const;
  void SetCurrentRow(int row);
  void SetDeleteFile(bool on);

public slots:
  // Removes the current row's registration (and its file when asked).
  void accept() override;

private:
  Profile& profile_;
  std::vector<CustomFxSlot> slots_;
  QListWidget* list_ = nullptr;
  QCheckBox* deleteFile_ = nullptr;
};

// The editor's answers to the group commands: its file dialog and the two
// dialogs above, run modally.
class QtCustomFxGroupDialogs : public CustomFxGroupDialogs {
public:
  QtCustomFxGroupDialogs(Profile& profile, QWidget* parent) : profile_(profile), parent_(parent) {}
  std::optional<std::string> OpenFile(const std::string& filter, const std::string& title) override;
  void RunGroupDialog(const std::optional<std::string>& editPath) override;
  void RunDeleteDialog() override;

private:
  Profile& profile_;
  QWidget* parent_;
};

}  // namespace sprocket

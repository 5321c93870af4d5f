#pragma once
// CDirPickerDlg: picks a folder and, in mode 0, a file-name prefix of at most
// four characters (the folder and prefix of an image sequence).

#include <QDialog>
#include <string>

#include "render/movie/movie_render_services.h"

class QLineEdit;

namespace sprocket {

class CDirPickerDlg : public QDialog {
  Q_OBJECT
public:
  static constexpr int kMaxPrefixLength = static_cast<int>(kImageSequencePrefixLength);

  CDirPickerDlg(int mode, QWidget* parent = nullptr);
  int DoModal();

  int accepted = 0;    // nonzero after OK
  std::string prefix;  // at most four characters
  std::string folder;  // ends with a separator

  // The edits, for tests.
  QLineEdit* FolderEdit() const { return folderEdit_; }
  QLineEdit* PrefixEdit() const { return prefixEdit_; }

private:
  void Browse();

  int mode_;
  QLineEdit* folderEdit_ = nullptr;
  QLineEdit* prefixEdit_ = nullptr;
};

}  // namespace sprocket

#pragma once
// "Last Compiled Movie Statistics": what Make Movie recorded of the last
// movie it made, read from the settings when the dialog is made.

#include <QDialog>

#include "effects/last_movie_stats.h"

class QFormLayout;

namespace sprocket {

class CMovieStatsDlg : public QDialog {
  Q_OBJECT
public:
  explicit CMovieStatsDlg(const Profile& profile, QWidget* parent = nullptr);

  // The caption and value texts of the form's lines, in order.
  std::vector<std::pair<QString, QString>> Lines() const;

private:
  QFormLayout* form_ = nullptr;
};

}  // namespace sprocket

#include "app/movie_stats_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace sprocket {

CMovieStatsDlg::CMovieStatsDlg(const Profile& profile, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Last Compiled Movie Statistics"));
  form_ = new QFormLayout;
  const std::optional<LastMovieStats> stats = ReadLastMovieStats(profile);
  if (stats) {
    for (const auto& [caption, value] : LastMovieStatsLines(*stats)) {
      auto* text = new QLabel(QString::fromStdString(value), this);
      text->setTextInteractionFlags(Qt::TextSelectableByMouse);
      form_->addRow(QString::fromStdString(caption), text);
    }
  } else {
    form_->addRow(new QLabel(tr("No movie has been made yet."), this));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form_);
  layout->addWidget(buttons);
}

std::vector<std::pair<QString, QString>> CMovieStatsDlg::Lines() const {
  std::vector<std::pair<QString, QString>> lines;
  for (int row = 0; row < form_->rowCount(); ++row) {
    auto* caption = qobject_cast<QLabel*>(form_->itemAt(row, QFormLayout::LabelRole) != nullptr
                                              ? form_->itemAt(row, QFormLayout::LabelRole)->widget()
                                              : nullptr);
    QLayoutItem* field = form_->itemAt(row, QFormLayout::FieldRole);
    if (field == nullptr) field = form_->itemAt(row, QFormLayout::SpanningRole);
    auto* value = field != nullptr ? qobject_cast<QLabel*>(field->widget()) : nullptr;
    lines.emplace_back(caption != nullptr ? caption->text() : QString(), value != nullptr ? value->text() : QString());
  }
  return lines;
}

}  // namespace sprocket

#include "app/effect_sequence_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "timeline/records/filter_ids.h"

namespace sprocket {

namespace {

// The transitions an effect sequence may run: every one but the sequence itself.
std::span<const EffectDescriptor> SequenceTransitions() {
  std::span<const EffectDescriptor> all = TransitionCatalog();
  return all.back().id == kFilterEffectSequence ? all.first(all.size() - 1) : all;
}

}  // namespace

CMtvExplorerDlg::CMtvExplorerDlg(const EffectSequenceRequest& request, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("DIR Azarivev"));
  const bool transition = request.mode == EffectSequenceMode::kTransition;
  const QString what = transition ? tr("Transition") : tr("Clip");
  const QString name = request.record != nullptr ? QString::fromStdString(request.record->clipName) : QString();
  auto* heading = new QLabel(
      tr("%1 %2: %3 frames at %4 frames per second").arg(what, name).arg(request.frames).arg(request.framesPerSecond),
      this);
  panel_ = new EffectListPanel(transition ? SequenceTransitions() : FilterCatalog(), transition ? 1 : 0, this);
  std::vector<FilterList> rows;
  for (const TLFilter& filter : request.filters) rows.push_back(FilterList{filter});
  panel_->SetRows(std::move(rows));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(panel_);
  layout->addWidget(buttons);
}

FilterList CMtvExplorerDlg::Filters() const {
  FilterList filters;
  for (const FilterList& row : panel_->Rows()) filters.insert(filters.end(), row.begin(), row.end());
  return filters;
}

std::optional<FilterList> QtEffectSequenceDialog::Run(const EffectSequenceRequest& request) {
  CMtvExplorerDlg dialog(request, parent_);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Filters();
}

}  // namespace sprocket

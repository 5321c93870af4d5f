#pragma once
// The "DIR Azarivev" effect sequence dialog: the filter list of a clip
// (mode 0, filters of the catalogue) or of a transition (mode 1: the effect
// sequence record first, then the transitions it runs), each with its
// parameters at the start and at the end. It edits a copy; Filters() is the
// result after OK.

#include <QDialog>

#include "app/effect_list_panel.h"
#include "effects/effect_sequence_edit.h"

namespace sprocket {

class CMtvExplorerDlg : public QDialog {
  Q_OBJECT
public:
  CMtvExplorerDlg(const EffectSequenceRequest& request, QWidget* parent = nullptr);

  FilterList Filters() const;
  EffectListPanel* Panel() const { return panel_; }

private:
  EffectListPanel* panel_ = nullptr;
};

// Runs the dialog modally for the document edits.
class QtEffectSequenceDialog : public EffectSequenceDialog {
public:
  explicit QtEffectSequenceDialog(QWidget* parent) : parent_(parent) {}
  std::optional<FilterList> Run(const EffectSequenceRequest& request) override;

private:
  QWidget* parent_;
};

}  // namespace sprocket

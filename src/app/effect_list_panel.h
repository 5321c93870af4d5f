#pragma once
// The list part of the effect dialogs: rows of effects in order, a choice
// from a catalogue with Add, and Remove, Up and Down for the current row,
// with the current row's parameters below. Each row is a filter list whose
// first filter is the effect shown (further filters ride along unchanged).
// Leading rows can be locked: they are neither removed nor moved, and
// nothing is added or moved before them.

#include <span>
#include <vector>

#include <QWidget>

#include "app/filter_param_table.h"

class QComboBox;
class QListWidget;

namespace sprocket {

class EffectListPanel : public QWidget {
  Q_OBJECT
public:
  EffectListPanel(std::span<const EffectDescriptor> catalogue, int lockedRows, QWidget* parent = nullptr);

  void SetRows(std::vector<FilterList> rows);
  const std::vector<FilterList>& Rows() const { return rows_; }

  // The catalogue entry Add inserts; false when the id is not offered.
  bool ChooseEffect(std::int32_t id);
  // Adds the chosen effect after the current row (at the end when none),
  // with the catalogue's defaults, and makes it current.
  void AddChosen();
  // False for a locked row or when there is no current row.
  bool RemoveCurrent();
  bool MoveCurrent(int delta);
  void SetCurrentRow(int row);
  int CurrentRow() const;
  QString RowTitle(int row) const;
  FilterParamTable* Params() const { return params_; }

private:
  void Refill(int currentRow);
  void ShowCurrent();

  std::span<const EffectDescriptor> catalogue_;
  int lockedRows_ = 0;
  std::vector<FilterList> rows_;
  QListWidget* list_ = nullptr;
  QComboBox* choice_ = nullptr;
  FilterParamTable* params_ = nullptr;
};

// A new filter record of an effect with its catalogue defaults as both
// parameter sets.
TLFilter NewEffectFilter(const EffectDescriptor& effect);

}  // namespace sprocket

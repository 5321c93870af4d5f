#include "app/filter_param_table.h"

#include <QHeaderView>
#include <QSpinBox>

namespace sprocket {

namespace {

std::int32_t Limit(const ParamDescriptor& param, std::int32_t value) {
  if (param.type == ParamType::kChoice) return std::clamp(value, 0, ChoiceCount(param) - 1);
  return std::clamp(value, param.minimum, std::max(param.minimum, param.maximum));
}

// Gives the record both parameter sets, filled with what it shows now.
void EnsureSets(TLFilter& filter, const EffectDescriptor& effect) {
  while (filter.params.size() < 2) {
    const int set = static_cast<int>(filter.params.size());
    TLFilterParam values;
    if (set == 1)
      values = filter.params.front();
    else {
      InitFilterParam(values);
      for (const ParamDescriptor& param : effect.params) {
        values.values[static_cast<std::size_t>(param.slot)] = param.defaultValue;
      }
    }
    filter.params.push_back(std::move(values));
  }
}

}  // namespace

std::int32_t FilterParamValue(const TLFilter& filter, const ParamDescriptor& param, int set) {
  const auto slot = static_cast<std::size_t>(param.slot);
  if (set < static_cast<int>(filter.params.size())) return filter.params[static_cast<std::size_t>(set)].values[slot];
  if (!filter.params.empty()) return filter.params.front().values[slot];
  return param.defaultValue;
}

FilterParamTable::FilterParamTable(QWidget* parent) : QTableWidget(0, 3, parent) {
  setHorizontalHeaderLabels({tr("Parameter"), tr("Start"), tr("End")});
  horizontalHeader()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
  verticalHeader()->hide();
  setMinimumHeight(140);
}

void FilterParamTable::SetFilter(TLFilter* filter) {
  filter_ = filter;
  effect_ = filter != nullptr ? FindEffect(filter->id) : nullptr;
  setRowCount(0);
  if (effect_ == nullptr) return;
  setRowCount(static_cast<int>(effect_->params.size()));
  for (int row = 0; row < rowCount(); ++row) {
    const ParamDescriptor& param = effect_->params[static_cast<std::size_t>(row)];
    auto* title = new QTableWidgetItem(QString::fromUtf8(param.title.data(), static_cast<int>(param.title.size())));
    title->setFlags(Qt::ItemIsEnabled);
    setItem(row, kTitle, title);
    for (Column column : {kStart, kEnd}) {
      auto* box = new QSpinBox(this);
      box->setRange(param.type == ParamType::kChoice ? 0 : param.minimum,
                    param.type == ParamType::kChoice ? ChoiceCount(param) - 1 : std::max(param.minimum, param.maximum));
      box->setValue(Limit(param, FilterParamValue(*filter, param, column == kStart ? 0 : 1)));
      connect(box, &QSpinBox::valueChanged, this, [this, row, column](int value) { Store(row, column, value); });
      setCellWidget(row, column, box);
    }
  }
}

int FilterParamTable::Value(int row, Column column) const {
  const auto* box = qobject_cast<const QSpinBox*>(cellWidget(row, column));
  return box != nullptr ? box->value() : 0;
}

void FilterParamTable::SetValue(int row, Column column, int value) {
  if (auto* box = qobject_cast<QSpinBox*>(cellWidget(row, column))) box->setValue(value);
}

void FilterParamTable::Store(int row, Column column, int value) {
  if (filter_ == nullptr || effect_ == nullptr || row < 0 || row >= static_cast<int>(effect_->params.size())) return;
  EnsureSets(*filter_, *effect_);
  const ParamDescriptor& param = effect_->params[static_cast<std::size_t>(row)];
  filter_->params[column == kStart ? 0 : 1].values[static_cast<std::size_t>(param.slot)] = value;
}

}  // namespace sprocket

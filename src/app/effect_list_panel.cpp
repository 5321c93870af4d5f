#include "app/effect_list_panel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>

namespace sprocket {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

TLFilter NewEffectFilter(const EffectDescriptor& effect) {
  TLFilter filter;
  InitFilter(filter);
  filter.id = effect.id;
  TLFilterParam values;
  InitFilterParam(values);
  for (const ParamDescriptor& param : effect.params)
    values.values[static_cast<std::size_t>(param.slot)] = param.defaultValue;
  filter.params = {values, values};
  return filter;
}

EffectListPanel::EffectListPanel(std::span<const EffectDescriptor> catalogue, int lockedRows, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), lockedRows_(lockedRows) {
  list_ = new QListWidget(this);
  choice_ = new QComboBox(this);
  for (const EffectDescriptor& effect : catalogue_) choice_->addItem(Text(effect.title), effect.id);
  auto* add = new QPushButton(tr("&Add"), this);
  auto* remove = new QPushButton(tr("&Remove"), this);
  auto* up = new QPushButton(tr("&Up"), this);
  auto* down = new QPushButton(tr("&Down"), this);
  params_ = new FilterParamTable(this);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_, 0, 0, 5, 1);
  layout->addWidget(choice_, 0, 1);
  layout->addWidget(add, 1, 1);
  layout->addWidget(remove, 2, 1);
  layout->addWidget(up, 3, 1);
  layout->addWidget(down, 4, 1);
  layout->addWidget(params_, 5, 0, 1, 2);
  connect(add, &QPushButton::clicked, this, &EffectListPanel::AddChosen);
  connect(remove, &QPushButton::clicked, this, &EffectListPanel::RemoveCurrent);
  connect(up, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCurrent(1); });
  connect(list_, &QListWidget::currentRowChanged, this, &EffectListPanel::ShowCurrent);
}

void EffectListPanel::SetRows(std::vector<FilterList> rows) {
  rows_ = std::move(rows);
  Refill(rows_.empty() ? -1 : 0);
}

bool EffectListPanel::ChooseEffect(std::int32_t id) {
  const int index = choice_->findData(id);
  if (index < 0) return false;
  choice_->setCurrentIndex(index);
  return true;
}

void EffectListPanel::AddChosen() {
  const EffectDescriptor* effect = FindEffect(choice_->currentData().toInt());
  if (effect == nullptr) return;
  const int at = std::max(lockedRows_, CurrentRow() < 0 ? static_cast<int>(rows_.size()) : CurrentRow() + 1);
  const int row = std::min(at, static_cast<int>(rows_.size()));
  rows_.insert(rows_.begin() + row, FilterList{NewEffectFilter(*effect)});
  Refill(row);
}

bool EffectListPanel::RemoveCurrent() {
  const int row = CurrentRow();
  if (row < lockedRows_) return false;
  rows_.erase(rows_.begin() + row);
  Refill(std::min(row, static_cast<int>(rows_.size()) - 1));
  return true;
}

bool EffectListPanel::MoveCurrent(int delta) {
  const int row = CurrentRow();
  const int target = row + delta;
  if (row < lockedRows_ || target < lockedRows_ || target >= static_cast<int>(rows_.size())) return false;
  std::swap(rows_[static_cast<std::size_t>(row)], rows_[static_cast<std::size_t>(target)]);
  Refill(target);
  return true;
}

void EffectListPanel::SetCurrentRow(int row) { list_->setCurrentRow(row); }
int EffectListPanel::CurrentRow() const { return list_->currentRow(); }
QString EffectListPanel::RowTitle(int row) const {
  const QListWidgetItem* item = list_->item(row);
  return item != nullptr ? item->text() : QString();
}

void EffectListPanel::Refill(int currentRow) {
  const QSignalBlocker blocker(list_);
  list_->clear();
  for (const FilterList& row : rows_) {
    const std::int32_t id = row.empty() ? 0 : row.front().id;
    const EffectDescriptor* effect = FindEffect(id);
    QString title = effect != nullptr ? Text(effect->title) : tr("Unknown effect %1").arg(id);
    if (row.size() > 1) title += tr(" (+%1)").arg(row.size() - 1);
    list_->addItem(title);
  }
  list_->setCurrentRow(currentRow);
  ShowCurrent();
}

void EffectListPanel::ShowCurrent() {
  const int row = CurrentRow();
  const bool valid = row >= 0 && row < static_cast<int>(rows_.size()) && !rows_[static_cast<std::size_t>(row)].empty();
  params_->SetFilter(valid ? &rows_[static_cast<std::size_t>(row)].front() : nullptr);
}

}  // namespace sprocket

#pragma once
// A table of one filter's parameters, as the effect catalogue describes
// them, with the value at the start and at the end of the clip: the first
// and the second parameter set of the filter record. Editing a value writes
// it into the record (missing sets are made from the catalogue's defaults
// first).

#include <QTableWidget>

#include "libs/effectcatalog/effect_catalog.h"
#include "timeline/records/filter_list.h"

namespace sprocket {

class FilterParamTable : public QTableWidget {
  Q_OBJECT
public:
  enum Column { kTitle = 0, kStart = 1, kEnd = 2 };

  explicit FilterParamTable(QWidget* parent = nullptr);

  // Shows the parameters of `filter` (null: none); the record must outlive
  // the table's use of it.
  void SetFilter(TLFilter* filter);

  // The value a row shows in the start or end column, and setting it as the
  // user would.
  int Value(int row, Column column) const;
  void SetValue(int row, Column column, int value);

private:
  void Store(int row, Column column, int value);

  TLFilter* filter_ = nullptr;
  const EffectDescriptor* effect_ = nullptr;
};

// The value a filter record holds for a parameter in set 0 (start) or 1
// (end): the set's value, else the start set's, else the default.
std::int32_t FilterParamValue(const TLFilter& filter, const ParamDescriptor& param, int set);

}  // namespace sprocket

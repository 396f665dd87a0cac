#pragma once
// What a data-aware column reads of its field. The dataset binding supplies
// the implementation; the column only asks for its defaults.

#include <QString>

#include "treelist/tree_list_types.h"

class TtlColumnField {
 public:
  virtual ~TtlColumnField() = default;
  virtual QString DisplayName() const = 0;
  virtual TAlignment Alignment() const = 0;
  // Size of string and wide string fields, else 0.
  virtual int StringSize() const = 0;
  virtual bool ReadOnly() const = 0;
  // Number of characters the field's values are shown in.
  virtual int DisplayWidth() const = 0;
  virtual QString EditMask() const { return QString(); }
};

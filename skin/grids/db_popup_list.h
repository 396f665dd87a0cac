#pragma once
// TsfDBPopupListbox: the drop-down list of the data grid's editor. It holds
// either the column's pick list, or the records of a lookup field's lookup
// record set (their result texts, with the key of each kept beside it). Every
// mouse move over it makes the row under the pointer current; presses inside
// it are swallowed and a left release there chooses that row.

#include <QVariantList>
#include <functional>

#include "skin/controls/popup_list_box.h"

class TField;

class TsfDBPopupListbox : public TsfPopupListBox {
  Q_OBJECT
 public:
  explicit TsfDBPopupListbox(QWidget* owner);

  // Fills the list with the lookup field's records: the result field's text
  // of each and its key. The lookup record set's cursor is not moved.
  // False when the field has no usable lookup record set.
  bool FillFromLookup(const TField* lookupField);
  // The key of item i of a lookup list (null for none or a pick list).
  QVariant KeyAt(int i) const;
  // The item whose key equals `key` (-1: none).
  int IndexOfKey(const QVariant& key) const;
  void ClearKeys() { m_keys.clear(); }

  // A left release over the list (accept: it was inside the list).
  std::function<void(bool accept)> OnChoose;

 protected:
  bool ListMessageFilter(TMessage& message) override;

 private:
  QVariantList m_keys;
};

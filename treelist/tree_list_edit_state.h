#pragma once
// What the tree list keeps of its in-place editing (tree_list_editing.cpp).

#include <QPointer>
#include <memory>
#include <vector>

#include "treelist/tree_list.h"
#include "treelist/tree_list_edit.h"

struct TtlEditState {
  explicit TtlEditState(TtlCustomTreeList* list) : node(list, nullptr) {}
  // One editor per editor class, made on first use.
  std::vector<QPointer<TtlInplaceEdit>> cache;
  // The open (or last loaded) editor, its column and node.
  QPointer<TtlInplaceEdit> editor;
  QPointer<TtlTreeListColumn> column;
  TtlNodeWatch node;
  // The column the editor was loaded for (IgnoreEditKeys).
  QPointer<TtlTreeListColumn> loadedColumn;
  // Set while closing: nested close requests are ignored.
  bool closing = false;
  // Time of the last press on the tree list.
  qint64 pressTime = -1;
};

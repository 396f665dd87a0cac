#pragma once
// A small tree list for the model tests: rows of a known height in a client
// area that shows exactly `rows` of them.

#include <QString>
#include <map>
#include <memory>

#include "treelist/tree_list.h"

class TestTreeList : public TtlTreeList {
 public:
  using TtlTreeList::TtlTreeList;
  using TtlTreeList::Paint;
  // Focusing can be refused per node, as a bound data source may.
  const TtlTreeListNode* refuseFocus = nullptr;

 protected:
  bool CanFocusNode(TtlTreeListNode* node) override { return node != refuseFocus; }
};

struct TreeFixture {
  explicit TreeFixture(int rows = 5) {
    list = std::make_unique<TestTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->SetShowHeader(false);
    list->SetScrollBars(ssVertical);
    list->resize(200, rows * 20);
  }
  // A root or a child named through its first cell text.
  TtlTreeListNode* Node(const QString& name, TtlTreeListNode* parent = nullptr) {
    TtlTreeListNode* n = parent ? parent->AddChild() : list->Add();
    static_cast<TtlTreeListTextNode*>(n)->SetCellText(0, name);
    return n;
  }
  static QString NameOf(const TtlTreeListNode* n) {
    return n ? static_cast<const TtlTreeListTextNode*>(n)->CellText(0) : QStringLiteral("-");
  }
  std::unique_ptr<TestTreeList> list;
};

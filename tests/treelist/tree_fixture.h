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

class FakeField : public TtlColumnField {
 public:
  QString displayName = QStringLiteral("Title");
  TAlignment alignment = taRightJustify;
  int size = 50;
  bool readOnly = true;
  int displayWidth = 10;
  QString DisplayName() const override { return displayName; }
  TAlignment Alignment() const override { return alignment; }
  int StringSize() const override { return size; }
  bool ReadOnly() const override { return readOnly; }
  int DisplayWidth() const override { return displayWidth; }
  QString EditMask() const override { return QStringLiteral("999;0;_"); }
};

// A tree list whose record set knows one field, "titlename".
class FieldTreeList : public TestTreeList {
 public:
  using TestTreeList::TestTreeList;
  FakeField field;
  TtlColumnField* FindColumnField(const QString& name) override {
    return name == QStringLiteral("titlename") ? &field : nullptr;
  }
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

#pragma once
// A data-aware tree list over a small table of the real record set layer:
// nodes(id, par, name, ord), read in `ord` order.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/db_error.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"
#include "treelist/db_tree_list.h"

class DbTreeTest : public ::testing::Test {
 protected:
  // `rows`: "(id, par, 'name', ord), ..." for the nodes table.
  // `parType`: the declared type of the parent column; `moreSql` runs after the rows.
  void Open(const QString& rows, int visibleRows = 6,
            const QString& parType = QStringLiteral("integer"), const QString& moreSql = {}) {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, QStringLiteral("create table nodes(id integer primary key, par %2, "
                                    "name varchar(50), ord integer);"
                                    "insert into nodes values %1;%3")
                         .arg(rows, parType, moreSql));
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    query.SetConnection(&con);
    query.SQL()->Add(QStringLiteral("select * from nodes order by ord"));
    source.SetDataSet(&query);
    list = MakeList(visibleRows);
    query.Open();
  }

  std::unique_ptr<TtlDBTreeList> MakeList(int visibleRows) {
    auto l = std::make_unique<TtlDBTreeList>();
    l->SetBorderStyle(bsNone);
    l->SetDefaultRowHeight(20);
    l->SetShowHeader(false);
    l->SetScrollBars(ssVertical);
    l->SetOptionView(etoRowSelect, true);
    l->OptionsBehavior |= OptB(etoDblClick);
    l->Bands()->Add()->SetWidth(180);
    auto* col = l->CreateColumnOf<TtlDBTreeListColumn>();
    col->SetCaption(QStringLiteral("Title"));
    col->SetFieldName(QStringLiteral("name"));
    col->SetWidth(150);
    l->SetDataSource(&source);
    l->SetKeyField(QStringLiteral("id"));
    l->SetParentField(QStringLiteral("par"));
    l->resize(200, visibleRows * 20);
    return l;
  }

  void Show(TtlDBTreeList* l) {
    l->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(l));
    l->activateWindow();
    l->setFocus();
  }

  // The forest as "name(child, child) name", every node whatever its expansion.
  static QString Shape(const TtlTreeListNode* n) {
    QString s = NameOf(n);
    if (n->Count()) {
      QStringList kids;
      for (int i = 0; i < n->Count(); ++i) kids << Shape(n->Items(i));
      s += QLatin1Char('(') + kids.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return s;
  }
  QString Shape() const {
    QStringList roots;
    for (int i = 0; i < list->Count(); ++i) roots << Shape(list->Items(i));
    return roots.join(QLatin1Char(' '));
  }
  static QString NameOf(const TtlTreeListNode* n) {
    return n ? static_cast<const TtlTreeListTextNode*>(n)->CellText(0) : QStringLiteral("-");
  }
  QString Focused() const { return NameOf(list->FocusedNode()); }
  QString Current() const { return query.FieldByName(QStringLiteral("name"))->AsString(); }
  TtlDBTreeListNode* Node(const QString& name) const {
    TtlDBTreeListNode* found = nullptr;
    std::vector<TtlTreeListNode*> stack;
    for (int i = 0; i < list->Count(); ++i) stack.push_back(list->Items(i));
    while (!stack.empty() && !found) {
      auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
      stack.pop_back();
      if (NameOf(n) == name) found = n;
      for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
    }
    return found;
  }
  // The point in the middle of a node's text.
  QPoint TextPoint(TtlTreeListNode* n) const {
    const TRect r = list->RowRect(n);
    const auto cells = list->RowCells(n, r);
    const int left = cells.empty() ? r.Left : cells.front().rect.Left;
    return QPoint(left + 10, (r.Top + r.Bottom) / 2);
  }
  QPoint ButtonPoint(TtlTreeListNode* n) const {
    const TRect b = list->ButtonRect(n, list->RowRect(n));
    return QPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  }
  QString Value(const QString& sql) const { return QueryBankValue(path, sql); }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
  std::unique_ptr<TtlDBTreeList> list;
};

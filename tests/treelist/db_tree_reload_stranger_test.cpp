// Reloads of a data-aware tree list in the order of the last load, tried as
// a stranger would: keys that the variant comparison calls equal but the
// key index tells apart, nodes the last load did not make, loading on
// demand switched between loads. Every reload must build what a fresh list
// over the same records builds.

#include <limits>

#include "tests/treelist/parked_reopen_fixture.h"
#include "treelist/tree_list_edit.h"

namespace {

// The nodes table again without column types, so a key or parent may be a
// number in one row and a text in another, as the bank stores it.
QString UntypedNodes(const char* rows) {
  return QStringLiteral("create table t(id, par, name, ord); insert into t values %1;"
                        "drop table nodes; alter table t rename to nodes;")
      .arg(QString::fromUtf8(rows));
}

}  // namespace

struct MixedKeyCase {
  const char* what;
  const char* rows;     // (id, par, 'name', ord), untyped
  const char* changes;  // run on the bank while the record set is closed
};

class DbTreeReloadMixedKeys : public DbTreeParkedReopen, public ::testing::WithParamInterface<MixedKeyCase> {};

TEST_P(DbTreeReloadMixedKeys, EveryReloadMatchesAFreshList) {
  const MixedKeyCase& c = GetParam();
  Open(QStringLiteral("(0,null,'-',0)"), 6, QStringLiteral("integer"), UntypedNodes(c.rows));
  ASSERT_EQ(Dump(*list).toStdString(), FreshDump().toStdString()) << c.what;
  query.Close();
  query.Open();  // the same records in the same order
  ASSERT_EQ(Dump(*list).toStdString(), FreshDump().toStdString()) << c.what;
  query.Close();
  ExecOnBank(path, QString::fromUtf8(c.changes));
  query.Open();
  EXPECT_EQ(Dump(*list).toStdString(), FreshDump().toStdString()) << c.what;
  query.Close();
  query.Open();
  EXPECT_EQ(Dump(*list).toStdString(), FreshDump().toStdString()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DbTreeReloadMixedKeys,
    ::testing::Values(
        // Two texts that read as the same number are two keys; the number
        // finds the first of them.
        MixedKeyCase{"a parent text turned to the number both key texts read as",
                     "('2.0',null,'a',1),('2.00',null,'b',2),('c','2.00','c',3)",
                     "update nodes set par = 2 where name = 'c'"},
        MixedKeyCase{"both key texts turned to that number",
                     "('2.0',null,'a',1),('2.00',null,'b',2),('c','2.00','c',3)",
                     "update nodes set id = 2 where name in ('a', 'b')"},
        MixedKeyCase{"a whole number key turned to a text of it, its child's parent kept",
                     "(2,null,'a',1),('c',2,'c',2)", "update nodes set id = '2.0' where name = 'a'"},
        // A parent that only a comparison as doubles finds.
        MixedKeyCase{"a parent one below a key past the doubles' whole numbers",
                     "(9007199254740993,null,'a',1),('c',9007199254740993,'c',2)",
                     "update nodes set par = 9007199254740992.0 where name = 'c'"},
        MixedKeyCase{"a number key and a text parent of it", "(2,null,'a',1),('c','2','c',2)",
                     "update nodes set par = 2.0 where name = 'c'"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// Nodes that code added to the list are no load's: a record that comes
// after the last load's records with the key of one of them is a second
// record of a key, and its children's parent is the first record of it.
TEST_F(DbTreeParkedReopen, NodesAddedByCodeDoNotStandForRecordsOfTheLastLoad) {
  Open(QStringLiteral("(0,null,'-',0)"), 6, QStringLiteral("integer"),
       UntypedNodes("(1,null,'a',1),(2,1,'b',2)"));
  auto* added = static_cast<TtlDBTreeListNode*>(list->Add());
  added->keyValue = 1;
  added->SetCellText(0, QStringLiteral("added"));
  auto* child = static_cast<TtlDBTreeListNode*>(added->AddChild());
  child->keyValue = 3;
  child->parentKeyValue = 1;
  query.Close();
  ExecOnBank(path, QStringLiteral("insert into nodes values (1,null,'x',3),(3,1,'y',4)"));
  query.Open();
  EXPECT_EQ(Dump(*list).toStdString(), FreshDump().toStdString());
  EXPECT_EQ(Shape().toStdString(), "a(b, y) x");
}

// The text handler of a shown number field, called while the reopened
// record set is read, closes, reopens or empties what is being loaded.
// Afterwards a reopen shows what a fresh list shows.
TEST_F(DbTreeParkedReopen, ATextHandlerActingOnTheLoadInTheMiddleOfAReload) {
  struct Case {
    const char* what;
    std::function<void(TtlDBTreeList&, TADOQuery&)> act;
  };
  const Case cases[] = {
      {"the record set closes", [](TtlDBTreeList&, TADOQuery& q) { q.Close(); }},
      {"the record set closes and opens",
       [](TtlDBTreeList&, TADOQuery& q) {
         q.Close();
         q.Open();
       }},
      {"the list is emptied", [](TtlDBTreeList& l, TADOQuery&) { l.ClearNodes(); }},
      {"the list leaves its data source", [](TtlDBTreeList& l, TADOQuery&) { l.SetDataSource(nullptr); }},
      {"the column shows another field",
       [](TtlDBTreeList& l, TADOQuery&) {
         static_cast<TtlDBTreeListColumn*>(l.Columns(1))->SetFieldName(QStringLiteral("par"));
       }},
      {"the column goes", [](TtlDBTreeList& l, TADOQuery&) { delete l.Columns(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
    auto* ord = list->CreateColumnOf<TtlDBTreeListColumn>();
    ord->SetFieldName(QStringLiteral("ord"));
    query.Close();
    query.Open();
    query.Close();
    int calls = 0;
    TtlDBTreeList& l = *list;
    TADOQuery& q = query;
    query.Open();
    query.FieldByName(QStringLiteral("ord"))->OnGetText = [&](TField* f, QString& text, bool) {
      text = f->AsString();
      if (calls++ == 2) c.act(l, q);
    };
    query.Close();
    query.Open();
    EXPECT_GT(calls, 2);
    if (!list->DataSource()) list->SetDataSource(&source);
    if (!query.Active()) query.Open();
    query.FieldByName(QStringLiteral("ord"))->OnGetText = nullptr;
    query.Close();
    query.Open();
    const auto sameColumns = [&](TtlDBTreeList& fresh) {
      for (int i = 1; i < list->ColumnCount(); ++i) {
        auto* col = fresh.CreateColumnOf<TtlDBTreeListColumn>();
        col->SetFieldName(static_cast<TtlDBTreeListColumn*>(list->Columns(i))->FieldName());
      }
    };
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(sameColumns).toStdString());
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

// A parent value that is not a number (a calculated one) equals no key, so
// its record is a root, however it was placed by the load before.
TEST_F(DbTreeParkedReopen, AParentValueThatIsNotANumberMakesARootOnAReload) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)"));
  query.Close();
  query.AddCalculatedField(QStringLiteral("cpar"), ftFloat);
  bool notANumber = false;
  query.OnCalcFields = [&](TObject*) {
    const TField* par = query.FieldByName(QStringLiteral("par"));
    QVariant v = par->IsNull() ? QVariant() : QVariant(par->AsFloat());
    if (notANumber && par->AsInteger() == 2) v = std::numeric_limits<double>::quiet_NaN();
    query.FieldByName(QStringLiteral("cpar"))->SetValue(v);
  };
  const auto byCalculatedParent = [](TtlDBTreeList& l) { l.SetParentField(QStringLiteral("cpar")); };
  byCalculatedParent(*list);
  query.Open();
  query.Close();
  query.Open();
  ASSERT_EQ(Shape().toStdString(), "a(b(c))");
  query.Close();
  notANumber = true;
  query.Open();
  EXPECT_EQ(Dump(*list).toStdString(), FreshDump(byCalculatedParent).toStdString());
  EXPECT_EQ(Shape().toStdString(), "a(b) c");
}

// Loading on demand switched on or off while the record set is closed, the
// bank changed meanwhile: each reopen shows what a fresh list set up the
// same way shows.
TEST_F(DbTreeParkedReopen, LoadingOnDemandSwitchedBetweenReloads) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4),(5,4,'e',5)"));
  auto* ord = list->CreateColumnOf<TtlDBTreeListColumn>();
  ord->SetFieldName(QStringLiteral("ord"));
  const char* const changes[] = {"update nodes set par = 4 where id = 2", "update nodes set ord = -ord",
                                 "insert into nodes values (6, 5, 'f', 0)", "delete from nodes where id = 4",
                                 "update nodes set par = 6 where id = 1"};
  bool onDemand = false;
  for (const char* change : changes) {
    SCOPED_TRACE(change);
    onDemand = !onDemand;
    const auto setUp = [&](TtlDBTreeList& l) {
      auto* more = l.CreateColumnOf<TtlDBTreeListColumn>();
      more->SetFieldName(QStringLiteral("ord"));
      if (onDemand) l.OptionsDB &= ~OptDB(etoLoadAllRecords);
      else l.OptionsDB |= OptDB(etoLoadAllRecords);
    };
    query.Close();
    if (onDemand) list->OptionsDB &= ~OptDB(etoLoadAllRecords);
    else list->OptionsDB |= OptDB(etoLoadAllRecords);
    ExecOnBank(path, QString::fromUtf8(change));
    query.Open();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(setUp).toStdString());
    query.Close();
    query.Open();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(setUp).toStdString());
  }
}

// Code changes the open list's nodes without their records: a reopen shows
// the records again, as a fresh list does.
TEST_F(DbTreeParkedReopen, NodesChangedByCodeWhileOpenShowTheirRecordsAgainOnAReopen) {
  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"a node moved under another",
       [this] { Node(QStringLiteral("c"))->MoveTo(Node(QStringLiteral("e")), natlAddChild); }},
      {"a parent moved to the roots",
       [this] { Node(QStringLiteral("b"))->MoveTo(Node(QStringLiteral("d")), natlAdd); }},
      {"a node deleted", [this] { Node(QStringLiteral("b"))->Delete(); }},
      {"a number's text written",
       [this] { Node(QStringLiteral("c"))->SetCellText(1, QStringLiteral("x")); }},
      {"a number's text written, then the node moved",
       [this] {
         TtlDBTreeListNode* c = Node(QStringLiteral("c"));
         c->SetCellText(1, QString(QStringLiteral("y")));
         c->MoveTo(nullptr, natlAdd);
       }},
  };
  const auto showOrd = [](TtlDBTreeList& l) {
    l.CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QStringLiteral("ord"));
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4),(5,4,'e',5)"));
    showOrd(*list);
    query.Close();
    query.Open();
    c.change();
    query.Close();
    query.Open();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(showOrd).toStdString());
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

// Many records read again in the order of the last load up to one in the
// middle whose parent changed: the key index then built from the nodes
// taken so far must find every parent a fresh list finds, sorted or not.
TEST_F(DbTreeParkedReopen, ManyRecordsLeavingTheLastLoadsOrderInTheMiddle) {
  constexpr int kRecords = 100000;
  for (const bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "in record order");
    const auto setUp = [&](TtlDBTreeList& l) {
      if (!sorted) return;
      l.OptionsBehavior |= OptB(etoAutoSort);
      l.Columns(0)->SetSorted(csDown);
    };
    Open(QStringLiteral("(1,null,'n1',1)"), 6, QStringLiteral("integer"),
         QStringLiteral("with recursive s(i) as (select 2 union all select i + 1 from s where i < %1) "
                        "insert into nodes select i, i / 4, 'n' || i, i from s;")
             .arg(kRecords));
    setUp(*list);
    query.Close();
    query.Open();
    query.Close();
    // A record in the middle moves under a node read after it, one under a
    // node read before it, and a record comes at the end under an early one.
    ExecOnBank(path, QStringLiteral("update nodes set par = 90000 where id = 50000;"
                                    "update nodes set par = 7 where id = 50001;"
                                    "insert into nodes values (%1, 5, 'last', %1)")
                         .arg(kRecords + 1));
    query.Open();
    EXPECT_TRUE(Dump(*list) == FreshDump(setUp));
    EXPECT_EQ(Node(QStringLiteral("n50000"))->Parent(), Node(QStringLiteral("n90000")));
    EXPECT_EQ(Node(QStringLiteral("last"))->Parent(), Node(QStringLiteral("n5")));
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

// A key or number typed into the list's editor, written to the record (and
// posted or not), then the record set closes and opens again.
TEST_F(DbTreeParkedReopen, AKeyOrNumberTypedIntoTheEditorThenAReopen) {
  struct Case {
    const char* what;
    const char* field;
    const char* typed;
    bool post;
  };
  const Case cases[] = {
      {"a key written, not posted", "id", "7", false},
      {"a key posted", "id", "7", true},
      {"a key posted past every other", "id", "30", true},
      {"a number posted", "ord", "9", true},
      {"a number written, not posted", "ord", "9", false},
  };
  const auto showFields = [](TtlDBTreeList& l) {
    for (const char* name : {"id", "ord"})
      l.CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QString::fromUtf8(name));
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
    showFields(*list);
    list->SetOptionView(etoRowSelect, false);
    query.Close();
    query.Open();
    Show(list.get());
    list->SetFocusedNode(Node(QStringLiteral("b")), QString::fromUtf8(c.field) == QLatin1String("id") ? 1 : 2,
                         true);
    ASSERT_EQ(Current(), QStringLiteral("b"));
    QWidget* target = list.get();
    QTest::keyClick(target, Qt::Key_F2);
    ASSERT_TRUE(list->Editing());
    target = QApplication::focusWidget() ? QApplication::focusWidget() : list.get();
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(target, QString::fromUtf8(c.typed));
    QTest::keyClick(target, Qt::Key_Return);
    if (c.post) {
      ASSERT_EQ(query.State(), dsEdit);
      query.Post();
    }
    query.Close();
    query.Open();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(showFields).toStdString());
    query.Close();
    query.Open();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump(showFields).toStdString());
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

// The top row changes while a reload adds nodes, and the handler takes the
// list off its data source or takes a column away.
TEST_F(DbTreeParkedReopen, TheTopRowHandlerRebindingTheListInTheMiddleOfAReload) {
  struct Case {
    const char* what;
    std::function<void(TtlDBTreeList&)> act;
  };
  const Case cases[] = {
      {"off its data source", [](TtlDBTreeList& l) { l.SetDataSource(nullptr); }},
      {"a column taken away", [](TtlDBTreeList& l) { delete l.Columns(l.ColumnCount() - 1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
    list->CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QStringLiteral("ord"));
    Show(list.get());
    query.Close();
    query.Open();
    query.Close();
    int calls = 0;
    list->OnChangeTopVisibleNode = [&](TObject*) {
      if (calls++ == 0) c.act(*list);
    };
    query.Open();
    EXPECT_GT(calls, 0);
    list->OnChangeTopVisibleNode = nullptr;
    list->SetDataSource(&source);
    query.Close();
    query.Open();
    const int columns = list->ColumnCount();
    EXPECT_EQ(Dump(*list).toStdString(), FreshDump([&](TtlDBTreeList& l) {
                if (columns > 1) l.CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QStringLiteral("ord"));
              }).toStdString());
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

// Closing and reopening the record set of a data-aware tree list whose
// records are all loaded, tried as a stranger would: hostile keys, parents
// and orders, the list changed while it holds no nodes, and handlers that
// act on the list or the record set while it loads.

#include "tests/treelist/parked_reopen_fixture.h"

struct ParkedCase {
  const char* what;
  const char* rows;
  const char* changes;   // run on the bank while the record set is closed
  const char* sql;       // the statement reopened, or "" for the same
  const char* keyField;  // the key field of both lists
};

class DbTreeParkedReopenTable : public DbTreeParkedReopen, public ::testing::WithParamInterface<ParkedCase> {};

TEST_P(DbTreeParkedReopenTable, MatchesAFreshlyOpenedList) {
  const ParkedCase& c = GetParam();
  Open(QString::fromUtf8(c.rows));
  list->SetKeyField(QString::fromUtf8(c.keyField));
  for (int i = 0; i < list->Count(); ++i) list->Items(i)->Expand(true);
  query.Close();
  if (*c.changes) ExecOnBank(path, QString::fromUtf8(c.changes));
  if (*c.sql) {
    query.SQL()->Clear();
    query.SQL()->Add(QString::fromUtf8(c.sql));
  }
  query.Open();
  const QString reopened = Dump(*list);
  EXPECT_EQ(reopened, FreshDump([&](TtlDBTreeList& l) { l.SetKeyField(QString::fromUtf8(c.keyField)); }))
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DbTreeParkedReopenTable,
    ::testing::Values(
        ParkedCase{"the same rows", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)", "", "", "id"},
        ParkedCase{"rows in reverse order", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)",
                   "update nodes set ord = -ord", "", "id"},
        ParkedCase{"duplicate keys", "(1,null,'a',7),(2,7,'b',7),(3,7,'c',8),(4,null,'d',8)",
                   "update nodes set ord = 7 where id = 3", "", "ord"},
        ParkedCase{"null keys", "(1,null,'a',null),(2,null,'b',1),(3,1,'c',null)",
                   "update nodes set ord = null", "", "ord"},
        ParkedCase{"keys turned from numbers to texts", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)", "",
                   "select cast(id as text) as id, cast(par as text) as par, name, ord from nodes "
                   "order by ord desc",
                   "id"},
        ParkedCase{"a node its own parent", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)",
                   "update nodes set par = id where id = 2", "", "id"},
        ParkedCase{"a cycle of two", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)",
                   "update nodes set par = 2 where id = 1", "", "id"},
        ParkedCase{"a parent below its former grandchild", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)",
                   "update nodes set par = null where id = 3; update nodes set par = 3 where id = 1;"
                   "update nodes set ord = -ord",
                   "", "id"},
        ParkedCase{"every record new", "(1,null,'a',1),(2,1,'b',2)",
                   "delete from nodes; insert into nodes values (10,null,'x',1),(11,10,'y',2)", "", "id"},
        ParkedCase{"every record gone", "(1,null,'a',1),(2,1,'b',2)", "delete from nodes", "", "id"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(DbTreeParkedReopen, ManyRecordsInARandomNewOrderMatchAFreshList) {
  constexpr int kRecords = 100000;
  Open(QStringLiteral("(1,null,'n1',1)"), 6, QStringLiteral("integer"),
       QStringLiteral("with recursive s(i) as (select 2 union all select i + 1 from s where i < %1) "
                      "insert into nodes select i, i / 4, 'n' || i, i from s;")
           .arg(kRecords));
  ASSERT_EQ(query.RecordCount(), kRecords);
  query.Close();
  // Every record in a scrambled new place (a multiplier modulo a prime),
  // and one in eight moved under another parent, cycles included.
  ExecOnBank(path, QStringLiteral("update nodes set ord = (id * 48271) % 100003;"
                                  "update nodes set par = (id * 7) % %1 + 1 where id % 8 = 0;")
                       .arg(kRecords));
  query.Open();
  EXPECT_EQ(Dump(*list), FreshDump());
}

// The list is changed while it holds its nodes aside, then the record set
// opens again: the list shows what a fresh one set up the same way shows.
TEST_F(DbTreeParkedReopen, ChangesToTheListWhileClosedShowOnTheReopen) {
  struct Case {
    const char* what;
    std::function<void(TtlDBTreeList&)> change;
  };
  const Case cases[] = {
      {"a second column",
       [](TtlDBTreeList& l) {
         auto* col = l.CreateColumnOf<TtlDBTreeListColumn>();
         col->SetFieldName(QStringLiteral("ord"));
       }},
      {"the column taken away and one for another field made",
       [](TtlDBTreeList& l) {
         delete l.Columns(0);
         auto* col = l.CreateColumnOf<TtlDBTreeListColumn>();
         col->SetFieldName(QStringLiteral("name"));
         auto* col2 = l.CreateColumnOf<TtlDBTreeListColumn>();
         col2->SetFieldName(QStringLiteral("par"));
       }},
      {"loading on demand", [](TtlDBTreeList& l) { l.OptionsDB &= ~OptDB(etoLoadAllRecords); }},
      {"previews and bookmarks",
       [](TtlDBTreeList& l) {
         l.PreviewFieldName = QStringLiteral("name");
         l.OptionsDB |= OptDB(etoUseBookmarks);
       }},
      {"emptied", [](TtlDBTreeList& l) { l.ClearNodes(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
    auto* col = list->CreateColumnOf<TtlDBTreeListColumn>();
    col->SetFieldName(QStringLiteral("ord"));
    query.Close();
    c.change(*list);
    ExecOnBank(path, QStringLiteral("update nodes set ord = -ord"));
    query.Open();
    EXPECT_EQ(Dump(*list), FreshDump([&](TtlDBTreeList& l) {
                auto* more = l.CreateColumnOf<TtlDBTreeListColumn>();
                more->SetFieldName(QStringLiteral("ord"));
                c.change(l);
              }));
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

TEST_F(DbTreeParkedReopen, AListDestroyedOrReboundWhileClosedLeavesNothingBehind) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3)"));
  query.Close();
  list.reset();  // parked nodes go with the list
  list = MakeList(6);
  query.Open();
  query.Close();
  // Bound to another record set over the same table, then back.
  TADOQuery other;
  other.SetConnection(&con);
  other.SQL()->Add(QStringLiteral("select * from nodes where id <> 2 order by ord desc"));
  TDataSource otherSource;
  otherSource.SetDataSet(&other);
  other.Open();
  list->SetDataSource(&otherSource);
  EXPECT_EQ(Shape(), QStringLiteral("c a"));
  list->SetDataSource(&source);
  query.Open();
  EXPECT_EQ(Shape(), QStringLiteral("a(b(c))"));
  list->SetDataSource(nullptr);
}

// Handlers fired while the reopened record set is read or followed close,
// reopen or empty the list again.
TEST_F(DbTreeParkedReopen, HandlersDuringTheReopenMayCloseReopenOrEmptyTheList) {
  struct Case {
    const char* what;
    std::function<void(TtlDBTreeList&, TADOQuery&, int&)> hook;
  };
  const Case cases[] = {
      {"the top row changes: the list is emptied",
       [](TtlDBTreeList& l, TADOQuery& q, int& calls) {
         l.OnChangeTopVisibleNode = [&l, &q, &calls](TObject*) {
           if (calls++ == 0) l.ClearNodes();
         };
       }},
      {"the top row changes: the record set closes and opens",
       [](TtlDBTreeList& l, TADOQuery& q, int& calls) {
         l.OnChangeTopVisibleNode = [&l, &q, &calls](TObject*) {
           if (calls++ == 0) {
             q.Close();
             q.Open();
           }
         };
       }},
      {"the focus changes: the record set closes and opens",
       [](TtlDBTreeList& l, TADOQuery& q, int& calls) {
         l.OnChangeNode = [&l, &q, &calls](TObject*, TtlTreeListNode*, TtlTreeListNode*) {
           if (calls++ == 0) {
             q.Close();
             q.Open();
           }
         };
       }},
      {"a node expands: the record set closes",
       [](TtlDBTreeList& l, TADOQuery& q, int& calls) {
         l.OnExpanded = [&l, &q, &calls](TObject*, TtlTreeListNode*) {
           if (calls++ == 0) q.Close();
         };
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
    query.Close();
    int calls = 0;
    c.hook(*list, query, calls);
    query.Open();
    query.Last();
    query.SetRecNo(3);
    EXPECT_GT(calls, 0);
    list->OnChangeTopVisibleNode = nullptr;
    list->OnChangeNode = nullptr;
    list->OnExpanded = nullptr;
    if (!query.Active()) query.Open();
    query.Close();
    query.Open();
    EXPECT_EQ(Shape(), QStringLiteral("a(b(c)) d"));
    EXPECT_EQ(Focused(), Current());
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

TEST_F(DbTreeParkedReopen, PreviewAndBookmarkSetAndClearedInTurn) {
  Open(QStringLiteral("(1,null,'a',1)"));
  auto* n = static_cast<TtlDBTreeListNode*>(list->Items(0));
  const QString texts[] = {QStringLiteral("p"), QString(), QStringLiteral("q")};
  for (int round = 0; round < 9; ++round) {
    const QString& preview = texts[round % 3];
    const QString& bookmark = texts[(round / 3) % 3];
    n->SetPreviewText(preview);
    n->SetBookmark(bookmark);
    n->SetPreviewText(n->Bookmark());  // a node's own text handed back to it
    EXPECT_EQ(n->PreviewText(), bookmark);
    EXPECT_EQ(n->Bookmark(), bookmark);
  }
}

// A record set read again in the order of its last load gives its nodes
// back one after the other, each under the parent it had, without looking
// keys up; anything that differs from that load must still build what a
// fresh list builds. The lists here also show a number column.

#include "tests/treelist/parked_reopen_fixture.h"

namespace {

void SortBackwards(TtlDBTreeList& l) {
  l.OptionsBehavior |= OptB(etoAutoSort);
  l.Columns(0)->SetSorted(csDown);
}

void ShowOrdAndSortBackwards(TtlDBTreeList& l) {
  auto* ord = l.CreateColumnOf<TtlDBTreeListColumn>();
  ord->SetFieldName(QStringLiteral("ord"));
  SortBackwards(l);
}

}  // namespace

struct ReloadCase {
  const char* what;
  const char* rows;
  // Done on the open record set before it closes (an edit posted through it).
  std::function<void(TADOQuery&)> whileOpen;
  const char* changes;  // run on the bank while the record set is closed
};

class DbTreeReloadOrder : public DbTreeParkedReopen, public ::testing::WithParamInterface<ReloadCase> {};

TEST_P(DbTreeReloadOrder, EveryReloadMatchesAFreshList) {
  const ReloadCase& c = GetParam();
  // Unsorted, children show in record order; sorted, the display differs
  // from the order the nodes were loaded in.
  for (const bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "in record order");
    const auto setUp = [&](TtlDBTreeList& l) {
      auto* ord = l.CreateColumnOf<TtlDBTreeListColumn>();
      ord->SetFieldName(QStringLiteral("ord"));
      if (sorted) SortBackwards(l);
    };
    Open(QString::fromUtf8(c.rows));
    setUp(*list);
    query.Close();
    query.Open();  // a reload in the same order, nothing changed
    ASSERT_EQ(Dump(*list), FreshDump(setUp)) << c.what;
    if (c.whileOpen) c.whileOpen(query);
    query.Close();
    if (*c.changes) ExecOnBank(path, QString::fromUtf8(c.changes));
    query.Open();
    EXPECT_EQ(Dump(*list), FreshDump(setUp)) << c.what;
    // And once more, after a reload that may have had to look keys up.
    query.Close();
    query.Open();
    EXPECT_EQ(Dump(*list), FreshDump(setUp)) << c.what;
    list.reset();
    query.Close();
    con.Close();
    query.SQL()->Clear();
  }
}

namespace {

// Sets the `field` of the record whose id is `id` through the record set.
std::function<void(TADOQuery&)> Post(int id, const char* field, const QVariant& value) {
  return [=](TADOQuery& q) {
    ASSERT_TRUE(q.Locate(QStringLiteral("id"), id));
    q.Edit();
    q.FieldByName(QString::fromUtf8(field))->SetValue(value);
    q.Post();
  };
}

const char* const kRows = "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,2,'d',4),(5,1,'e',5),(6,null,'f',6)";

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Orders, DbTreeReloadOrder,
    ::testing::Values(
        ReloadCase{"nothing changed", kRows, {}, ""},
        ReloadCase{"a parent changed, the order kept", kRows, {}, "update nodes set par = 5 where id = 4"},
        ReloadCase{"a record now under no parent", kRows, {}, "update nodes set par = null where id = 3"},
        ReloadCase{"a record under a parent read after it", kRows, {}, "update nodes set par = 6 where id = 2"},
        ReloadCase{"a root now under a record read before it", "(1,null,'a',1),(2,null,'b',2),(3,1,'c',3)", {},
                   "update nodes set par = 1 where id = 2"},
        ReloadCase{"a record appended", kRows, {}, "insert into nodes values (7, 3, 'g', 7)"},
        ReloadCase{"a parent gone from the middle", kRows, {}, "delete from nodes where id = 2"},
        ReloadCase{"the last record gone", kRows, {}, "delete from nodes where id = 6"},
        ReloadCase{"two records trading places", kRows, {}, "update nodes set ord = 9 - ord where id in (4, 5)"},
        ReloadCase{"a child read before its parent", "(1,null,'a',1),(2,3,'b',2),(3,1,'c',3)", {}, ""},
        ReloadCase{"a parent that no record has", "(1,null,'a',1),(2,99,'b',2),(3,2,'c',3)", {}, ""},
        ReloadCase{"a key posted through the record set", kRows, Post(5, "id", 50), ""},
        ReloadCase{"a parent posted through the record set", kRows, Post(3, "par", 5), ""},
        ReloadCase{"a record's key posted, then a record moved under it", kRows, Post(5, "id", 7),
                   "update nodes set par = 7 where id = 6"},
        ReloadCase{"keys turned to texts", kRows, {},
                   "create table t as select cast(id as text) id, cast(par as text) par, name, ord from nodes;"
                   "drop table nodes; alter table t rename to nodes"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// A number's text comes from the number alone until a text handler says
// otherwise: a reload must show the handler's text as soon as it is set,
// and the plain number again once it is cleared.
TEST_F(DbTreeParkedReopen, NumberTextsFollowATextHandlerSetOrClearedBetweenOpens) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,null,'c',0)"));
  ShowOrdAndSortBackwards(*list);
  const auto ordTexts = [&] {
    QStringList texts;
    for (TtlTreeListNode* n = list->Items(0); n; n = n->NextInTree())
      texts << static_cast<TtlDBTreeListNode*>(n)->CellText(1);
    return texts.join(QLatin1Char(' '));
  };
  EXPECT_EQ(ordTexts(), QStringLiteral("0 1 2"));
  TField* ord = query.FieldByName(QStringLiteral("ord"));
  ord->OnGetText = [](TField* f, QString& text, bool) { text = QStringLiteral("#") + f->AsString(); };
  query.Close();
  query.Open();
  EXPECT_EQ(ordTexts(), QStringLiteral("#0 #1 #2"));
  ord->OnGetText = nullptr;
  query.Close();
  query.Open();
  EXPECT_EQ(ordTexts(), QStringLiteral("0 1 2"));
  EXPECT_EQ(Dump(*list), FreshDump(ShowOrdAndSortBackwards));
}

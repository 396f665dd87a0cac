// Sorting sibling lists by a column (header cycle, veto, re-sort after a
// reload, mixed values in one total order) and incremental search.

#include <QTest>
#include <random>

#include "tests/treelist/db_tree_fixture.h"
#include "tests/treelist/tree_fixture.h"

namespace {

QString Names(TtlCustomTreeList* list, TtlTreeListNode* parent = nullptr) {
  QStringList names;
  const int count = parent ? parent->Count() : list->Count();
  for (int i = 0; i < count; ++i)
    names << TreeFixture::NameOf(parent ? parent->Items(i) : list->Items(i));
  return names.join(QLatin1Char(' '));
}

TEST(SortKeys, MixedValuesFallIntoOneTotalOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<QVariant> values = {
      QVariant(), QVariant(3), QVariant(2.5), QVariant(qlonglong(9007199254740993LL)),
      QVariant(9007199254740992.0), QVariant(nan), QVariant(QStringLiteral("10")),
      QVariant(QStringLiteral("9")), QVariant(QStringLiteral("b")), QVariant(true),
      QVariant(QDateTime(QDate(2020, 1, 1), QTime(0, 0))), QVariant(-1), QVariant(QString()),
      QVariant(QStringLiteral("2")), QVariant(2)};
  std::vector<TtlSortKey> keys;
  for (const QVariant& v : values) keys.push_back(TtlSortKey::From(v, false));
  // Irreflexive, antisymmetric and transitive (for < and for ~) over every triple.
  for (size_t a = 0; a < keys.size(); ++a) {
    EXPECT_EQ(TtlSortKey::Compare(keys[a], keys[a], false), 0) << a;
    for (size_t b = 0; b < keys.size(); ++b) {
      const int ab = TtlSortKey::Compare(keys[a], keys[b], false);
      EXPECT_EQ(ab, -TtlSortKey::Compare(keys[b], keys[a], false)) << a << " " << b;
      for (size_t c = 0; c < keys.size(); ++c) {
        const int bc = TtlSortKey::Compare(keys[b], keys[c], false);
        const int ac = TtlSortKey::Compare(keys[a], keys[c], false);
        if (ab < 0 && bc < 0) { EXPECT_LT(ac, 0) << a << " " << b << " " << c; }
        if (ab == 0 && bc == 0) { EXPECT_EQ(ac, 0) << a << " " << b << " " << c; }
      }
    }
  }
  // Exact: a whole number just past a real's precision is still larger.
  EXPECT_GT(TtlSortKey::Compare(keys[3], keys[4], false), 0);
  // Null first, numbers numerically, then texts by character codes.
  EXPECT_LT(TtlSortKey::Compare(keys[0], keys[11], false), 0);
  EXPECT_LT(TtlSortKey::Compare(keys[2], keys[1], false), 0);
  EXPECT_LT(TtlSortKey::Compare(keys[6], keys[7], false), 0);
}

struct SortTree : ::testing::Test {
  SortTree() {
    f.list->OptionsBehavior |= OptB(etoAutoSort);
    f.list->SetShowHeader(true);
    f.list->resize(200, 200);
    f.list->Bands()->Add()->SetWidth(200);
    column = f.list->CreateColumn();
    column->SetWidth(150);
    for (const char* n : {"delta", "Alpha", "charlie", "bravo"}) f.Node(QString::fromLatin1(n));
    TtlTreeListNode* parent = f.list->Items(0);
    for (const char* n : {"z", "x", "y"}) f.Node(QString::fromLatin1(n), parent);
    f.list->show();
  }
  void ClickHeader(Qt::KeyboardModifiers m = {}) {
    const int y = f.list->HeaderHeight() / 2;
    int x = 0;
    while (x < 200 && f.list->HeaderColumnAt(x, y) != column) ++x;
    ASSERT_LT(x, 200);
    QTest::mouseClick(f.list.get(), Qt::LeftButton, m, QPoint(x + 5, y));
  }
  TreeFixture f;
  TtlTreeListColumn* column = nullptr;
};

TEST_F(SortTree, HeaderClicksCycleAscendingDescendingAndCtrlRemoves) {
  QStringList clicks;
  f.list->OnColumnClick = [&](TObject*, TtlTreeListColumn* c) { clicks << QString::number(c->Index()); };
  ClickHeader();
  EXPECT_EQ(column->Sorted(), csUp);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("Alpha bravo charlie delta"));
  EXPECT_EQ(Names(f.list.get(), f.list->Items(3)), QStringLiteral("x y z")) << "every sibling list";
  ClickHeader();
  EXPECT_EQ(column->Sorted(), csDown);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("delta charlie bravo Alpha"));
  ClickHeader(Qt::ControlModifier);
  EXPECT_EQ(column->Sorted(), csNone);
  EXPECT_EQ(clicks.size(), 3);
  // A veto leaves everything as it is.
  f.list->OnColumnSorting = [](TObject*, TtlTreeListColumn*, bool& allow) { allow = false; };
  ClickHeader();
  EXPECT_EQ(column->Sorted(), csNone);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("delta charlie bravo Alpha"));
  EXPECT_EQ(clicks.size(), 4);
}

TEST_F(SortTree, CaseInsensitiveAndHandlerComparisons) {
  column->SetSorted(csUp);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("Alpha bravo charlie delta"));
  f.list->OptionsBehavior &= ~OptB(etoCaseInsensitive);
  f.Node(QStringLiteral("Zulu"));
  column->SetSorted(csNone);
  column->SetSorted(csUp);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("Alpha Zulu bravo charlie delta"));
  f.list->OptionsBehavior |= OptB(etoCaseInsensitive);
  column->SetSorted(csDown);
  EXPECT_EQ(Names(f.list.get()), QStringLiteral("Zulu delta charlie bravo Alpha"));
  // A handler answering nonsense cannot break the sort: every node stays.
  std::mt19937 random(7);
  f.list->OnCompare = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*, int& c) {
    c = static_cast<int>(random() % 3) - 1;
  };
  for (int i = 0; i < 200; ++i) f.Node(QStringLiteral("n%1").arg(i));
  f.list->SortColumn(column, false);
  EXPECT_EQ(f.list->Count(), 205);
}

TEST_F(SortTree, IncrementalSearchInEitherCaseDropsAMismatchAndWraps) {
  f.list->OptionsBehavior |= OptB(etoAutoSearch);
  f.list->SetFocusedNode(f.list->Items(0), 0, true);  // delta
  QTest::keyClicks(f.list.get(), QStringLiteral("CH"));
  EXPECT_TRUE(f.list->Searching());
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("charlie"));
  EXPECT_EQ(f.list->AutoSearchText(), QStringLiteral("CH"));
  QTest::keyClicks(f.list.get(), QStringLiteral("q"));
  EXPECT_EQ(f.list->SearchText(), QStringLiteral("CH")) << "a character matching nothing is dropped";
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("charlie"));
  // Backspace and a new start: "a" wraps past the end to Alpha... forwards.
  QTest::keyClick(f.list.get(), Qt::Key_Backspace);
  QTest::keyClick(f.list.get(), Qt::Key_Backspace);
  QTest::keyClicks(f.list.get(), QStringLiteral("a"));
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("Alpha"));
  // Shift+Enter: the previous match, wrapping backwards; Ctrl+Enter the next.
  f.Node(QStringLiteral("apple"));
  QTest::keyClick(f.list.get(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("apple"));
  QTest::keyClick(f.list.get(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("Alpha"));
  QTest::keyClick(f.list.get(), Qt::Key_Escape);
  EXPECT_FALSE(f.list->Searching());
}

TEST_F(SortTree, AutoExpandOnSearchDecidesWhetherCollapsedNodesAreFound) {
  f.list->OptionsBehavior |= OptB(etoAutoSearch);
  TtlTreeListNode* delta = f.list->Items(0);
  f.list->SetFocusedNode(f.list->Items(1), 0, true);
  f.list->AutoExpandOnSearch = false;
  QTest::keyClicks(f.list.get(), QStringLiteral("y"));
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("Alpha"));
  EXPECT_FALSE(delta->IsExpanded());
  QTest::keyClick(f.list.get(), Qt::Key_Escape);
  f.list->AutoExpandOnSearch = true;
  QTest::keyClicks(f.list.get(), QStringLiteral("y"));
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("y"));
  EXPECT_TRUE(delta->IsExpanded());
  // Backwards from the first root wraps to the last node in tree order.
  QTest::keyClick(f.list.get(), Qt::Key_Escape);
  delta->SetExpanded(false);
  f.list->SetFocusedNode(delta, 0, true);
  QString text = QStringLiteral("z");
  f.list->StartSearch(0, text);
  f.list->DoSearch(text, 1, false);
  EXPECT_EQ(TreeFixture::NameOf(f.list->FocusedNode()), QStringLiteral("z"));
}

// ---------------------------------------------------------------------------

TEST_F(DbTreeTest, ASortedColumnSortsAgainAfterEveryReloadAndSelectedIndexReachesTheNodes) {
  Open(QStringLiteral("(1,null,'m',1),(2,null,'c',2),(3,null,'x',3)"));
  list->OptionsBehavior |= OptB(etoAutoSort);
  list->SetSelectedIndex(4);
  list->Columns(0)->SetSorted(csUp);
  EXPECT_EQ(Shape(), QStringLiteral("c m x"));
  con.Execute(QStringLiteral("insert into nodes values (4,null,'a',4),(5,2,'b',5)"));
  query.Close();
  query.Open();
  EXPECT_EQ(Shape(), QStringLiteral("a c(b) m x"));
  EXPECT_EQ(Focused(), Current());
  EXPECT_EQ(static_cast<TtlTreeListTextNode*>(Node(QStringLiteral("b")))->selectedIndex, 4);
  // A number column sorts by value, not by text.
  auto* ord = list->CreateColumnOf<TtlDBTreeListColumn>();
  ord->SetFieldName(QStringLiteral("ord"));
  con.Execute(QStringLiteral("update nodes set ord = 10 where id = 1"));
  query.Close();
  query.Open();
  ord->SetSorted(csDown);
  EXPECT_EQ(list->Columns(0)->Sorted(), csNone) << "one sorted column";
  EXPECT_EQ(Shape(), QStringLiteral("m a x c(b)"));
}

}  // namespace

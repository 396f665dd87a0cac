// A bank whose records nest three hundred thousand levels deep (each
// record's parent the record before), taken through everything a user does
// with the data-aware tree list: opened, closed and reopened (the nodes held
// aside and taken back by key), reopened in the reverse order, expanded
// fully, searched by typing, sorted, walked with the keyboard, painted and
// destroyed. Nothing may need a stack as deep as the chain.

#include <QTest>

#include "tests/treelist/db_tree_fixture.h"

namespace {

constexpr int kDepth = 300000;

// The chain n1 .. n<kDepth>, and under n<kMiddle> two more children that
// sort on either side of the chain's own next node.
constexpr int kMiddle = 150000;

class DeepChain : public DbTreeTest {
 protected:
  void OpenChain() {
    Open(QStringLiteral("(1,null,'n1',1)"), 6, QStringLiteral("integer"),
         QStringLiteral("with recursive c(i) as (select 2 union all select i+1 from c where i<%1) "
                        "insert into nodes select i, i-1, 'n'||i, i from c;"
                        "insert into nodes values (%1+1,%2,'x',%1+1),(%1+2,%2,'a',%1+2);")
             .arg(kDepth)
             .arg(kMiddle));
    ASSERT_EQ(query.RecordCount(), kDepth + 2);
  }

  // The chain as the list holds it: each n<i> the parent of n<i+1>, the
  // deepest node at level kDepth - 1 and the two extra children where they
  // belong. Reported as the first place the chain breaks.
  QString ChainFault() const {
    if (list->Count() != 1) return QStringLiteral("%1 roots").arg(list->Count());
    TtlTreeListNode* n = list->Items(0);
    for (int i = 1; i <= kDepth; ++i) {
      if (NameOf(n) != QStringLiteral("n%1").arg(i)) return QStringLiteral("level %1 is %2").arg(i - 1).arg(NameOf(n));
      const int children = i == kMiddle ? 3 : i == kDepth ? 0 : 1;
      if (n->Count() != children) return QStringLiteral("n%1 has %2 children").arg(i).arg(n->Count());
      if (i == kDepth) break;
      TtlTreeListNode* next = nullptr;
      for (int c = 0; c < n->Count(); ++c)
        if (NameOf(n->Items(c)) == QStringLiteral("n%1").arg(i + 1)) next = n->Items(c);
      if (!next) return QStringLiteral("n%1 lost its chain child").arg(i);
      n = next;
    }
    if (n->Level() != kDepth - 1) return QStringLiteral("the deepest node at level %1").arg(n->Level());
    return QString();
  }

  QString MiddleChildren() const {
    TtlDBTreeListNode* middle = list->FindNodeByKey(kMiddle);
    if (!middle) return QStringLiteral("-");
    QStringList names;
    for (int i = 0; i < middle->Count(); ++i) names << NameOf(middle->Items(i));
    return names.join(QLatin1Char(' '));
  }
};

TEST_F(DeepChain, ReopenedSearchedSortedWalkedAndDestroyedWithoutADeepStack) {
  OpenChain();
  EXPECT_EQ(ChainFault(), QString());
  TtlDBTreeListNode* const firstRoot = static_cast<TtlDBTreeListNode*>(list->Items(0));

  // Closed: the nodes are held aside; reopened: each is taken back by key.
  query.Close();
  EXPECT_EQ(list->Count(), 0);
  query.Open();
  EXPECT_EQ(ChainFault(), QString());
  EXPECT_EQ(list->Items(0), firstRoot) << "the nodes were not taken back";

  // Reopened in the reverse order: every record comes before its parent.
  query.Close();
  query.SQL()->Clear();
  query.SQL()->Add(QStringLiteral("select * from nodes order by ord desc"));
  query.Open();
  EXPECT_EQ(ChainFault(), QString());
  // Children read before their parent are attached last root first.
  EXPECT_EQ(MiddleChildren(), QStringLiteral("n150001 x a"));

  // Expanded fully: every node is a row.
  list->OptionsBehavior |= OptB(etoAutoSearch);
  Show(list.get());
  list->Items(0)->Expand(true);
  EXPECT_EQ(list->ShownCount(), kDepth + 2);

  // Typing searches down the chain; Ctrl+Return goes on to the deepest
  // node, and on from there wraps round to the top.
  QTest::keyClick(list.get(), Qt::Key_Home);
  EXPECT_EQ(Focused(), QStringLiteral("n1"));
  QTest::keyClicks(list.get(), QStringLiteral("n30000"));
  EXPECT_EQ(Focused(), QStringLiteral("n30000"));
  QTest::keyClick(list.get(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  EXPECT_EQ(Current(), QStringLiteral("n300000"));
  QTest::keyClick(list.get(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(Focused(), QStringLiteral("n30000"));
  QTest::keyClick(list.get(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  QTest::keyClick(list.get(), Qt::Key_Escape);

  // The deepest row painted at the top, its indent far past the window.
  list->SetTopVisibleNode(list->FocusedNode());
  EXPECT_FALSE(list->grab().isNull());

  // Sorted by the name column, descending then ascending.
  list->OptionsBehavior |= OptB(etoAutoSort);
  list->Columns(0)->SetSorted(csDown);
  EXPECT_EQ(MiddleChildren(), QStringLiteral("x n150001 a"));
  list->Columns(0)->SetSorted(csUp);
  EXPECT_EQ(MiddleChildren(), QStringLiteral("a n150001 x"));
  EXPECT_EQ(ChainFault(), QString());

  // Walked with the keyboard: End is the last row (x, below the whole
  // chain), Left the row above it (the deepest node), Left again its
  // parent, and the record set follows; collapsing the root from there
  // brings the focus up to it.
  QTest::keyClick(list.get(), Qt::Key_End);
  EXPECT_EQ(Focused(), QStringLiteral("x"));
  QTest::keyClick(list.get(), Qt::Key_Left);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  QTest::keyClick(list.get(), Qt::Key_Left);
  EXPECT_EQ(Focused(), QStringLiteral("n299999"));
  EXPECT_EQ(Current(), QStringLiteral("n299999"));
  list->Items(0)->Collapse(false);
  EXPECT_EQ(Focused(), QStringLiteral("n1"));
  EXPECT_EQ(list->ShownCount(), 1);

  // The record set moves to the deepest record: the branch opens down to it.
  query.Locate(QStringLiteral("id"), kDepth);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  EXPECT_TRUE(list->FocusedNode()->IsShown());

  // Closed with the whole chain held aside, then destroyed.
  query.Close();
  list.reset();
  // A second list destroyed while it shows the whole chain.
  query.Open();
  list = MakeList(6);
  EXPECT_EQ(ChainFault(), QString());
  list->Items(0)->Expand(true);
  list.reset();
}

// Loading level by level: the record set moving to the deepest record
// reads every level down to it, and so does a reopen.
TEST_F(DeepChain, LoadedOnDemandTheDeepestRecordIsReadDownToAndReopened) {
  OpenChain();
  list->OptionsDB &= ~OptDB(etoLoadAllRecords);
  list->SetDataSource(nullptr);
  list->SetDataSource(&source);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Items(0)->Count(), 0) << "the first level only";

  query.Locate(QStringLiteral("id"), kDepth);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  EXPECT_EQ(list->FocusedNode()->Level(), kDepth - 1);
  EXPECT_TRUE(list->FocusedNode()->IsShown());
  EXPECT_EQ(MiddleChildren(), QStringLiteral("n150001 x a"));

  query.Close();
  EXPECT_EQ(list->Count(), 0);
  query.Open();
  query.Locate(QStringLiteral("id"), kDepth);
  EXPECT_EQ(Focused(), QStringLiteral("n300000"));
  EXPECT_EQ(list->FocusedNode()->Level(), kDepth - 1);

  list->Items(0)->Collapse(true);
  EXPECT_EQ(Focused(), QStringLiteral("n1"));
  EXPECT_EQ(Current(), QStringLiteral("n1"));
  list.reset();
}

}  // namespace

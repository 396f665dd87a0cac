#include <gtest/gtest.h>

#include <QDateTime>
#include <vector>

#include "tests/treelist/tree_fixture.h"

namespace {

// a
//   a1
//     a1x
//   a2
// b
//   b1
// c
struct SmallTree : TreeFixture {
  explicit SmallTree(int rows = 5) : TreeFixture(rows) {
    a = Node("a");
    a1 = Node("a1", a);
    a1x = Node("a1x", a1);
    a2 = Node("a2", a);
    b = Node("b");
    b1 = Node("b1", b);
    c = Node("c");
  }
  QString Walk(TtlTreeListNode* start, TtlTreeListNode* (TtlTreeListNode::*step)() const) {
    QStringList names;
    for (TtlTreeListNode* n = start; n; n = (n->*step)()) names << NameOf(n);
    return names.join(' ');
  }
  TtlTreeListNode *a, *a1, *a1x, *a2, *b, *b1, *c;
};

TEST(TreeListNode, CreatingANodeWithoutOwnerRaises) {
  try {
    TtlTreeListTextNode node(nullptr);
    FAIL() << "no exception";
  } catch (const EInvalidTreeListOperation& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Invalid Owner TtlTreeListNode"));
  }
}

TEST(TreeListNode, WalksTheTreeInAllOrders) {
  SmallTree t;
  EXPECT_EQ(t.Walk(t.a, &TtlTreeListNode::NextInTree), "a a1 a1x a2 b b1 c");
  EXPECT_EQ(t.Walk(t.c, &TtlTreeListNode::PrevInTree), "c b1 b a2 a1x a1 a");
  // Nothing is expanded: only the roots are visible.
  EXPECT_EQ(t.Walk(t.a, &TtlTreeListNode::NextVisible), "a b c");
  t.a->SetExpanded(true);
  EXPECT_EQ(t.Walk(t.a, &TtlTreeListNode::NextVisible), "a a1 a2 b c");
  EXPECT_EQ(t.Walk(t.c, &TtlTreeListNode::PrevVisible), "c b a2 a1 a");
  t.a1->SetExpanded(true);
  EXPECT_EQ(t.Walk(t.b, &TtlTreeListNode::PrevVisible), "b a2 a1x a1 a");

  EXPECT_EQ(t.a1x->Level(), 2);
  EXPECT_EQ(t.a2->Index(), 1);
  EXPECT_TRUE(t.a2->IsLast());
  EXPECT_FALSE(t.a1->IsLast());
  EXPECT_TRUE(t.a1x->HasAsParent(t.a));
  EXPECT_FALSE(t.a->HasAsParent(t.a1x));
  EXPECT_EQ(t.a->Items(2), nullptr);
  EXPECT_EQ(t.a->Items(-1), nullptr);
  EXPECT_EQ(t.b1->FirstChild(), nullptr);
  EXPECT_EQ(t.b1->Count(), 0);
}

TEST(TreeListNode, VisibleIndexesFollowExpansion) {
  SmallTree t;
  EXPECT_EQ(t.list->ShownCount(), 3);
  EXPECT_EQ(t.list->VisibleIndexOf(t.a1), -1);
  t.a->Expand(true);
  EXPECT_EQ(t.list->ShownCount(), 6);
  EXPECT_EQ(t.list->VisibleIndexOf(t.a1x), 2);
  EXPECT_EQ(t.list->VisibleIndexOf(t.c), 5);
  EXPECT_EQ(t.list->NodeAtVisibleIndex(3), t.a2);
  EXPECT_EQ(t.list->NodeAtVisibleIndex(6), nullptr);
  EXPECT_EQ(t.list->VisibleIndexOf(t.b1), -1);

  t.list->FocusVisibleIndex(100);  // clamped to the last row
  EXPECT_EQ(t.list->FocusedNode(), t.c);
  t.list->FocusVisibleIndex(-4);
  EXPECT_EQ(t.list->FocusedNode(), t.a);
}

TEST(TreeListNode, FirstNodeBecomesTopAndFocusedWithoutChangeEvent) {
  TreeFixture f;
  int topChanges = 0, nodeChanges = 0;
  f.list->OnChangeTopVisibleNode = [&](TObject*) { ++topChanges; };
  f.list->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) { ++nodeChanges; };
  TtlTreeListNode* first = f.Node("first");
  f.Node("second");
  EXPECT_EQ(f.list->TopVisibleNode(), first);
  EXPECT_EQ(f.list->FocusedNode(), first);
  EXPECT_EQ(topChanges, 1);
  EXPECT_EQ(nodeChanges, 0);
}

TEST(TreeListNode, DeletingTheLastChildRemovesTheButton) {
  SmallTree t;
  t.b->SetExpanded(true);
  ASSERT_TRUE(t.b->IsExpanded());
  t.b1->Delete();
  EXPECT_FALSE(t.b->HasChildren());
  EXPECT_FALSE(t.b->IsExpanded());
  EXPECT_EQ(t.b->Count(), 0);
  // Expanding a node without children is ignored.
  t.b->SetExpanded(true);
  EXPECT_FALSE(t.b->IsExpanded());
}

// Data-aware nodes may carry a button before their children are loaded; once
// children came and went, the button follows the children alone.
class DBNodeTreeList : public TestTreeList {
 public:
  using TestTreeList::TestTreeList;

 protected:
  TtlTreeListNode* CreateNode() override { return new TtlDBTreeListNode(this); }
};

TEST(TreeListNode, DeletingTheLastChildOfADataNodeRemovesItsButton) {
  DBNodeTreeList list;
  TtlTreeListNode* parent = list.Add();
  ASSERT_NE(dynamic_cast<TtlDBTreeListNode*>(parent), nullptr);
  parent->SetHasChildren(true);  // children not loaded yet
  EXPECT_TRUE(parent->HasChildren());
  TtlTreeListNode* child = parent->AddChild();
  auto* data = dynamic_cast<TtlDBTreeListNode*>(child);
  data->EnsureVariantData(1).value = 42;
  child->Delete();
  EXPECT_FALSE(parent->HasChildren());
}

TEST(TreeListNode, CollapsingAnAncestorOfTheFocusedNodeMovesTheFocus) {
  SmallTree t(2);
  t.a->Expand(true);
  std::vector<std::pair<QString, QString>> changes;
  t.list->OnChangeNode = [&](TObject*, TtlTreeListNode* oldNode, TtlTreeListNode* node) {
    changes.emplace_back(SmallTree::NameOf(oldNode), SmallTree::NameOf(node));
  };
  t.list->SetFocusedNode(t.a1x, 0, false);
  t.list->SetTopIndex(2);  // a1x at the top
  ASSERT_EQ(t.list->TopVisibleNode(), t.a1x);
  t.a->SetExpanded(false);
  EXPECT_EQ(t.list->FocusedNode(), t.a);
  EXPECT_EQ(t.list->TopVisibleNode(), t.a);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[1], std::make_pair(QStringLiteral("a1x"), QStringLiteral("a")));
}

TEST(TreeListNode, CollapseIsAbandonedWhenTheAncestorCannotTakeTheFocus) {
  SmallTree t;
  t.a->Expand(false);
  t.list->SetFocusedNode(t.a2, 0, false);
  t.list->refuseFocus = t.a;
  bool collapsed = false;
  t.list->OnCollapsed = [&](TObject*, TtlTreeListNode*) { collapsed = true; };
  t.a->SetExpanded(false);
  EXPECT_TRUE(t.a->IsExpanded());
  EXPECT_EQ(t.list->FocusedNode(), t.a2);
  EXPECT_FALSE(collapsed);
}

TEST(TreeListNode, ExpandingAsksAndReports) {
  SmallTree t;
  QStringList log;
  bool allow = false;
  t.list->OnExpanding = [&](TObject*, TtlTreeListNode* n, bool& a) {
    log << "expanding " + SmallTree::NameOf(n);
    a = allow;
  };
  t.list->OnExpanded = [&](TObject*, TtlTreeListNode* n) { log << "expanded " + SmallTree::NameOf(n); };
  t.b->SetExpanded(true);
  EXPECT_FALSE(t.b->IsExpanded());
  allow = true;
  t.b->SetExpanded(true);
  EXPECT_TRUE(t.b->IsExpanded());
  t.b->SetExpanded(true);  // already expanded: not asked again
  EXPECT_EQ(log.join(", "), "expanding b, expanding b, expanded b");
}

// Which node holds the focus after deleting the focused one.
TEST(TreeListNode, DeletingTheFocusedNodeFocusesANeighbour) {
  struct Case {
    const char* expand;   // node expanded first, or ""
    const char* focused;  // deleted node
    const char* expected;
  } cases[] = {
      {"", "a", "b"},       // next visible root
      {"a", "a1", "a2"},    // next visible sibling
      {"a", "a2", "b"},     // next visible is the parent's sibling
      {"b", "b1", "c"},
      {"", "c", "b"},       // last visible: previous sibling
      {"b", "c", "b"},      // previous sibling, not its visible child
  };
  for (const Case& k : cases) {
    SmallTree t;
    std::map<QString, TtlTreeListNode*> byName{{"a", t.a}, {"a1", t.a1}, {"a2", t.a2},
                                               {"b", t.b}, {"b1", t.b1}, {"c", t.c}};
    if (*k.expand) byName[k.expand]->SetExpanded(true);
    t.list->SetFocusedNode(byName[k.focused], 0, false);
    byName[k.focused]->Delete();
    EXPECT_EQ(SmallTree::NameOf(t.list->FocusedNode()), k.expected) << "deleted " << k.focused;
  }
}

TEST(TreeListNode, DeletingTheLastChildFocusesTheParent) {
  SmallTree t;
  t.b->SetExpanded(true);
  t.c->Delete();
  t.list->SetFocusedNode(t.b1, 0, false);
  t.b1->Delete();
  EXPECT_EQ(t.list->FocusedNode(), t.b);
}

TEST(TreeListNode, DeletingTheTopNodeMovesTheTopToTheNextElseThePrevious) {
  {
    TreeFixture f(2);
    std::vector<TtlTreeListNode*> roots;
    for (int i = 0; i < 10; ++i) roots.push_back(f.Node(QString::number(i)));
    f.list->SetTopIndex(3);
    ASSERT_EQ(f.list->TopVisibleNode(), roots[3]);
    roots[3]->Delete();
    EXPECT_EQ(f.list->TopVisibleNode(), roots[4]);
  }
  {
    TreeFixture f(1);  // one row: the last node can be the top
    std::vector<TtlTreeListNode*> roots;
    for (int i = 0; i < 5; ++i) roots.push_back(f.Node(QString::number(i)));
    f.list->SetTopIndex(4);
    ASSERT_EQ(f.list->TopVisibleNode(), roots[4]);
    roots[4]->Delete();
    EXPECT_EQ(f.list->TopVisibleNode(), roots[3]);
  }
  {
    // A top carried past the end by a deletion is pulled back.
    TreeFixture f(2);
    std::vector<TtlTreeListNode*> roots;
    for (int i = 0; i < 5; ++i) roots.push_back(f.Node(QString::number(i)));
    f.list->SetTopIndex(3);
    roots[3]->Delete();
    EXPECT_EQ(f.list->TopVisibleNode(), roots[2]);
  }
}

TEST(TreeListNode, DeletingEveryNodeClearsFocusAndTop) {
  {
    SmallTree t;
    t.a->Expand(true);
    t.list->SetFocusedNode(t.a1x, 0, true);
    for (TtlTreeListNode* n : {t.b, t.a, t.c}) n->Delete();
    EXPECT_EQ(t.list->FocusedNode(), nullptr);
    EXPECT_EQ(t.list->TopVisibleNode(), nullptr);
    EXPECT_EQ(t.list->ShownCount(), 0);
  }
  {
    SmallTree t;
    t.list->SetFocusedNode(t.b, 0, false);
    QStringList deleted;
    t.list->OnDeletion = [&](TObject*, TtlTreeListNode* n) { deleted << SmallTree::NameOf(n); };
    t.list->ClearNodes();
    EXPECT_EQ(t.list->FocusedNode(), nullptr);
    EXPECT_EQ(t.list->TopVisibleNode(), nullptr);
    EXPECT_EQ(t.list->Count(), 0);
    deleted.sort();
    EXPECT_EQ(deleted.join(' '), "a a1 a1x a2 b b1 c");
    // The list is usable again afterwards.
    TtlTreeListNode* n = t.Node("new");
    EXPECT_EQ(t.list->FocusedNode(), n);
  }
}

TEST(TreeListNode, MakeNodeVisibleScrollsAboveAndBelowTheWindow) {
  TreeFixture f(5);  // five rows fit
  std::vector<TtlTreeListNode*> roots;
  for (int i = 0; i < 20; ++i) roots.push_back(f.Node(QString::number(i)));
  EXPECT_EQ(f.list->RowsFit(), 5);
  f.list->MakeNodeVisible(roots[12]);
  EXPECT_EQ(f.list->TopIndex(), 8);  // the node is the last full row
  f.list->MakeNodeVisible(roots[10]);
  EXPECT_EQ(f.list->TopIndex(), 8);  // inside the window: nothing scrolls
  f.list->MakeNodeVisible(roots[3]);
  EXPECT_EQ(f.list->TopIndex(), 3);  // above: becomes the top row

  // A hidden node's ancestors are expanded first.
  TtlTreeListNode* child = f.Node("child", roots[18]);
  f.list->MakeNodeVisible(child);
  EXPECT_TRUE(roots[18]->IsExpanded());
  const int index = f.list->VisibleIndexOf(child);
  EXPECT_EQ(index, 19);
  EXPECT_EQ(f.list->TopIndex(), index - 4);
}

TEST(TreeListNode, CollapsingNearTheEndKeepsTheLastNodeAtTheBottom) {
  TreeFixture f(5);
  for (int i = 0; i < 10; ++i) f.Node(QString::number(i));
  TtlTreeListNode* parent = f.Node("parent");
  for (int i = 0; i < 3; ++i) f.Node("child", parent);
  parent->SetExpanded(true);
  f.list->SetTopIndex(100);
  ASSERT_EQ(f.list->TopIndex(), 14 - 5);  // row "9", above the parent
  parent->SetExpanded(false);
  EXPECT_EQ(f.list->TopIndex(), 11 - 5);
  EXPECT_EQ(f.list->VertScrollBar()->Position(), 11 - 5);
}

TEST(TreeListNode, FocusWithMakeVisibleScrollsAndReportsOnce) {
  TreeFixture f(5);
  std::vector<TtlTreeListNode*> roots;
  for (int i = 0; i < 20; ++i) roots.push_back(f.Node(QString::number(i)));
  int changes = 0;
  f.list->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) { ++changes; };
  f.list->SetFocusedNode(roots[15], 0, true);
  EXPECT_EQ(f.list->TopIndex(), 11);
  f.list->SetFocusedNode(roots[15], 0, true);
  EXPECT_EQ(changes, 1);
}

TEST(TreeListNode, FocusWhileLockedTakesEffectOnUnlock) {
  SmallTree t;
  int changes = 0;
  t.list->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) { ++changes; };
  t.list->LockUpdates();
  t.list->LockUpdates();
  t.list->SetFocusedNode(t.c, 0, false);
  EXPECT_EQ(t.list->FocusedNode(), t.a);
  t.list->UnlockUpdates();
  EXPECT_EQ(t.list->FocusedNode(), t.a);
  t.list->UnlockUpdates();
  EXPECT_EQ(t.list->FocusedNode(), t.c);
  EXPECT_EQ(changes, 1);
}

TEST(TreeListNode, RememberedFocusNeverOutlivesItsNode) {
  SmallTree t;
  t.list->LockUpdates();
  t.list->SetFocusedNode(t.c, 0, false);
  t.c->Delete();
  t.list->UnlockUpdates();
  EXPECT_EQ(t.list->FocusedNode(), t.b);
}

TEST(TreeListNode, MoveIntoOwnSubtreeOrOntoItselfIsRefused) {
  SmallTree t;
  t.a->MoveTo(t.a1x, natlAddChild);
  t.a->MoveTo(t.a1, natlInsert);
  t.a->MoveTo(t.a, natlAddChild);
  t.a->MoveTo(nullptr, natlAdd);
  EXPECT_EQ(t.Walk(t.a, &TtlTreeListNode::NextInTree), "a a1 a1x a2 b b1 c");
  EXPECT_EQ(t.a->Parent(), nullptr);
}

TEST(TreeListNode, MoveAttachesByMode) {
  struct Case {
    TtlTreeListNodeAttachMode mode;
    const char* target;
    const char* order;  // whole tree after moving c
  } cases[] = {
      {natlAdd, "a1", "a a1 a1x a2 c b b1"},
      {natlAddFirst, "a2", "a c a1 a1x a2 b b1"},
      {natlAddChild, "a1", "a a1 a1x c a2 b b1"},
      {natlAddChildFirst, "b", "a a1 a1x a2 b c b1"},
      {natlInsert, "b", "a a1 a1x a2 c b b1"},
      {natlAdd, "c", "a a1 a1x a2 b b1 c"},
  };
  for (const Case& k : cases) {
    SmallTree t;
    std::map<QString, TtlTreeListNode*> byName{{"a1", t.a1}, {"a2", t.a2}, {"b", t.b}, {"c", t.c}};
    t.c->MoveTo(byName[k.target], k.mode);
    EXPECT_EQ(t.Walk(t.a, &TtlTreeListNode::NextInTree), k.order) << k.target << " " << k.mode;
    // The moved node is made visible.
    EXPECT_TRUE(t.c->IsShown()) << k.target;
  }
}

TEST(TreeListNode, MovingTheOnlyChildAwayCollapsesTheParent) {
  SmallTree t;
  t.b->SetExpanded(true);
  t.b1->MoveTo(t.c, natlAddChild);
  EXPECT_FALSE(t.b->HasChildren());
  EXPECT_FALSE(t.b->IsExpanded());
  EXPECT_TRUE(t.c->HasChildren());
  EXPECT_TRUE(t.c->IsExpanded());
}

TEST(TreeListNode, ComparesPositions) {
  SmallTree t;
  EXPECT_LT(CompareNodePositions(t.a, t.a1x), 0);   // ancestor first
  EXPECT_GT(CompareNodePositions(t.a1x, t.a), 0);
  EXPECT_LT(CompareNodePositions(t.a1x, t.a2), 0);  // raised to a common parent
  EXPECT_GT(CompareNodePositions(t.b1, t.a1x), 0);
  EXPECT_EQ(CompareNodePositions(t.c, t.c), 0);
}

TEST(VarCompare, OrdersVariants) {
  struct Case {
    QVariant a, b;
    int expected;
  } cases[] = {
      {QVariant(), QVariant(), 0},
      {QVariant(), QVariant(1), -1},
      {QVariant(1), QVariant(), 1},
      {QVariant(2), QVariant(10), -1},           // numerically, not as text
      {QVariant(10), QVariant(2.5), 1},
      {QVariant(qlonglong(1) << 40), QVariant(1), 1},
      {QVariant("b"), QVariant("a"), 1},
      {QVariant("B"), QVariant("a"), -1},        // by character codes
      {QVariant("abc"), QVariant("abc"), 0},
      {QVariant(QDateTime(QDate(2020, 1, 2), QTime())), QVariant(QDateTime(QDate(2020, 1, 1), QTime())), 1},
      {QVariant(QStringList{"x"}), QVariant(3), -1},  // cannot be ordered: less
      {QVariant(3), QVariant(QStringList{"x"}), -1},
  };
  for (const Case& k : cases)
    EXPECT_EQ(VarCompare(k.a, k.b), k.expected) << k.a.toString().toStdString() << " vs "
                                                << k.b.toString().toStdString();
}

}  // namespace

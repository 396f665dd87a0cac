// Event handlers that do what users' handlers do (delete or reload nodes,
// reopen the record set, throw) never leave the control holding a destroyed
// node or a freed field.

#include <QTest>
#include <functional>
#include <stdexcept>

#include "tests/treelist/db_tree_fixture.h"
#include "tests/treelist/tree_fixture.h"

namespace {

// Every node of the forest, in tree order.
std::vector<TtlTreeListNode*> AllNodes(TtlCustomTreeList* list) {
  std::vector<TtlTreeListNode*> nodes, stack;
  for (int i = list->Count() - 1; i >= 0; --i) stack.push_back(list->Items(i));
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    nodes.push_back(n);
    for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
  }
  return nodes;
}

bool InTree(TtlCustomTreeList* list, const TtlTreeListNode* node) {
  const auto nodes = AllNodes(list);
  return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
}

TEST(HandlerSafety, ADeletionHandlerDeletingTheNextNodeLeavesTheFocusOnALiveNode) {
  TreeFixture f;
  TtlTreeListNode* a = f.Node(QStringLiteral("a"));
  TtlTreeListNode* b = f.Node(QStringLiteral("b"));
  TtlTreeListNode* c = f.Node(QStringLiteral("c"));
  f.list->SetFocusedNode(b, 0, true);
  f.list->SetTopVisibleNode(b);
  f.list->OnDeletion = [&](TObject*, TtlTreeListNode* n) {
    if (n == b) c->Delete();  // the node chosen to take the focus
  };
  b->Delete();
  EXPECT_EQ(f.list->FocusedNode(), a);
  EXPECT_EQ(f.list->TopVisibleNode(), a);
  EXPECT_EQ(f.list->Count(), 1);
}

TEST(HandlerSafety, FocusRequestedWhileClearingIsDroppedWithItsNode) {
  TreeFixture f;
  TtlTreeListNode* a = f.Node(QStringLiteral("a"));
  f.Node(QStringLiteral("b"));
  f.list->OnDeletion = [&](TObject*, TtlTreeListNode* n) {
    if (n != a) f.list->SetFocusedNode(a, 0, true);  // a dies right after
  };
  f.list->ClearNodes();
  EXPECT_EQ(f.list->FocusedNode(), nullptr);
  EXPECT_EQ(f.list->TopVisibleNode(), nullptr);
  f.list->OnDeletion = nullptr;
  TtlTreeListNode* fresh = f.Node(QStringLiteral("fresh"));
  EXPECT_EQ(f.list->FocusedNode(), fresh);
}

TEST(HandlerSafety, DeletingAChainOfThreeHundredThousandLevelsNeedsNoDeepStack) {
  TreeFixture f;
  f.list->LockUpdates();
  TtlTreeListNode* root = f.Node(QStringLiteral("root"));
  TtlTreeListNode* n = root;
  for (int i = 0; i < 300000; ++i) n = n->AddChild();
  f.list->UnlockUpdates();
  EXPECT_EQ(n->Level(), 300000);
  int deletions = 0;
  f.list->OnDeletion = [&](TObject*, TtlTreeListNode*) { ++deletions; };
  root->Delete();
  EXPECT_EQ(deletions, 300001);
  EXPECT_EQ(f.list->Count(), 0);
  EXPECT_EQ(f.list->FocusedNode(), nullptr);
  // Expanding and collapsing a deep branch walks it without recursion too.
  f.list->LockUpdates();
  root = f.Node(QStringLiteral("root"));
  n = root;
  for (int i = 0; i < 300000; ++i) n = n->AddChild();
  f.list->UnlockUpdates();
  root->Expand(true);
  EXPECT_TRUE(n->IsShown());
  root->Collapse(true);
  EXPECT_FALSE(n->Parent()->IsExpanded());
  f.list->ClearNodes();
  EXPECT_EQ(f.list->Count(), 0);
}

// ---------------------------------------------------------------------------

const char kFlat[] = "(1,null,'a',1),(2,null,'b',2),(3,2,'b1',3),(4,null,'c',4),(5,4,'c1',5)";

TEST_F(DbTreeTest, ShiftDownWithAHandlerThatReopensTheQuerySelectsOnlyLiveNodes) {
  Open(QString::fromLatin1(kFlat));
  list->SetMultiSelect(true);
  Show(list.get());
  bool reopened = false;
  list->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) {
    if (reopened) return;
    reopened = true;
    const int recNo = query.RecNo();
    query.Close();
    query.Open();
    query.SetRecNo(recNo);
  };
  QTest::keyClick(list.get(), Qt::Key_Down, Qt::ShiftModifier);
  ASSERT_TRUE(reopened);
  EXPECT_TRUE(InTree(list.get(), list->FocusedNode()));
  int selected = 0;
  for (TtlTreeListNode* n : AllNodes(list.get())) selected += list->IsNodeSelected(n) ? 1 : 0;
  EXPECT_EQ(list->SelectedCount(), selected) << "the selection holds a destroyed node";
  EXPECT_EQ(Focused(), Current());
}

TEST_F(DbTreeTest, ColumnsNeverHoldAFieldOfAReloadedOrDestroyedRecordSet) {
  Open(QString::fromLatin1(kFlat));
  auto* ord = list->CreateColumnOf<TtlDBTreeListColumn>();
  ord->SetFieldName(QStringLiteral("ord"));
  auto* name = static_cast<TtlDBTreeListColumn*>(list->Columns(0));
  list->SetOptionView(etoRowAutoHeight, true);
  Show(list.get());
  TtlColumnField* const ordField = ord->Field();
  ASSERT_NE(ordField, nullptr);
  // A column's handler reading another column during every reload.
  int reads = 0;
  name->OnChange = [&](TObject*) {
    ++reads;
    EXPECT_TRUE(ord->Field() == nullptr || ord->Field() == list->FindColumnField(QStringLiteral("ord")));
    EXPECT_FALSE(ord->Caption().isEmpty());
  };
  Node(QStringLiteral("b"))->SetExpanded(true);
  list->SetFocusedNode(Node(QStringLiteral("b1")), 0, true);
  Node(QStringLiteral("b"))->SetExpanded(false);
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("b*"));
  query.Post();
  list->grab();
  EXPECT_EQ(ord->Field(), ordField) << "the same field stays bound across reloads";
  Q_UNUSED(reads);

  // A record set destroyed without closing takes its fields along.
  auto other = std::make_unique<TADOQuery>();
  other->SetConnection(&con);
  other->SQL()->Add(QStringLiteral("select * from nodes order by ord"));
  source.SetDataSet(other.get());
  other->Open();
  ASSERT_NE(ord->Field(), nullptr);
  EXPECT_EQ(list->Count(), 3);
  other.reset();
  EXPECT_EQ(ord->Field(), nullptr);
  EXPECT_EQ(name->Field(), nullptr);
  EXPECT_EQ(ord->Caption(), QStringLiteral("ord"));
  EXPECT_EQ(list->Count(), 0);
  list->grab();
}

TEST_F(DbTreeTest, AReopenWhileUpdatesAreLockedIsCaughtUpOnTheLastUnlock) {
  Open(QString::fromLatin1(kFlat));
  list->LockUpdates();
  list->LockUpdates();
  query.Close();
  con.Execute(QStringLiteral("insert into nodes values (6,null,'d',6)"));
  query.Open();
  list->UnlockUpdates();
  EXPECT_EQ(Shape(), QStringLiteral("a b(b1) c(c1)")) << "still locked";
  list->UnlockUpdates();
  EXPECT_EQ(Shape(), QStringLiteral("a b(b1) c(c1) d"));
  EXPECT_EQ(Focused(), Current());

  // A new statement without the key column: nothing of the old fields is
  // used meanwhile, and the tree ends empty.
  list->LockUpdates();
  query.Close();
  query.SQL()->Clear();
  query.SQL()->Add(QStringLiteral("select par, name, ord from nodes order by ord"));
  query.Open();
  query.Next();
  list->grab();
  list->UnlockUpdates();
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(DbTreeTest, AHandlerThrowingDuringAReloadLeavesTheFocusFollowingTheRecord) {
  Open(QString::fromLatin1(kFlat));
  list->ClearNodes();  // the next record has no node: following it reloads
  bool thrown = false;
  list->OnChangeTopVisibleNode = [&](TObject*) {
    if (thrown) return;
    thrown = true;
    throw std::runtime_error("handler failed");
  };
  EXPECT_ANY_THROW(query.Next());
  list->OnChangeTopVisibleNode = nullptr;
  ASSERT_TRUE(thrown);
  query.Last();
  EXPECT_EQ(Focused(), Current());
  query.Prior();
  EXPECT_EQ(Focused(), Current());
}

TEST_F(DbTreeTest, ClosingAQueryOverAChainOfThreeHundredThousandLevelsNeedsNoDeepStack) {
  Open(QStringLiteral("(1,null,'n1',1)"), 6, QStringLiteral("integer"),
       QStringLiteral("with recursive c(i) as (select 2 union all select i+1 from c where i<300000) "
                      "insert into nodes select i, i-1, 'n'||i, i from c;"));
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(Focused(), QStringLiteral("n1"));
  query.Close();
  EXPECT_EQ(list->Count(), 0);
}

// Parent values are looked up with the equality of the variant comparison.
class ParentTypes : public DbTreeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ParentTypes, AWholeNumberKeyFindsItsParentValue) {
  const QString parType = QString::fromLatin1(GetParam());
  const QString two = parType == QStringLiteral("real") ? QStringLiteral("2.0") : QStringLiteral("'2'");
  Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2),(3,%1,'b1',3),(4,%1,'b2',4)").arg(two), 6, parType);
  EXPECT_EQ(Shape(), QStringLiteral("a b(b1, b2)"));
  list->SetFocusedNode(Node(QStringLiteral("b2")), 0, true);
  EXPECT_EQ(Current(), QStringLiteral("b2"));
}

INSTANTIATE_TEST_SUITE_P(Types, ParentTypes, ::testing::Values("real", "varchar(10)"));

}  // namespace

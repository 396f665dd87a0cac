// The data-aware tree list over the real record set layer: building the tree
// from key and parent fields, following the current record both ways,
// reloading, deleting.

#include <functional>
#include <map>
#include <QLineEdit>

#include "tests/treelist/db_tree_fixture.h"

namespace {

struct ShapeCase {
  const char* what;
  const char* rows;
  const char* shape;
};

class DbTreeShape : public DbTreeTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(DbTreeShape, BuildsTheForestAndFocusesTheCurrentRecord) {
  Open(QString::fromUtf8(GetParam().rows));
  EXPECT_EQ(Shape(), QString::fromUtf8(GetParam().shape)) << GetParam().what;
  // The cursor is on the first row after opening; its node is the focused one
  // even when that row is a child read before its parent.
  ASSERT_NE(list->FocusedNode(), nullptr);
  EXPECT_EQ(Focused(), Current()) << GetParam().what;
  EXPECT_TRUE(list->FocusedNode()->IsShown()) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Records, DbTreeShape,
    ::testing::Values(
        ShapeCase{"plain order", "(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,1,'d',4)", "a(b(c), d)"},
        ShapeCase{"child before its parent",
                  "(3,2,'c',1),(1,null,'a',2),(2,1,'b',3)", "a(b(c))"},
        ShapeCase{"children before their parent come after its other children, last read first",
                  "(2,1,'b',1),(3,1,'c',2),(1,null,'a',3),(4,1,'d',4)", "a(d, c, b)"},
        ShapeCase{"null and dangling parents are roots",
                  "(1,null,'a',1),(2,99,'b',2),(3,1,'c',3),(4,null,'d',4)", "a(c) b d"},
        ShapeCase{"a two-node cycle is broken at the node read first",
                  "(1,2,'a',1),(2,1,'b',2)", "a(b)"},
        ShapeCase{"children not consecutive in the record set",
                  "(1,null,'a',1),(2,1,'b',2),(5,null,'e',3),(3,1,'c',4),(4,5,'d',5),(6,1,'f',6)",
                  "a(b, c, f) e(d)"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(DbTreeTest, MissingKeyOrParentFieldLeavesTheTreeEmpty) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2)"));
  list->SetKeyField(QStringLiteral("nope"));
  EXPECT_EQ(list->Count(), 0);
  list->SetKeyField(QStringLiteral("id"));
  EXPECT_EQ(Shape(), QStringLiteral("a(b)"));
  list->SetParentField(QStringLiteral("nope"));
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(DbTreeTest, NothingLoadsWhileTheFormIsReadAndItsEndLoads) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2)"));
  query.Close();
  list->BeginLoading();
  query.Open();
  EXPECT_EQ(list->Count(), 0);
  list->EndLoading();
  EXPECT_EQ(Shape(), QStringLiteral("a(b)"));
  EXPECT_EQ(Focused(), QStringLiteral("a"));
}

TEST_F(DbTreeTest, RecordSetMovesFocusTheNodeExpandingAndScrollingToIt) {
  // A root with a deep branch and many siblings; three rows are shown.
  Open(QStringLiteral("(1,null,'r',1),(2,1,'s1',2),(3,1,'s2',3),(4,1,'s3',4),(5,1,'s4',5),"
                      "(6,5,'t1',6),(7,6,'u1',7),(8,null,'z',8)"),
       3);
  EXPECT_EQ(Focused(), QStringLiteral("r"));
  EXPECT_FALSE(Node(QStringLiteral("r"))->IsExpanded());
  int changes = 0;
  list->OnChangeNodeEx = [&](TObject*) { ++changes; };

  query.SetRecNo(7);  // u1, inside three collapsed levels
  EXPECT_EQ(Focused(), QStringLiteral("u1"));
  EXPECT_TRUE(Node(QStringLiteral("r"))->IsExpanded());
  EXPECT_TRUE(Node(QStringLiteral("s4"))->IsExpanded());
  EXPECT_TRUE(Node(QStringLiteral("t1"))->IsExpanded());
  EXPECT_FALSE(list->RowRect(list->FocusedNode()).IsEmpty()) << "scrolled into view";

  query.Prior();
  EXPECT_EQ(Focused(), QStringLiteral("t1"));
  query.First();
  EXPECT_EQ(Focused(), QStringLiteral("r"));
  EXPECT_FALSE(list->RowRect(list->FocusedNode()).IsEmpty());
  query.Last();
  EXPECT_EQ(Focused(), QStringLiteral("z"));
  EXPECT_FALSE(list->RowRect(list->FocusedNode()).IsEmpty());
  query.Next();  // at the end already: nothing moves
  EXPECT_EQ(Focused(), QStringLiteral("z"));
  EXPECT_GE(changes, 4);
}

TEST_F(DbTreeTest, ReopenThenRecordNumberKeepsTheRecordFocusedWithOnlyItsAncestorsOpen) {
  Open(QStringLiteral("(1,null,'r',1),(2,1,'a',2),(3,2,'a1',3),(4,1,'b',4),(5,4,'b1',5),"
                      "(6,null,'q',6),(7,6,'q1',7)"));
  // The user had opened other branches.
  Node(QStringLiteral("q"))->SetExpanded(true);
  Node(QStringLiteral("r"))->Expand(true);
  query.SetRecNo(5);
  ASSERT_EQ(Focused(), QStringLiteral("b1"));

  // What the practice window does after saving an answer.
  const int recNo = query.RecNo();
  query.Close();
  EXPECT_EQ(list->Count(), 0);
  query.Open();
  query.SetRecNo(recNo);

  EXPECT_EQ(Current(), QStringLiteral("b1"));
  EXPECT_EQ(Focused(), QStringLiteral("b1"));
  QStringList expanded;
  for (auto* name : {"r", "a", "b", "q"})
    if (Node(QString::fromLatin1(name))->IsExpanded()) expanded << QString::fromLatin1(name);
  EXPECT_EQ(expanded, QStringList({QStringLiteral("r"), QStringLiteral("b")}));
}

// Closing and reopening reuses the node objects; the tree built must be
// exactly the one a fresh open builds, with nothing of the old nodes left.
struct ReopenCase {
  const char* what;
  const char* changes;  // run on the bank between the close and the open
  const char* shape;
};

class DbTreeReopen : public DbTreeTest, public ::testing::WithParamInterface<ReopenCase> {};

TEST_P(DbTreeReopen, BuildsTheSameTreeAsAFreshOpen) {
  const ReopenCase& c = GetParam();
  Open(QStringLiteral("(1,null,'r',1),(2,1,'a',2),(3,2,'a1',3),(4,1,'b',4),(5,4,'b1',5),"
                      "(6,null,'q',6),(7,6,'q1',7)"));
  // Leave traces on every node: expansion, user data, image, preview, the
  // text of a column the record set does not fill.
  for (int i = 0; i < list->Count(); ++i) list->Items(i)->Expand(true);
  std::map<qint64, TtlTreeListNode*> nodeOfKey;
  for (TtlTreeListNode* n = list->Items(0); n; n = n->NextInTree()) {
    n->userData = 7;
    auto* d = static_cast<TtlDBTreeListNode*>(n);
    d->imageIndex = 3;
    d->SetPreviewText(QStringLiteral("old"));
    d->SetCellText(1, QStringLiteral("old"));
    nodeOfKey[d->keyValue.toLongLong()] = n;
  }
  query.Close();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(list->FocusedNode(), nullptr);
  if (*c.changes) ExecOnBank(path, QString::fromUtf8(c.changes));
  query.Open();

  EXPECT_EQ(Shape(), QString::fromUtf8(c.shape)) << c.what;
  if (list->Count()) EXPECT_EQ(Focused(), Current()) << c.what;
  else EXPECT_EQ(list->FocusedNode(), nullptr) << c.what;
  for (TtlTreeListNode* n = list->Items(0); n; n = n->NextInTree()) {
    SCOPED_TRACE(NameOf(n).toStdString());
    auto* d = static_cast<TtlDBTreeListNode*>(n);
    EXPECT_FALSE(n->IsExpanded());
    EXPECT_EQ(n->userData, 0u);
    EXPECT_EQ(d->imageIndex, 0);
    EXPECT_TRUE(d->PreviewText().isEmpty());
    EXPECT_TRUE(d->CellText(1).isEmpty());
    // A record still there is read into the node that showed it.
    const auto before = nodeOfKey.find(d->keyValue.toLongLong());
    if (before != nodeOfKey.end()) {
      EXPECT_EQ(before->second, n);
    }
    EXPECT_EQ(d->keyValue.toString(),
              Value(QStringLiteral("select id from nodes where name = '%1'").arg(NameOf(n))));
    EXPECT_EQ(d->parentKeyValue.toString(),
              Value(QStringLiteral("select par from nodes where name = '%1'").arg(NameOf(n))));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DbTreeReopen,
    ::testing::Values(
        ReopenCase{"the same rows", "", "r(a(a1), b(b1)) q(q1)"},
        ReopenCase{"renamed rows", "update nodes set name = name || '!'", "r!(a!(a1!), b!(b1!)) q!(q1!)"},
        ReopenCase{"more rows than before",
                   "insert into nodes values (8, 6, 'q2', 8), (9, null, 'z', 9), (10, 9, 'z1', 10)",
                   "r(a(a1), b(b1)) q(q1, q2) z(z1)"},
        ReopenCase{"fewer rows", "delete from nodes where id in (3, 5, 7)", "r(a, b) q"},
        ReopenCase{"other parents and order",
                   "update nodes set par = 6 where id = 4; update nodes set ord = 0 where id = 6",
                   "q(b(b1), q1) r(a(a1))"},
        ReopenCase{"a parent now below its child",
                   "update nodes set par = null where id = 5; update nodes set par = 5 where id = 4",
                   "r(a(a1)) b1(b) q(q1)"},
        ReopenCase{"no rows", "delete from nodes", ""}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(DbTreeTest, ADeletionHandlerHearsOfEveryNodeWhenTheRecordSetCloses) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,null,'c',3)"));
  QStringList heard;
  list->OnDeletion = [&](TObject*, TtlTreeListNode* n) { heard << NameOf(n); };
  query.Close();
  heard.sort();
  EXPECT_EQ(heard, QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
  query.Open();
  EXPECT_EQ(Shape(), QStringLiteral("a(b) c"));
  list->OnDeletion = nullptr;  // `heard` goes before the list
}

TEST_F(DbTreeTest, ReloadKeepsNodesByKeyAndFocusesTheCurrentRecord) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
  query.SetRecNo(3);
  TtlDBTreeListNode* a = Node(QStringLiteral("a"));
  ExecOnBank(path, QStringLiteral("update nodes set name = 'c2' where id = 3;"
                                  "update nodes set par = 1 where id = 4;"
                                  "insert into nodes values (5, 2, 'e', 5);"
                                  "delete from nodes where id = 2;"));
  query.Refresh();
  // b is gone: its kept child c becomes a root once the pass is over, after
  // e (read later, with no parent node to go under); d moved under a.
  EXPECT_EQ(Shape(), QStringLiteral("a(d) e c2"));
  EXPECT_EQ(Node(QStringLiteral("a")), a) << "node objects of remaining keys are kept";
  EXPECT_EQ(Current(), QStringLiteral("c2"));
  EXPECT_EQ(Focused(), QStringLiteral("c2"));
}

TEST_F(DbTreeTest, AReloadPutsTheRecordSetBackWithItsEndFlags) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,null,'c',3)"));
  struct Case {
    const char* name;
    std::function<void()> move;
    int recNo;
    bool bof, eof;
  };
  const Case cases[] = {
      {"after Last", [this] { query.Last(); }, 3, false, true},
      {"after First", [this] { query.First(); }, 1, true, false},
      {"in the middle", [this] { query.SetRecNo(2); }, 2, false, false},
  };
  for (const Case& c : cases) {
    c.move();
    // A change of content makes the tree walk every record and come back.
    query.Edit();
    query.FieldByName(QStringLiteral("name"))->SetAsString(QString::fromLatin1(c.name));
    query.Post();
    EXPECT_EQ(query.RecNo(), c.recNo) << c.name;
    EXPECT_EQ(query.Bof(), c.bof) << c.name;
    EXPECT_EQ(query.Eof(), c.eof) << c.name;
    EXPECT_EQ(Focused(), QString::fromLatin1(c.name));
  }
}

TEST_F(DbTreeTest, FieldChangesRefreshTheFocusedNode) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2)"));
  int refreshed = 0;
  list->OnRefreshNodeData = [&](TObject*, TtlTreeListNode*) { ++refreshed; };
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("a!"));
  EXPECT_EQ(Focused(), QStringLiteral("a!"));
  EXPECT_GE(refreshed, 1);
  EXPECT_EQ(list->PendingNode(), list->FocusedNode());
  query.Cancel();
  EXPECT_EQ(Focused(), QStringLiteral("a"));
}

TEST_F(DbTreeTest, ARemovedColumnTakesItsTextsAlongAndTheOthersStayBound) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2)"));
  auto* first = list->Columns(0);
  auto* ids = list->CreateColumnOf<TtlDBTreeListColumn>();
  ids->SetFieldName(QStringLiteral("id"));
  EXPECT_EQ(ids->CellText(list->FocusedNode()), QStringLiteral("1"));
  delete first;
  ASSERT_EQ(ids->Index(), 0);
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("renamed"));
  EXPECT_EQ(ids->CellText(list->FocusedNode()), QStringLiteral("1"));
  query.Cancel();
}

TEST_F(DbTreeTest, DeletingARecordRemovesItsNodeAndFocusesTheNextRecord) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,1,'c',3)"));
  query.SetRecNo(2);
  query.Delete();
  EXPECT_EQ(Shape(), QStringLiteral("a(c)"));
  EXPECT_EQ(Current(), QStringLiteral("c"));
  EXPECT_EQ(Focused(), QStringLiteral("c"));
}

TEST_F(DbTreeTest, FocusingANodeLocatesItsRecordAndPostsAnEditFirst) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,null,'c',3)"));
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("a2"));
  list->SetFocusedNode(Node(QStringLiteral("c")), 0, true);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(Current(), QStringLiteral("c"));
  EXPECT_EQ(Value(QStringLiteral("select name from nodes where id = 1")), QStringLiteral("a2"));
  EXPECT_EQ(Shape(), QStringLiteral("a2(b) c"));
}

TEST_F(DbTreeTest, TheListIsBusyWhileItMovesTheRecordSet) {
  Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2)"));
  EXPECT_NE(std::find(TtlDBTreeList::Instances().begin(), TtlDBTreeList::Instances().end(),
                      list.get()),
            TtlDBTreeList::Instances().end());
  bool busyDuringMove = false;
  query.AfterScroll = [&](TObject*) { busyDuringMove = TtlDBTreeList::AnyBusyOn(&query); };
  list->SetFocusedNode(Node(QStringLiteral("b")), 0, false);
  EXPECT_EQ(Current(), QStringLiteral("b"));
  EXPECT_TRUE(busyDuringMove);
  EXPECT_FALSE(list->Busy());
  query.First();  // a move of the record set's own: nobody is busy
  EXPECT_FALSE(busyDuringMove);
  EXPECT_EQ(Focused(), QStringLiteral("a"));
}

TEST_F(DbTreeTest, ALocateErrorLeavesTheFocusAndClearsTheBusyFlag) {
  Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2)"));
  query.BeforePost = [](TObject*) { throw EDatabaseError(QStringLiteral("refused")); };
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("x"));
  EXPECT_THROW(list->SetFocusedNode(Node(QStringLiteral("b")), 0, false), EDatabaseError);
  EXPECT_EQ(Focused(), QStringLiteral("x"));
  EXPECT_FALSE(list->Busy());
  query.BeforePost = nullptr;
  query.Cancel();
  list->SetFocusedNode(Node(QStringLiteral("b")), 0, false);
  EXPECT_EQ(Current(), QStringLiteral("b"));
}

TEST_F(DbTreeTest, AReopenDuringTheLocateAbandonsTheFocusChange) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,null,'c',3)"));
  bool reopened = false;
  query.AfterScroll = [&](TObject*) {
    if (reopened) return;
    reopened = true;
    const int recNo = query.RecNo();
    query.Close();
    query.Open();
    query.SetRecNo(recNo);
  };
  TtlTreeListNode* c = Node(QStringLiteral("c"));
  list->SetFocusedNode(c, 0, true);  // c is destroyed by the reopen inside
  query.AfterScroll = nullptr;
  EXPECT_TRUE(reopened);
  EXPECT_EQ(Current(), QStringLiteral("c"));
  EXPECT_EQ(Focused(), QStringLiteral("c"));
  EXPECT_EQ(Shape(), QStringLiteral("a(b) c"));

  // A handler that sends the record set elsewhere: the focus goes there too.
  bool moved = false;
  query.AfterScroll = [&](TObject*) {
    if (moved) return;
    moved = true;
    query.SetRecNo(2);
  };
  list->SetFocusedNode(Node(QStringLiteral("a")), 0, true);
  query.AfterScroll = nullptr;
  EXPECT_TRUE(moved);
  EXPECT_EQ(Current(), QStringLiteral("b"));
  EXPECT_EQ(Focused(), QStringLiteral("b"));
}

TEST_F(DbTreeTest, TwoTreeListsOnOneRecordSetFollowEachOther) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,2,'c',3),(4,null,'d',4)"));
  auto other = MakeList(6);
  EXPECT_EQ(NameOf(other->FocusedNode()), QStringLiteral("a"));
  list->SetFocusedNode(Node(QStringLiteral("c")), 0, true);
  EXPECT_EQ(Current(), QStringLiteral("c"));
  EXPECT_EQ(NameOf(other->FocusedNode()), QStringLiteral("c"));
  EXPECT_TRUE(other->FocusedNode()->IsShown());

  // A post caused by the other list's move is a move for this one, not a reload.
  TtlTreeListNode* const cNode = list->FocusedNode();
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("c2"));
  auto* d = static_cast<TtlDBTreeListNode*>(other->Items(1));
  other->SetFocusedNode(d, 0, true);
  EXPECT_EQ(Current(), QStringLiteral("d"));
  EXPECT_EQ(Focused(), QStringLiteral("d"));
  EXPECT_EQ(Node(QStringLiteral("c2")), cNode);
  EXPECT_EQ(Value(QStringLiteral("select name from nodes where id = 3")), QStringLiteral("c2"));
  other.reset();
  EXPECT_EQ(TtlDBTreeList::Instances().size(), 1u);
}

TEST_F(DbTreeTest, InsertCreatesANodeWithTheNextKeyAndCancelRemovesIt) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(7,1,'c',3)"));
  query.SetRecNo(2);
  query.Insert();
  ASSERT_NE(list->PendingNode(), nullptr);
  EXPECT_EQ(query.FieldByName(QStringLiteral("id"))->AsInteger(), 8);
  EXPECT_EQ(list->FocusedNode(), list->PendingNode());
  query.Cancel();
  EXPECT_EQ(list->PendingNode(), nullptr);
  EXPECT_EQ(Shape(), QStringLiteral("a(b, c)"));

  query.Insert();
  query.FieldByName(QStringLiteral("par"))->SetValue(2);
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("n"));
  query.FieldByName(QStringLiteral("ord"))->SetValue(9);
  query.Post();
  EXPECT_EQ(Shape(), QStringLiteral("a(b(n), c)"));
  EXPECT_EQ(Focused(), QStringLiteral("n"));
  EXPECT_EQ(Value(QStringLiteral("select par from nodes where id = 8")), QStringLiteral("2"));
}

TEST_F(DbTreeTest, LeavingTheControlCancelsAnUntouchedNewRecordOnly) {
  Open(QStringLiteral("(1,null,'a',1),(2,1,'b',2)"));
  QWidget window;
  list->setParent(&window);
  auto* otherEdit = new QLineEdit(&window);
  QLineEdit& other = *otherEdit;
  other.move(0, 150);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  list->setFocus();
  QTRY_VERIFY(list->hasFocus());
  query.Insert();
  ASSERT_NE(list->PendingNode(), nullptr);
  other.setFocus();
  QTRY_COMPARE(query.State(), dsBrowse);
  EXPECT_EQ(Shape(), QStringLiteral("a(b)"));

  list->setFocus();
  QTRY_VERIFY(list->hasFocus());
  query.Insert();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("typed"));
  other.setFocus();
  QTRY_VERIFY(other.hasFocus());
  EXPECT_EQ(query.State(), dsInsert);
  query.Cancel();
  list->setParent(nullptr);
}

}  // namespace

// Dragging nodes of the data-aware tree list with the mouse: where a drop
// may go, what moving and copying write to the table, the timers that expand
// and scroll while dragging, and handlers that tear nodes down mid-drag.

#include <QFile>
#include <QMouseEvent>

#include "platform/application.h"
#include "platform/timer.h"
#include "tests/treelist/db_tree_fixture.h"
#include "tests/treelist/plain_drag_fixture.h"

using namespace tldrag;

namespace {

// A(A1(A11), A2) B C, in `ord` order.
const QString kForest = QStringLiteral(
    "(1, null, 'A', 1), (2, 1, 'A1', 2), (3, 2, 'A11', 3), (4, 1, 'A2', 4), (5, null, 'B', 5), "
    "(6, null, 'C', 6)");

class CountingLink : public TDataLink {
 public:
  int changed = 0;

 protected:
  void DataSetChanged() override { ++changed; }
  void DataSetScrolled(int) override {}
};

class DragDropTest : public DbTreeTest {
 protected:
  void OpenForest(const QString& rows = kForest, int visibleRows = 8) {
    Open(rows, visibleRows);
    list->OptionsBehavior |= OptB(etoAutoDragDrop) | OptB(etoAutoDragDropCopy) |
                             OptB(etoDragExpand) | OptB(etoDragScroll);
    list->DragMode = dmAutomatic;
    Show(list.get());
  }
  // Back to no bank, for the next case of a table.
  void Reset() {
    list.reset();
    query.Close();
    query.SQL()->Clear();
    con.Close();
    QFile::remove(path);
  }
  void ExpandAll() {
    for (int i = 0; i < list->Count(); ++i) list->Items(i)->Expand(true);
  }
  void Move(const QPoint& p, Qt::KeyboardModifiers mods = {}) { MoveHeld(list.get(), p, mods); }
  // Presses on `from`, moves past the 5 pixels and the drag distance within
  // the row, then over `to`.
  void StartDrag(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(list.get(), Qt::LeftButton, mods, from);
    Move(from + QPoint(0, 6), mods);
    Move(from + QPoint(QApplication::startDragDistance() + 1, 6), mods);
    ASSERT_TRUE(list->Dragging());
    Move(to, mods);
  }
  void Drop(const QPoint& at, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseRelease(list.get(), Qt::LeftButton, mods, at);
  }
  void DragDrop(const QPoint& from, const QPoint& to, Qt::KeyboardModifiers mods = {}) {
    StartDrag(from, to, mods);
    Drop(to, mods);
  }
  QPoint IndentPoint(TtlTreeListNode* n) const {
    const TRect r = list->RowRect(n);
    return QPoint(r.Left + 4, (r.Top + r.Bottom) / 2);
  }
  QPoint BelowRows() const { return QPoint(40, list->RowsRect().Bottom - 3); }
  // "name:parent name" of every row, in id order.
  QString Table() const {
    return Value(QStringLiteral(
        "select group_concat(n.name || ':' || ifnull(p.name, '-'), ' ') from "
        "(select * from nodes order by id) n left join nodes p on p.id = n.par"));
  }
};

TEST_F(DragDropTest, CanDropAtGivesTheTargetAndRefusesTheDraggedSubtree) {
  OpenForest();
  ExpandAll();
  auto* a = Node(QStringLiteral("A"));
  auto* a1 = Node(QStringLiteral("A1"));
  auto* a11 = Node(QStringLiteral("A11"));
  auto* b = Node(QStringLiteral("B"));
  const QPoint right(list->RowsRect().Right - 5, TextPoint(b).y());
  struct Case {
    const char* dragged;
    const char* where;
    QPoint at;
    bool allowed;
    TtlTreeListNodeAttachMode mode;
    TtlTreeListNode* attach;
  };
  const Case cases[] = {
      {"B", "text of A1", TextPoint(a1), true, natlAddChild, a1},
      {"B", "button of A1", ButtonPoint(a1), true, natlAddChild, a1},
      {"B", "indent left of A1's button", IndentPoint(a1), true, natlInsert, a1},
      {"B", "bare indent of the leaf A11", IndentPoint(a11), true, natlAdd, a},
      {"B", "below the rows", BelowRows(), true, natlAdd, a},
      {"B", "right of the last column", right, false, natlAddChild, nullptr},
      {"B", "onto itself", TextPoint(b), false, natlAddChild, b},
      {"A", "its own child", TextPoint(a1), false, natlAddChild, a1},
      {"A", "its grandchild", TextPoint(a11), false, natlAddChild, a11},
      {"A", "before its own child", IndentPoint(a1), false, natlInsert, a1},
      {"A", "below the rows", BelowRows(), true, natlAdd, a},
      {"A1", "its parent's row", TextPoint(a), true, natlAddChild, a},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dragged) + " over " + c.where);
    StartDrag(TextPoint(Node(QString::fromLatin1(c.dragged))), c.at);
    TtlTreeListNodeAttachMode mode;
    TtlTreeListNode* attach = nullptr;
    EXPECT_EQ(list->CanDropAt(TPoint(c.at.x(), c.at.y()), mode, attach), c.allowed);
    if (c.attach) {
      EXPECT_EQ(mode, c.mode);
      EXPECT_EQ(attach, c.attach);
    }
    EXPECT_EQ(list->DragAccepted(), c.allowed);
    EXPECT_EQ(list->DragCursor(), c.allowed ? TtlCustomTreeList::crDrag : TtlCustomTreeList::crNoDrop);
    // Ctrl with copying allowed takes every target inside the rows.
    QTest::keyPress(list.get(), Qt::Key_Control);
    EXPECT_EQ(list->DragAccepted(), QString::fromLatin1(c.where) != QStringLiteral("right of the last column"));
    QTest::keyRelease(list.get(), Qt::Key_Control);
    QTest::keyClick(list.get(), Qt::Key_Escape);
    EXPECT_FALSE(list->Dragging());
  }
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:-")) << "no drag wrote anything";
}

TEST_F(DragDropTest, MovingRewritesTheParentFieldOfTheDraggedRecord) {
  struct Case {
    const char* name;
    const char* dragged;
    const char* target;
    int where;  // 0 text, 1 indent, 2 below the rows
    const char* table;
  };
  const Case cases[] = {
      {"onto a row's text: its child", "B", "A11", 0, "A:- A1:A A11:A1 A2:A B:A11 C:-"},
      {"on a row's indent: its sibling", "C", "A1", 1, "A:- A1:A A11:A1 A2:A B:- C:A"},
      {"below the rows: a root", "A11", nullptr, 2, "A:- A1:A A11:- A2:A B:- C:-"},
      {"on the bare indent of a leaf: a root", "A2", "A11", 1, "A:- A1:A A11:A1 A2:- B:- C:-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenForest();
    ExpandAll();
    QPoint to = BelowRows();
    if (c.target) {
      auto* t = Node(QString::fromLatin1(c.target));
      to = c.where == 0 ? TextPoint(t) : IndentPoint(t);
    }
    DragDrop(TextPoint(Node(QString::fromLatin1(c.dragged))), to);
    EXPECT_FALSE(list->Dragging());
    EXPECT_EQ(Table(), QString::fromLatin1(c.table));
    // The tree follows the table.
    auto* moved = Node(QString::fromLatin1(c.dragged));
    ASSERT_NE(moved, nullptr);
    const QString parent = NameOf(moved->Parent());
    EXPECT_TRUE(Table().contains(QString::fromLatin1(c.dragged) + QLatin1Char(':') + parent));
    Reset();
  }
}

TEST_F(DragDropTest, ADropOnItsOwnChildIsRefusedUnlessCopying) {
  OpenForest();
  ExpandAll();
  DragDrop(TextPoint(Node(QStringLiteral("A"))), TextPoint(Node(QStringLiteral("A1"))));
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:-"));

  // Copying puts a copy of the whole subtree under the child.
  DragDrop(TextPoint(Node(QStringLiteral("A"))), TextPoint(Node(QStringLiteral("A1"))), Qt::ControlModifier);
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:- A:A1 A1:A A11:A1 A2:A"));
  EXPECT_EQ(Value(QStringLiteral("select group_concat(id) from nodes where id > 6")),
            QStringLiteral("7,8,9,10"))
      << "new keys count on from the largest loaded one";
  EXPECT_EQ(Value(QStringLiteral("select group_concat(par) from nodes where id > 6")),
            QStringLiteral("2,7,8,7"));
}

TEST_F(DragDropTest, CopyingASelectionCopiesEachRecordOnce) {
  // R1(C1) R2 T; C1 sits after T in record order, and R1 has a second
  // child far from the first.
  OpenForest(QStringLiteral("(1, null, 'R1', 1), (2, null, 'R2', 2), (3, null, 'T', 3), "
                            "(4, 1, 'C1', 4), (5, 3, 'T1', 5), (6, 1, 'C2', 6)"));
  list->SetMultiSelect(true);
  ExpandAll();
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("R1"))));
  QTest::mouseClick(list.get(), Qt::LeftButton, Qt::ControlModifier, TextPoint(Node(QStringLiteral("C1"))));
  QTest::mouseClick(list.get(), Qt::LeftButton, Qt::ControlModifier, TextPoint(Node(QStringLiteral("R2"))));
  ASSERT_EQ(list->SelectedCount(), 3);
  // A Ctrl press toggles the node off; the drag selects it again.
  StartDrag(TextPoint(Node(QStringLiteral("R2"))), TextPoint(Node(QStringLiteral("T1"))), Qt::ControlModifier);
  EXPECT_EQ(list->DraggedNodes().size(), 3u);
  EXPECT_EQ(list->DragCursor(), TtlCustomTreeList::crTlMultiDragCopy);
  QTest::keyRelease(list.get(), Qt::Key_Control);
  EXPECT_EQ(list->DragCursor(), TtlCustomTreeList::crMultiDrag);
  QTest::keyPress(list.get(), Qt::Key_Control);
  EXPECT_EQ(list->DragCursor(), TtlCustomTreeList::crTlMultiDragCopy);
  Drop(TextPoint(Node(QStringLiteral("T1"))), Qt::ControlModifier);
  QTest::keyRelease(list.get(), Qt::Key_Control);
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where name = 'C1'")), QStringLiteral("2"))
      << "the child comes once, with its parent";
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where name = 'C2'")), QStringLiteral("2"))
      << "children far apart in record order are all copied";
  EXPECT_EQ(Table(), QStringLiteral("R1:- R2:- T:- C1:R1 T1:T C2:R1 R1:T1 C1:R1 C2:R1 R2:T1"));
  // Siblings keep the record set's order; the copies stand where it put them.
  EXPECT_EQ(Shape().count(QStringLiteral("R1(C1, C2)")), 2);
  EXPECT_EQ(Node(QStringLiteral("T1"))->Count(), 2);
}

TEST_F(DragDropTest, CopyingRecordsWhoseParentsFormACycleEnds) {
  // 1 and 2 are each other's parent, 3 is its own parent; 4 is a plain root.
  OpenForest(QStringLiteral("(1, 2, 'P', 1), (2, 1, 'Q', 2), (3, 3, 'S', 3), (4, null, 'T', 4)"));
  ExpandAll();
  for (const int key : {1, 2, 3}) {
    SCOPED_TRACE(key);
    auto* n = list->FindNodeByKey(key);
    ASSERT_NE(n, nullptr);
    DragDrop(TextPoint(n), TextPoint(Node(QStringLiteral("T"))), Qt::ControlModifier);
    EXPECT_FALSE(list->Dragging());
  }
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where name in ('P', 'Q')")), QStringLiteral("6"))
      << "each copy of the cycle copies both of its records once";
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where name = 'S'")), QStringLiteral("2"));
}

TEST_F(DragDropTest, TheTreeUpdatesOnceAfterADrop) {
  OpenForest();
  list->SetMultiSelect(true);
  ExpandAll();
  CountingLink counter;
  counter.SetDataSource(&source);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("B"))));
  counter.changed = 0;
  // A Shift press selects the range from B and drags all of it.
  DragDrop(TextPoint(Node(QStringLiteral("C"))), TextPoint(Node(QStringLiteral("A2"))), Qt::ShiftModifier);
  EXPECT_EQ(counter.changed, 1);
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:A2 C:A2"));
  EXPECT_EQ(Shape(), QStringLiteral("A(A1(A11), A2(B, C))"));
}

TEST_F(DragDropTest, AKeyComputedForACopyThatIsTakenFailsLoudly) {
  OpenForest();
  QString error;
  Application->OnException = [&](const std::exception& e) { error = QString::fromUtf8(e.what()); };
  list->OnGetUniqueKeyValue = [](TObject*, QVariant& key) { key = 5; };
  DragDrop(TextPoint(Node(QStringLiteral("C"))), TextPoint(Node(QStringLiteral("B"))), Qt::ControlModifier);
  Application->OnException = nullptr;
  EXPECT_TRUE(error.contains(QStringLiteral("already in use"))) << error.toStdString();
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("6"));
  EXPECT_FALSE(list->Dragging());
  EXPECT_FALSE(query.ControlsDisabled()) << "the record set's controls are enabled again";
}

TEST_F(DragDropTest, HoveringAnExpandButtonExpandsAndWithDragCollapseCollapsesAgain) {
  for (const bool collapse : {false, true}) {
    SCOPED_TRACE(collapse ? "with etoDragCollapse" : "without");
    OpenForest();
    if (collapse) list->OptionsBehavior |= OptB(etoDragCollapse);
    auto* a = Node(QStringLiteral("A"));
    ASSERT_FALSE(a->IsExpanded());
    StartDrag(TextPoint(Node(QStringLiteral("C"))), ButtonPoint(a));
    EXPECT_EQ(list->DragExpandInterval(), 500);
    list->DragExpandTick();
    EXPECT_TRUE(a->IsExpanded());
    EXPECT_EQ(list->DragExpandInterval(), collapse ? 1000 : 0);
    if (collapse) {
      list->DragExpandTick();
      EXPECT_FALSE(a->IsExpanded());
    }
    // Moving off the button before the wait is over keeps the node as it is.
    Move(ButtonPoint(a));
    Move(TextPoint(a));
    const bool before = a->IsExpanded();
    list->DragExpandTick();
    EXPECT_EQ(a->IsExpanded(), before);
    // The keypad's + and - open and close the node under the pointer.
    Move(ButtonPoint(a));
    QTest::keyClick(list.get(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(a->IsExpanded());
    QTest::keyClick(list.get(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_TRUE(a->IsExpanded());
    EXPECT_TRUE(list->Dragging());
    QTest::keyClick(list.get(), Qt::Key_Escape);
    Reset();
  }
}

TEST_F(DragDropTest, DraggingNearTheEdgesMovesTheFocusAndTheCurrentRecord) {
  OpenForest(QStringLiteral("(1, null, 'r1', 1), (2, null, 'r2', 2), (3, null, 'r3', 3), "
                            "(4, null, 'r4', 4), (5, null, 'r5', 5), (6, null, 'r6', 6)"),
             3);
  StartDrag(TextPoint(Node(QStringLiteral("r1"))), TextPoint(Node(QStringLiteral("r2"))));
  EXPECT_EQ(Focused(), QStringLiteral("r2"));
  EXPECT_EQ(Current(), QStringLiteral("r2"));
  EXPECT_EQ(list->DragScrollVertDirection(), 0);
  Move(TextPoint(Node(QStringLiteral("r3"))));
  EXPECT_EQ(list->DragScrollVertDirection(), 1) << "the last row that fits";
  list->DragScrollVertTick();
  list->DragScrollVertTick();
  EXPECT_EQ(Focused(), QStringLiteral("r5"));
  EXPECT_EQ(Current(), QStringLiteral("r5"));
  EXPECT_EQ(list->TopIndex(), 2);
  // The top row scrolls back up while it is not the first.
  Move(TextPoint(list->TopVisibleNode()));
  EXPECT_EQ(list->DragScrollVertDirection(), -1);
  list->DragScrollVertTick();
  EXPECT_EQ(Focused(), QStringLiteral("r2"));
  EXPECT_EQ(Current(), QStringLiteral("r2"));
  // Outside the control the timer stops.
  Move(QPoint(list->width() + 30, 10));
  list->DragScrollVertTick();
  EXPECT_EQ(list->DragScrollVertDirection(), 0);
  // Esc cancels: nothing is written.
  QTest::keyClick(list.get(), Qt::Key_Escape);
  EXPECT_FALSE(list->Dragging());
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where par is not null")), QStringLiteral("0"));
}

TEST_F(DragDropTest, ADragStartPostsTheEditedRecordAndFiresTheDragEventsInOrder) {
  OpenForest();
  QStringList events;
  list->OnStartDrag = [&](TObject*) { events << QStringLiteral("start:") + Current() + QLatin1Char(':') + QString::number(query.State()); };
  list->OnBeginDragNode = [&](TObject*, TtlTreeListNode* n) { events << QStringLiteral("begin:") + NameOf(n); };
  list->OnDragDrop = [&](TObject*, TObject* source, int, int) {
    events << QStringLiteral("drop:") + (source == list.get() ? QStringLiteral("self") : QStringLiteral("?"));
  };
  list->OnEndDrag = [&](TObject*, TObject* target, int, int) {
    events << QStringLiteral("end:") + (target ? QStringLiteral("dropped") : QStringLiteral("cancelled"));
  };
  auto* b = Node(QStringLiteral("B"));
  ASSERT_TRUE(query.Locate(QStringLiteral("name"), QStringLiteral("B")));
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("B2"));
  DragDrop(TextPoint(b), TextPoint(Node(QStringLiteral("C"))));
  EXPECT_EQ(events.join(QLatin1Char(' ')),
            QStringLiteral("start:B2:%1 begin:B2 drop:self end:dropped").arg(dsBrowse));
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B2:C C:-"));

  events.clear();
  StartDrag(TextPoint(Node(QStringLiteral("C"))), TextPoint(Node(QStringLiteral("A"))));
  const TBitmap* image = list->DragImage();
  ASSERT_NE(image, nullptr);
  const TRect row = list->RowRect(Node(QStringLiteral("C")));
  const auto cells = list->RowCells(Node(QStringLiteral("C")), row);
  EXPECT_EQ(image->Width(), cells.front().rect.Width() + 26);
  EXPECT_EQ(image->Height(), cells.front().rect.Height() + 6);
  QTest::keyClick(list.get(), Qt::Key_Escape);
  EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("start:C:%1 begin:C end:cancelled").arg(dsBrowse));
  EXPECT_EQ(list->DragImage(), nullptr);
}

TEST_F(DragDropTest, OnMoveToCanTakeOverTheDrop) {
  OpenForest();
  bool sawCopy = true;
  list->OnMoveTo = [&](TObject*, TtlTreeListNode* attach, TtlTreeListNodeAttachMode mode,
                       const std::vector<TtlTreeListNode*>& nodes, bool& isCopy, bool& done) {
    sawCopy = isCopy;
    EXPECT_EQ(NameOf(attach), QStringLiteral("B"));
    EXPECT_EQ(mode, natlAddChild);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(NameOf(nodes.front()), QStringLiteral("C"));
    done = true;
  };
  DragDrop(TextPoint(Node(QStringLiteral("C"))), TextPoint(Node(QStringLiteral("B"))));
  EXPECT_FALSE(sawCopy);
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:-"));
}

TEST_F(DragDropTest, HandlersThatDestroyNodesDuringADragLeaveNothingDangling) {
  // The query closed and reopened while hovering: the dragged node is gone.
  OpenForest();
  list->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode* n) {
    if (NameOf(n) == QStringLiteral("B")) {
      list->OnChangeNode = nullptr;
      query.Close();
      query.Open();
    }
  };
  StartDrag(TextPoint(Node(QStringLiteral("C"))), TextPoint(Node(QStringLiteral("B"))));
  EXPECT_TRUE(list->DraggedNodes().empty());
  EXPECT_EQ(list->DragNode(), nullptr);
  EXPECT_FALSE(list->DragAccepted());
  Drop(TextPoint(Node(QStringLiteral("B"))));
  EXPECT_FALSE(list->Dragging());
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:-"));

  // The node waiting to be expanded is deleted before the timer fires.
  auto* a = Node(QStringLiteral("A"));
  StartDrag(TextPoint(Node(QStringLiteral("C"))), ButtonPoint(a));
  ASSERT_EQ(list->DragExpandInterval(), 500);
  a->Delete();
  list->DragExpandTick();
  EXPECT_TRUE(list->Dragging());
  QTest::keyClick(list.get(), Qt::Key_Escape);

  // The dragged node deleted by the begin handler: no drag.
  list->OnBeginDragNode = [](TObject*, TtlTreeListNode* n) { n->Delete(); };
  QTest::mousePress(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("C"))));
  Move(TextPoint(Node(QStringLiteral("C"))) + QPoint(0, 6));
  Move(TextPoint(Node(QStringLiteral("C"))) + QPoint(QApplication::startDragDistance() + 1, 6));
  EXPECT_FALSE(list->Dragging());
  QTest::mouseRelease(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("B"))));
  list->OnBeginDragNode = nullptr;

  // OnMoveTo reloading the nodes: the target and the dragged node are gone.
  query.Close();
  query.Open();
  list->OnMoveTo = [&](TObject*, TtlTreeListNode*, TtlTreeListNodeAttachMode,
                       const std::vector<TtlTreeListNode*>&, bool&, bool&) {
    query.Close();
    query.Open();
  };
  DragDrop(TextPoint(Node(QStringLiteral("B"))), TextPoint(Node(QStringLiteral("C"))));
  EXPECT_FALSE(list->Dragging());
  EXPECT_EQ(Table(), QStringLiteral("A:- A1:A A11:A1 A2:A B:- C:-"));
  list->OnMoveTo = nullptr;

  // A drop handler that destroys the whole list (the nodes loaded afresh first).
  query.Close();
  query.Open();
  list->OnDragDrop = [&](TObject*, TObject*, int, int) { list.release()->deleteLater(); };
  auto* raw = list.get();
  QPointer<TtlDBTreeList> watch(raw);
  DragDrop(TextPoint(Node(QStringLiteral("B"))), TextPoint(Node(QStringLiteral("C"))));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watch.isNull());
  EXPECT_EQ(Table().section(QLatin1Char(' '), 4, 4), QStringLiteral("B:C"));
}

TEST_F(DragDropTest, PressingAndMovingWithoutADragScrollsTheFocus) {
  OpenForest(QStringLiteral("(1, null, 'r1', 1), (2, null, 'r2', 2), (3, null, 'r3', 3), "
                            "(4, null, 'r4', 4), (5, null, 'r5', 5), (6, null, 'r6', 6)"),
             3);
  list->DragMode = dmManual;
  list->OptionsBehavior |= OptB(etoMouseScroll);
  QTest::mousePress(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("r1"))));
  Move(QPoint(40, list->height() + 10));
  EXPECT_EQ(Focused(), QStringLiteral("r3"));
  EXPECT_EQ(list->DragScrollVertDirection(), 1);
  list->DragScrollVertTick();
  EXPECT_EQ(Focused(), QStringLiteral("r4"));
  EXPECT_EQ(Current(), QStringLiteral("r4"));
  Move(TextPoint(list->TopVisibleNode()));
  EXPECT_EQ(list->DragScrollVertDirection(), 0);
  QTest::mouseRelease(list.get(), Qt::LeftButton, {}, TextPoint(list->TopVisibleNode()));
  EXPECT_FALSE(list->Dragging());
}

TEST_F(DragDropTest, APracticeTreeDropThroughTheViewLeavesThePaperUnchanged) {
  path = dir.filePath(QStringLiteral("paper.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql) +
                       QStringLiteral("insert into t_exercise(exer_id, title_id, exer_title) values (1, 1, 'x');"
                                      "insert into t_exerresult(exer_id, subject_id) "
                                      "select 1, subject_id from t_subject where title_id = 1;"));
  const QString paper = QStringLiteral(
      "select group_concat(subject_id || ':' || ifnull(par_id, '-')) from "
      "(select * from t_subject order by subject_id)");
  const QString before = Value(paper);
  con.SetConnectionString(BankConnectionString(path));
  con.Open();
  query.SetConnection(&con);
  query.SQL()->Add(QStringLiteral("select * from v_exerresult where exer_id = 1 order by subject_id"));
  source.SetDataSet(&query);
  list = std::make_unique<TtlDBTreeList>();
  list->SetBorderStyle(bsNone);
  list->SetShowHeader(false);
  list->SetDefaultRowHeight(20);
  list->Bands()->Add()->SetWidth(180);
  list->CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QStringLiteral("titlename"));
  list->Columns(0)->SetWidth(150);
  list->SetDataSource(&source);
  list->SetKeyField(QStringLiteral("subject_id"));
  list->SetParentField(QStringLiteral("par_id"));
  list->OptionsBehavior |= OptB(etoAutoDragDrop) | OptB(etoAutoDragDropCopy) | OptB(etoDragScroll);
  list->DragMode = dmAutomatic;
  list->resize(200, 200);
  query.Open();
  Show(list.get());
  for (int i = 0; i < list->Count(); ++i) list->Items(i)->Expand(true);
  QString error;
  Application->OnException = [&](const std::exception& e) { error = QString::fromUtf8(e.what()); };
  auto* leaf = list->FindNodeByKey(105);
  auto* root = list->FindNodeByKey(100);
  ASSERT_TRUE(leaf && root);
  // Moving: the view takes no new parent.
  DragDrop(TextPoint(leaf), TextPoint(root));
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  // Copying: the view stores no new subject, and says so.
  leaf = list->FindNodeByKey(105);
  root = list->FindNodeByKey(100);
  DragDrop(TextPoint(leaf), TextPoint(root), Qt::ControlModifier);
  Application->OnException = nullptr;
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(list->Dragging());
  EXPECT_EQ(Value(paper), before);
  // The practice window reopens its query at every save: the paper comes back.
  query.Close();
  query.Open();
  EXPECT_EQ(static_cast<TtlDBTreeListNode*>(list->FindNodeByKey(105)->Parent())->keyValue.toInt(), 101);
}

}  // namespace

namespace {

// A plain tree list whose columns scroll sideways within 0..40 pixels.
class SidewaysTreeList : public TtlTreeList {
 public:
  using TtlTreeList::TtlTreeList;
  int left = 0;
  bool ScrollHorizontallyPixels(int pixels) override {
    const int next = std::clamp(left + pixels, 0, 40);
    if (next == left) return false;
    left = next;
    return true;
  }
};

TEST(PlainTreeDrag, EdgesScrollSidewaysAndOnlyAnOnDragOverHandlerTakesTheDrop) {
  SidewaysTreeList list;
  list.SetBorderStyle(bsNone);
  list.SetShowHeader(false);
  list.SetDefaultRowHeight(20);
  list.resize(200, 100);
  list.DragMode = dmAutomatic;
  list.Bands()->Add()->SetWidth(60);
  list.Bands()->Items(0)->SetFixed(bfLeft);
  list.Bands()->Add()->SetWidth(120);
  list.CreateColumn()->SetBandIndex(0);
  list.CreateColumn()->SetBandIndex(1);
  list.Columns(0)->SetWidth(60);
  list.Columns(1)->SetWidth(120);
  for (const char* name : {"one", "two"})
    static_cast<TtlTreeListTextNode*>(list.Add())->SetCellText(0, QString::fromLatin1(name));
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  auto move = [&](QPoint p) { MoveHeld(&list, p); };
  StartHeldDrag(&list);
  ASSERT_TRUE(list.Dragging());
  EXPECT_FALSE(list.DragAccepted()) << "a plain tree list takes no drops by itself";
  EXPECT_EQ(list.DragCursor(), TtlCustomTreeList::crNoDrop);

  // The band fixed on the left does not scroll: the zone starts at its edge.
  struct Case {
    int x;
    int direction;
  };
  for (const Case& c : {Case{5, 0}, Case{60, 0}, Case{61, -1}, Case{71, -1}, Case{72, 0},
                        Case{188, 0}, Case{189, 1}, Case{200, 1}}) {
    move(QPoint(c.x, 30));
    EXPECT_EQ(list.DragScrollHorzDirection(), c.direction) << "x " << c.x;
  }
  // Each tick moves 32 pixels; the timer stops at the edge.
  list.DragScrollHorzTick();
  EXPECT_EQ(list.left, 32);
  list.DragScrollHorzTick();
  EXPECT_EQ(list.left, 40);
  EXPECT_EQ(list.DragScrollHorzDirection(), 1);
  list.DragScrollHorzTick();
  EXPECT_EQ(list.DragScrollHorzDirection(), 0);

  int dropped = 0;
  list.OnDragOver = [](TObject*, TObject*, int, int y, bool& accept) { accept = y < 40; };
  list.OnDragDrop = [&](TObject* sender, TObject* source, int, int) { dropped += sender == source; };
  move(QPoint(100, 30));
  EXPECT_TRUE(list.DragAccepted());
  EXPECT_EQ(list.DragCursor(), TtlCustomTreeList::crDrag);
  QTest::mouseRelease(&list, Qt::LeftButton, {}, QPoint(100, 70));
  EXPECT_EQ(dropped, 0) << "refused where the release happens";
  EXPECT_FALSE(list.Dragging());
  StartHeldDrag(&list);
  QTest::mouseRelease(&list, Qt::LeftButton, {}, QPoint(100, 30));
  EXPECT_EQ(dropped, 1);
}

// Two plain tree lists side by side: a drag out of one over the other.
TEST(ForeignTreeDrag, AnotherTreeListFollowsTheDragAndTakesTheDropThroughItsHandlers) {
  TtlTreeList a, b;
  for (TtlTreeList* l : {&a, &b}) LayOutPlainList(*l);
  for (const char* name : {"one", "two"})
    static_cast<TtlTreeListTextNode*>(a.Add())->SetCellText(0, QString::fromLatin1(name));
  for (const char* name : {"x", "y", "z"})
    static_cast<TtlTreeListTextNode*>(b.Add())->SetCellText(0, QString::fromLatin1(name));
  a.DragMode = dmAutomatic;
  a.setGeometry(0, 0, 200, 100);
  b.setGeometry(300, 0, 200, 40);  // two of its three rows show
  a.show();
  b.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&a));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&b));
  QStringList events;
  b.OnDragOver = [&](TObject* sender, TObject* source, int x, int, bool& accept) {
    accept = sender == &b && source == &a && x < 100;
  };
  b.OnDragDrop = [&](TObject*, TObject* source, int x, int y) {
    events << QStringLiteral("drop:%1:%2,%3").arg(source == &a ? "a" : "?").arg(x).arg(y);
  };
  a.OnEndDrag = [&](TObject*, TObject* target, int, int) {
    events << (target == &b ? QStringLiteral("end:b") : target ? QStringLiteral("end:?") : QStringLiteral("end:-"));
  };
  // Moves go to the list that has the mouse, in its own coordinates.
  auto move = [&](QPoint p) { MoveHeld(&a, p); };
  auto overB = [&](QPoint p) { return a.mapFromGlobal(b.mapToGlobal(p)); };
  auto startDrag = [&] { StartHeldDrag(&a); };
  startDrag();
  ASSERT_TRUE(a.Dragging());
  move(overB(QPoint(50, 30)));
  EXPECT_EQ(b.ForeignDragSource(), &a);
  EXPECT_EQ(static_cast<TtlTreeListTextNode*>(b.FocusedNode())->CellText(0), QStringLiteral("y"))
      << "the focus follows the pointer over the other list";
  EXPECT_EQ(b.DragScrollVertDirection(), 1) << "its last shown row is not its last node";
  EXPECT_TRUE(a.DragAccepted());
  EXPECT_EQ(a.DragCursor(), TtlCustomTreeList::crDrag);
  b.DragScrollVertTick();
  EXPECT_EQ(static_cast<TtlTreeListTextNode*>(b.FocusedNode())->CellText(0), QStringLiteral("z"));
  move(overB(QPoint(150, 30)));
  EXPECT_FALSE(a.DragAccepted()) << "the handler refuses there";
  EXPECT_EQ(a.DragCursor(), TtlCustomTreeList::crNoDrop);
  // Back over the dragging list: the other one forgets the drag.
  move(QPoint(30, 50));
  EXPECT_EQ(b.ForeignDragSource(), nullptr);
  EXPECT_EQ(b.DragScrollVertDirection(), 0);
  move(overB(QPoint(50, 10)));
  QTest::mouseRelease(&a, Qt::LeftButton, {}, overB(QPoint(50, 10)));
  EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("drop:a:50,10 end:b"));
  EXPECT_FALSE(a.Dragging());
  EXPECT_EQ(b.ForeignDragSource(), nullptr);

  // Released where the other list's handler refuses: no drop.
  events.clear();
  startDrag();
  move(overB(QPoint(150, 10)));
  QTest::mouseRelease(&a, Qt::LeftButton, {}, overB(QPoint(150, 10)));
  EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("end:-"));
  EXPECT_EQ(b.ForeignDragSource(), nullptr);
  // Esc over the other list cancels and it forgets the drag too.
  startDrag();
  move(overB(QPoint(50, 10)));
  ASSERT_EQ(b.ForeignDragSource(), &a);
  QTest::keyClick(&a, Qt::Key_Escape);
  EXPECT_FALSE(a.Dragging());
  EXPECT_EQ(b.ForeignDragSource(), nullptr);
}

}  // namespace

// The auto-scroll timers are one pair for the process: the list being dragged
// over takes them from the dragging one, and a list that dies while it holds
// them leaves a timer whose next tick simply stops it.
TEST(ForeignTreeDrag, TheAutoScrollTimersAreSharedAndOutliveTheListTheyServe) {
  TtlTreeList a;
  auto b = std::make_unique<TtlTreeList>();
  for (TtlTreeList* l : {&a, b.get()}) {
    LayOutPlainList(*l);
    AddNumberedRows(*l, 8);
  }
  a.DragMode = dmAutomatic;
  b->OnDragOver = [](TObject*, TObject*, int, int, bool& accept) { accept = true; };
  a.setGeometry(0, 0, 200, 60);  // three rows show
  b->setGeometry(300, 0, 200, 60);
  a.show();
  b->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&a));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(b.get()));
  auto move = [&](QPoint p) { MoveHeld(&a, p); };
  const QPoint overB = a.mapFromGlobal(b->mapToGlobal(QPoint(50, 50)));
  StartHeldDrag(&a);
  ASSERT_TRUE(a.Dragging());

  move(QPoint(30, 50));  // a's last shown row
  EXPECT_EQ(a.DragScrollVertDirection(), 1);
  EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), &a);
  TTimer* vertical = TtlCustomTreeList::DragScrollTimer(true);

  move(overB);  // b takes the one vertical timer over
  EXPECT_EQ(TtlCustomTreeList::DragScrollTimer(true), vertical) << "no timer of its own";
  EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), b.get());
  EXPECT_EQ(b->DragScrollVertDirection(), 1);
  EXPECT_EQ(a.DragScrollVertDirection(), 0);
  const int before = b->TopIndex();
  vertical->OnTimer(vertical);
  vertical->OnTimer(vertical);
  EXPECT_GT(b->TopIndex(), before) << "a tick scrolls the list it serves";
  EXPECT_EQ(a.TopIndex(), 0) << "and not the other";

  // The served list dies mid-drag: the next tick stops the timer.
  b.reset();
  ASSERT_TRUE(vertical->Enabled());
  vertical->OnTimer(vertical);
  EXPECT_FALSE(vertical->Enabled());
  EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), nullptr);

  // The dragging list takes it again, and its drop stops it.
  move(QPoint(30, 50));
  EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), &a);
  QTest::mouseRelease(&a, Qt::LeftButton, {}, QPoint(30, 50));
  EXPECT_FALSE(a.Dragging());
  EXPECT_FALSE(vertical->Enabled());
}

// Selection, key and wheel rules of the tree list under real Qt input:
// anchored Shift ranges, OnKeyDown before the record keys, Tab with etoTabs,
// wheel fractions, and the panning mode driven tick by tick.

#include <QTest>
#include <QWheelEvent>

#include "tests/treelist/db_tree_fixture.h"
#include "tests/treelist/tree_fixture.h"

namespace {

const char kPaper[] =
    "(1,null,'cover',1),(2,1,'part1',2),(3,2,'passage',3),(4,3,'q1',4),(5,3,'q2',5),"
    "(6,2,'q3',6),(7,1,'part2',7),(8,7,'q4',8)";

class InputRulesTest : public DbTreeTest {
 protected:
  void SetUp() override {
    Open(QString::fromLatin1(kPaper), 10);
    Show(list.get());
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(list.get(), k, m); }
  void Click(const QString& name, Qt::KeyboardModifiers m = {}) {
    QTest::mouseClick(list.get(), Qt::LeftButton, m, TextPoint(Node(name)));
  }
};

TEST_F(InputRulesTest, CtrlDelDeletesSelectedRowsInsideCollapsedBranchesToo) {
  list->SetMultiSelect(true);
  Node(QStringLiteral("cover"))->Expand(true);
  Click(QStringLiteral("q1"));
  Click(QStringLiteral("q4"), Qt::ControlModifier);
  ASSERT_EQ(list->SelectedCount(), 2);
  Node(QStringLiteral("part1"))->SetExpanded(false);
  list->SetFocusedNode(Node(QStringLiteral("part2")), 0, true);
  Node(QStringLiteral("part2"))->SetExpanded(false);
  MessageBoxRecorder boxes(IDOK);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, QStringLiteral("Delete all selected records?"));
  EXPECT_EQ(Value(QStringLiteral("select group_concat(name) from (select name from nodes order by ord)")),
            QStringLiteral("cover,part1,passage,q2,q3,part2"));
}

TEST_F(InputRulesTest, ShiftClickSelectsFromTheAnchorAndReplacesTheEarlierRange) {
  list->SetMultiSelect(true);
  Node(QStringLiteral("cover"))->Expand(true);
  // Rows: cover part1 passage q1 q2 q3 ...
  Click(QStringLiteral("part1"));
  Click(QStringLiteral("q2"), Qt::ShiftModifier);
  EXPECT_EQ(list->SelectedCount(), 4);
  Click(QStringLiteral("passage"), Qt::ShiftModifier);
  EXPECT_EQ(list->SelectedCount(), 2);
  EXPECT_TRUE(list->IsNodeSelected(Node(QStringLiteral("part1"))));
  EXPECT_TRUE(list->IsNodeSelected(Node(QStringLiteral("passage"))));
  EXPECT_EQ(Focused(), QStringLiteral("passage"));
  // The range can also run upwards from the anchor.
  Click(QStringLiteral("cover"), Qt::ShiftModifier);
  EXPECT_EQ(list->SelectedCount(), 2);
  EXPECT_TRUE(list->IsNodeSelected(Node(QStringLiteral("cover"))));
}

TEST_F(InputRulesTest, UpOnAnUntouchedNewRecordLandsOnTheRowAboveIt) {
  list->OptionsDB |= OptDB(etoCanInsert);
  Node(QStringLiteral("cover"))->Expand(true);
  list->SetFocusedNode(Node(QStringLiteral("q1")), 0, true);
  Key(Qt::Key_Insert);
  ASSERT_EQ(query.State(), dsInsert);
  // The new record is the last child of the passage, below q2.
  ASSERT_EQ(list->PendingNode()->PrevSibling(), Node(QStringLiteral("q2")));
  Key(Qt::Key_Up);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("8"));
  EXPECT_EQ(Focused(), QStringLiteral("q2"));
  EXPECT_EQ(Current(), QStringLiteral("q2"));
}

struct VetoCase {
  Qt::Key key;
  bool editFirst;
  TDataSetState stateAfter;
};

class KeyVeto : public InputRulesTest, public ::testing::WithParamInterface<VetoCase> {};

TEST_P(KeyVeto, OnKeyDownComesFirstAndCanVetoTheRecordKeys) {
  const VetoCase c = GetParam();
  list->OptionsDB |= OptDB(etoCanInsert);
  list->SetFocusedNode(Node(QStringLiteral("cover")), 0, true);
  if (c.editFirst) {
    query.Edit();
    query.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("cover*"));
  }
  TtlTreeListNode* before = list->FocusedNode();
  QStringList seen;
  list->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    seen << QString::number(key);
    key = 0;
  };
  Key(c.key);
  EXPECT_EQ(seen.size(), 1);
  EXPECT_EQ(query.State(), c.stateAfter);
  EXPECT_EQ(list->FocusedNode(), before);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyVeto,
                         ::testing::Values(VetoCase{Qt::Key_Insert, false, dsBrowse},
                                           VetoCase{Qt::Key_Escape, true, dsEdit},
                                           VetoCase{Qt::Key_Down, true, dsEdit},
                                           VetoCase{Qt::Key_Up, true, dsEdit}));

// ---------------------------------------------------------------------------

struct PlainTree : ::testing::Test {
  PlainTree() : f(5) {
    for (int i = 0; i < 40; ++i) f.Node(QStringLiteral("n%1").arg(i));
    f.list->show();
    f.list->activateWindow();
    f.list->setFocus();
  }
  void Wheel(int delta) {
    QWheelEvent e(QPointF(20, 20), QPointF(f.list->mapToGlobal(QPoint(20, 20))), QPoint(),
                  QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.list.get(), &e);
  }
  TreeFixture f;
};

TEST_F(PlainTree, SmallWheelStepsAddUpToWholeNotches) {
  Wheel(-120);
  Wheel(-120);
  const int twoNotches = f.list->TopIndex();
  ASSERT_EQ(twoNotches, 2 * QApplication::wheelScrollLines());
  f.list->SetTopIndex(0);
  for (int i = 0; i < 12; ++i) Wheel(-20);
  EXPECT_EQ(f.list->TopIndex(), twoNotches);
  // A change of direction starts counting afresh.
  Wheel(-60);
  Wheel(60);
  Wheel(60);
  EXPECT_EQ(f.list->TopIndex(), twoNotches - QApplication::wheelScrollLines());
}

TEST_F(PlainTree, PanningFollowsThePointerTickByTick) {
  TtlCustomTreeList* l = f.list.get();
  QTest::mousePress(l, Qt::MiddleButton, {}, QPoint(50, 30));
  ASSERT_EQ(l->State(), tsPanning);
  ASSERT_NE(l->PanningAnchor(), nullptr);
  EXPECT_TRUE(l->PanningAnchor()->isVisible());
  EXPECT_EQ(l->PanningPicture(), QStringLiteral("TLGRID_VERSCROLLBITMAP"));
  EXPECT_EQ(l->PanningCursor(), 1133);
  auto moveTo = [&](int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(l->mapToGlobal(QPoint(x, y))),
                     Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(l, &move);
  };
  // Sideways only: without a horizontal bar the neutral zone has no side limit.
  moveTo(400, 30);
  EXPECT_EQ(l->PanningDirection(), TtlCustomTreeList::pdNone);
  for (int i = 0; i < 30; ++i) l->PanningTick();
  EXPECT_EQ(l->TopIndex(), 0);
  // 14 + 10 pixels below: speed (24 - 14) / 5 + 1 = 3, a line every 10 ticks.
  moveTo(50, 54);
  EXPECT_EQ(l->PanningDirection(), TtlCustomTreeList::pdDown);
  EXPECT_EQ(l->PanningSpeed(), 3);
  EXPECT_EQ(l->PanningCursor(), 1136);
  for (int i = 0; i < 30; ++i) l->PanningTick();
  EXPECT_EQ(l->TopIndex(), 3);
  // Far away: the speed tops out at 12, a line every tick.
  moveTo(50, 300);
  EXPECT_EQ(l->PanningSpeed(), 12);
  for (int i = 0; i < 5; ++i) l->PanningTick();
  EXPECT_EQ(l->TopIndex(), 8);
  moveTo(50, 0);
  EXPECT_EQ(l->PanningDirection(), TtlCustomTreeList::pdUp);
  EXPECT_EQ(l->PanningCursor(), 1134);
  // Other keys are swallowed; the middle release ends the mode once the
  // pointer has left the neutral zone.
  QTest::keyClick(l, Qt::Key_Down);
  EXPECT_EQ(l->State(), tsPanning);
  QTest::mouseRelease(l, Qt::MiddleButton, {}, QPoint(50, 0));
  EXPECT_EQ(l->State(), tsNormal);
  EXPECT_FALSE(l->PanningAnchor()->isVisible());
  const int top = l->TopIndex();
  l->PanningTick();
  EXPECT_EQ(l->TopIndex(), top);
}

TEST_F(PlainTree, APanningClickWithoutMovingStaysUntilAnotherButtonOrTheWheel) {
  TtlCustomTreeList* l = f.list.get();
  QTest::mouseClick(l, Qt::MiddleButton, {}, QPoint(50, 40));
  EXPECT_EQ(l->State(), tsPanning);
  Wheel(-120);
  EXPECT_EQ(l->State(), tsNormal);
  EXPECT_EQ(l->TopIndex(), 0) << "the wheel only ends the mode";
  QTest::mouseClick(l, Qt::MiddleButton, {}, QPoint(50, 40));
  ASSERT_EQ(l->State(), tsPanning);
  TtlTreeListNode* focused = l->FocusedNode();
  QTest::mousePress(l, Qt::LeftButton, {}, QPoint(50, 70));
  EXPECT_EQ(l->State(), tsNormal);
  EXPECT_EQ(l->FocusedNode(), focused) << "the press only ends the mode";
  QTest::mouseRelease(l, Qt::LeftButton, {}, QPoint(50, 70));
  QTest::mouseClick(l, Qt::MiddleButton, {}, QPoint(50, 40));
  QTest::keyClick(l, Qt::Key_Escape);
  EXPECT_EQ(l->State(), tsNormal);
}

TEST(TabKeys, TabMovesThroughCellsWithEtoTabsAndLeavesWithoutIt) {
  QWidget window;
  auto* list = new TestTreeList(&window);
  auto* other = new QWidget(&window);
  other->setFocusPolicy(Qt::StrongFocus);
  list->SetBorderStyle(bsNone);
  list->SetShowHeader(false);
  list->SetDefaultRowHeight(20);
  list->resize(300, 100);
  list->Bands()->Add()->SetWidth(300);
  for (int i = 0; i < 3; ++i) list->CreateColumn()->SetWidth(80);
  list->Columns(1)->TabStop = false;
  list->Add();
  list->Add();
  window.show();
  window.activateWindow();
  list->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }));
  list->OptionsBehavior |= OptB(etoTabs) | OptB(etoTabThrough);
  list->SetFocusedNode(list->Items(0), 0, false);
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(list->FocusedColumn(), 2) << "column 1 has no tab stop";
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(list->FocusedNode(), list->Items(1));
  EXPECT_EQ(list->FocusedColumn(), 0);
  QTest::keyClick(list, Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(list->FocusedNode(), list->Items(0));
  EXPECT_EQ(list->FocusedColumn(), 2);
  EXPECT_TRUE(list->hasFocus());
  // Whole-row selection: Tab goes to the next row.
  list->SetOptionView(etoRowSelect, true);
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_EQ(list->FocusedNode(), list->Items(1));
  // Without etoTabs, Tab leaves the control.
  list->OptionsBehavior &= ~OptB(etoTabs);
  QTest::keyClick(list, Qt::Key_Tab);
  EXPECT_TRUE(other->hasFocus());
}

}  // namespace

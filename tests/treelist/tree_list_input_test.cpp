// Mouse and keyboard on the data-aware tree list, through real Qt input
// events on an offscreen window.

#include <QClipboard>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include "tests/treelist/db_tree_fixture.h"

namespace {

// The practice window's shape: a cover, a section with a passage and its
// questions, another section.
const char kPaper[] =
    "(1,null,'cover',1),(2,1,'part1',2),(3,2,'passage',3),(4,3,'q1',4),(5,3,'q2',5),"
    "(6,2,'q3',6),(7,1,'part2',7),(8,7,'q4',8)";

class TreeInputTest : public DbTreeTest {
 protected:
  void SetUp() override {
    Open(QString::fromLatin1(kPaper), 4);
    Show(list.get());
    list->OnClick = [this](TObject*) { events << QStringLiteral("click:") + Current(); };
    list->OnDblClick = [this](TObject*) {
      events << QStringLiteral("dblclick:%1:%2").arg(Current()).arg(
                    list->FocusedNode()->IsExpanded() ? QStringLiteral("open")
                                                      : QStringLiteral("shut"));
    };
    list->OnChangeNode = [this](TObject*, TtlTreeListNode*, TtlTreeListNode* n) {
      events << QStringLiteral("focus:%1 record:%2").arg(NameOf(n), Current());
    };
  }
  void Press(const QPoint& p) { QTest::mousePress(list.get(), Qt::LeftButton, {}, p); }
  void Release(const QPoint& p) { QTest::mouseRelease(list.get(), Qt::LeftButton, {}, p); }
  // A real double click: press, release, double-click, release.
  void DoubleClick(const QPoint& p) {
    Press(p);
    Release(p);
    QTest::mouseDClick(list.get(), Qt::LeftButton, {}, p);
    Release(p);
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(list.get(), k, m); }
  QStringList events;
};

TEST_F(TreeInputTest, ClickMovesTheRecordBeforeOnClickFiresOnRelease) {
  Node(QStringLiteral("cover"))->SetExpanded(true);
  TtlTreeListNode* part2 = Node(QStringLiteral("part2"));
  Press(TextPoint(part2));
  EXPECT_EQ(events, QStringList({QStringLiteral("focus:part2 record:part2")}));
  Release(TextPoint(part2));
  EXPECT_EQ(events, QStringList({QStringLiteral("focus:part2 record:part2"),
                                 QStringLiteral("click:part2")}));
}

TEST_F(TreeInputTest, DoubleClickTogglesThenFiresOnDblClickAndNothingOnTheSecondRelease) {
  Node(QStringLiteral("cover"))->SetExpanded(true);
  TtlTreeListNode* part1 = Node(QStringLiteral("part1"));
  DoubleClick(TextPoint(part1));
  EXPECT_EQ(events, QStringList({QStringLiteral("focus:part1 record:part1"),
                                 QStringLiteral("click:part1"),
                                 QStringLiteral("dblclick:part1:open")}));
  events.clear();
  DoubleClick(TextPoint(part1));
  EXPECT_EQ(events, QStringList({QStringLiteral("click:part1"),
                                 QStringLiteral("dblclick:part1:shut")}));
}

TEST_F(TreeInputTest, ExpandButtonTogglesWithoutMovingTheFocus) {
  TtlTreeListNode* cover = Node(QStringLiteral("cover"));
  Node(QStringLiteral("cover"))->SetExpanded(true);
  TtlTreeListNode* part1 = Node(QStringLiteral("part1"));
  ASSERT_FALSE(list->ButtonRect(part1, list->RowRect(part1)).IsEmpty());
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, ButtonPoint(part1));
  EXPECT_TRUE(part1->IsExpanded());
  EXPECT_EQ(list->FocusedNode(), cover);
  EXPECT_EQ(Current(), QStringLiteral("cover"));
  EXPECT_TRUE(events.isEmpty()) << events.join(QLatin1Char('|')).toStdString();
  // Double-clicking the button toggles twice, then fires OnDblClick.
  DoubleClick(ButtonPoint(part1));
  EXPECT_TRUE(part1->IsExpanded());
  EXPECT_EQ(events, QStringList({QStringLiteral("dblclick:cover:open")}));
}

TEST_F(TreeInputTest, AClickInEditStatePostsBeforeMoving) {
  Node(QStringLiteral("cover"))->SetExpanded(true);
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetValue(QStringLiteral("cover2"));
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("part2"))));
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(Current(), QStringLiteral("part2"));
  EXPECT_EQ(Value(QStringLiteral("select name from nodes where id = 1")), QStringLiteral("cover2"));
  EXPECT_EQ(events.last(), QStringLiteral("click:part2"));
}

TEST_F(TreeInputTest, NodeAndRecordChangingTogetherIsReportedOnce) {
  Node(QStringLiteral("cover"))->SetExpanded(true);
  QStringList changes;
  list->OnChangeNodeEx = [&](TObject*) { changes << Current() + QLatin1Char('/') + Focused(); };
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("part2"))));
  EXPECT_EQ(changes, QStringList{QStringLiteral("part2/part2")}) << "a click moves both";
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("part2"))));
  EXPECT_EQ(changes.size(), 1) << "clicking the focused node changes nothing";
  query.First();
  EXPECT_EQ(changes.size(), 2) << "a record set move is reported too";
  EXPECT_EQ(changes.last(), QStringLiteral("cover/cover"));
}

struct KeyCase {
  const char* what;
  const char* start;   // focused before
  std::vector<Qt::Key> keys;
  const char* focused; // focused after
  const char* open;    // expanded nodes after, in tree order
};

class TreeKeys : public TreeInputTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(TreeKeys, MoveTheFocusAndTheRecord) {
  const KeyCase& c = GetParam();
  list->SetFocusedNode(Node(QString::fromLatin1(c.start)), 0, true);
  for (Qt::Key k : c.keys) Key(k);
  EXPECT_EQ(Focused(), QString::fromLatin1(c.focused)) << c.what;
  EXPECT_EQ(Current(), QString::fromLatin1(c.focused)) << c.what;
  QStringList open;
  for (auto* name : {"cover", "part1", "passage", "part2"})
    if (Node(QString::fromLatin1(name))->IsExpanded()) open << QString::fromLatin1(name);
  EXPECT_EQ(open.join(QLatin1Char(',')), QString::fromLatin1(c.open)) << c.what;
  EXPECT_FALSE(list->RowRect(list->FocusedNode()).IsEmpty()) << c.what;
  // Keys move the record but are no clicks.
  EXPECT_FALSE(events.join(QLatin1Char('|')).contains(QStringLiteral("click"))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TreeKeys,
    ::testing::Values(
        KeyCase{"Right opens, Right again enters", "cover", {Qt::Key_Right, Qt::Key_Right}, "part1", "cover"},
        KeyCase{"Down walks visible rows", "cover", {Qt::Key_Right, Qt::Key_Down, Qt::Key_Down}, "part2", "cover"},
        KeyCase{"Up goes back", "cover", {Qt::Key_Right, Qt::Key_Down, Qt::Key_Up}, "cover", "cover"},
        KeyCase{"Left on a first child goes to its parent", "q1", {Qt::Key_Left}, "passage", "cover,part1,passage"},
        KeyCase{"Left on a later sibling goes to the row above", "q2", {Qt::Key_Left}, "q1", "cover,part1,passage"},
        KeyCase{"Left on an open node shuts it", "passage", {Qt::Key_Right, Qt::Key_Left}, "passage", "cover,part1"},
        KeyCase{"plus and minus", "part1", {Qt::Key_Plus, Qt::Key_Down, Qt::Key_Up, Qt::Key_Minus}, "part1", "cover"},
        KeyCase{"star opens the whole subtree", "cover", {Qt::Key_Asterisk, Qt::Key_End}, "q4", "cover,part1,passage,part2"},
        KeyCase{"Home and End", "q4", {Qt::Key_Home}, "cover", "cover,part2"},
        KeyCase{"Page Down from the top moves a page less one row", "cover",
                {Qt::Key_Asterisk, Qt::Key_PageDown}, "q1", "cover,part1,passage,part2"},
        KeyCase{"Page Down inside the page goes to its last row", "part1",
                {Qt::Key_Asterisk, Qt::Key_PageDown}, "q1", "cover,part1,passage"},
        KeyCase{"Page Up at the bottom goes up a page less one row", "cover",
                {Qt::Key_Asterisk, Qt::Key_End, Qt::Key_PageUp}, "q2", "cover,part1,passage,part2"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(TreeInputTest, TabLeavesTheControl) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  list->setParent(&window);
  layout->addWidget(list.get());
  auto* edit = new QLineEdit(&window);
  layout->addWidget(edit);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  list->setFocus();
  ASSERT_TRUE(list->hasFocus());
  QTest::keyClick(list.get(), Qt::Key_Tab);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_EQ(Focused(), QStringLiteral("cover"));
  list->setParent(nullptr);
}

TEST_F(TreeInputTest, CtrlInsertCopiesCaptionsAndTheFocusedRow) {
  list->SetFocusedNode(Node(QStringLiteral("q1")), 0, true);
  QApplication::clipboard()->clear();
  Key(Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Title\r\n\r\nq1\r\n"));
  // Ctrl+C copies only when asked to.
  list->SetFocusedNode(Node(QStringLiteral("q2")), 0, true);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Title\r\n\r\nq1\r\n"));
  list->OptionsBehavior |= OptB(etoAutoCopySelectedToClipboard);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Title\r\n\r\nq2\r\n"));
}

TEST_F(TreeInputTest, CtrlDelDeletesTheSubtreeAfterConfirmation) {
  list->SetFocusedNode(Node(QStringLiteral("passage")), 0, true);
  {
    MessageBoxRecorder boxes(IDCANCEL);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(boxes.requests.size(), 1);
    EXPECT_EQ(boxes.requests[0].Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(boxes.requests[0].Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(boxes.requests[0].Flags, MB_OKCANCEL | MB_ICONQUESTION);
  }
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("8"));
  EXPECT_EQ(Focused(), QStringLiteral("passage"));
  {
    MessageBoxRecorder boxes(IDOK);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(boxes.requests.size(), 1);
  }
  EXPECT_EQ(Value(QStringLiteral("select group_concat(name) from (select name from nodes order by ord)")),
            QStringLiteral("cover,part1,q3,part2,q4"));
  EXPECT_EQ(Shape(), QStringLiteral("cover(part1(q3), part2(q4))"));
  EXPECT_EQ(Focused(), Current());
  // Without the option nothing is asked or deleted.
  list->OptionsDB &= ~OptDB(etoCanDelete);
  MessageBoxRecorder boxes(IDOK);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(boxes.requests.isEmpty());
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("5"));
}

TEST_F(TreeInputTest, InsertKeyAddsARecordOnlyWhenAllowedAndUpDropsItUntouched) {
  list->SetFocusedNode(Node(QStringLiteral("q1")), 0, true);
  Key(Qt::Key_Insert);
  EXPECT_EQ(query.State(), dsBrowse) << "inserting is off by default";
  list->OptionsDB |= OptDB(etoCanInsert);
  Key(Qt::Key_Insert);
  ASSERT_EQ(query.State(), dsInsert);
  TtlTreeListNode* added = list->PendingNode();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Parent(), Node(QStringLiteral("passage")));
  EXPECT_EQ(list->FocusedNode(), added);
  EXPECT_EQ(query.FieldByName(QStringLiteral("id"))->AsInteger(), 9);
  // Up on the untouched new record cancels it and goes to the row above.
  Key(Qt::Key_Up);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("8"));
  EXPECT_EQ(Shape(), QStringLiteral("cover(part1(passage(q1, q2), q3), part2(q4))"));
  EXPECT_EQ(Focused(), Current());
}

TEST_F(TreeInputTest, CtrlClicksSelectSeveralRowsAndCtrlDelDeletesThemAll) {
  list->SetMultiSelect(true);
  Node(QStringLiteral("cover"))->SetExpanded(true);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("part2"))));
  QTest::mouseClick(list.get(), Qt::LeftButton, Qt::ControlModifier,
                    TextPoint(Node(QStringLiteral("part1"))));
  EXPECT_EQ(list->SelectedCount(), 2);
  EXPECT_EQ(Current(), QStringLiteral("part1"));
  {
    MessageBoxRecorder boxes(IDOK);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(boxes.requests.size(), 1);
    EXPECT_EQ(boxes.requests[0].Text, QStringLiteral("Delete all selected records?"));
  }
  EXPECT_EQ(Value(QStringLiteral("select group_concat(name) from nodes")), QStringLiteral("cover"));
  EXPECT_EQ(Shape(), QStringLiteral("cover"));
  EXPECT_EQ(Focused(), QStringLiteral("cover"));
}

TEST_F(TreeInputTest, TheMultiSelectOptionAndPropertyAreOneSetting) {
  list->OptionsBehavior |= OptB(etoMultiSelect);
  EXPECT_TRUE(list->MultiSelect());
  Node(QStringLiteral("cover"))->SetExpanded(true);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("part2"))));
  QTest::mouseClick(list.get(), Qt::LeftButton, Qt::ControlModifier,
                    TextPoint(Node(QStringLiteral("part1"))));
  EXPECT_EQ(list->SelectedCount(), 2);
  list->SetMultiSelect(false);
  EXPECT_FALSE(list->HasBehavior(etoMultiSelect));
  EXPECT_EQ(list->SelectedCount(), 1) << "only the focused node";
}

TEST_F(TreeInputTest, EditorRequestsAreRefusedWithWholeRowSelection) {
  int asked = 0;
  list->OnEditing = [&](TObject*, TtlTreeListNode*, bool& allow) {
    ++asked;
    allow = false;
  };
  TtlTreeListNode* cover = Node(QStringLiteral("cover"));
  Key(Qt::Key_F2);
  Key(Qt::Key_Return);
  QTest::keyClicks(list.get(), QStringLiteral("x"));
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(cover));
  EXPECT_EQ(asked, 0);
  list->SetOptionView(etoRowSelect, false);
  Key(Qt::Key_F2);
  EXPECT_EQ(asked, 1);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(cover));
  EXPECT_EQ(asked, 2) << "an immediate editor is asked for on release";
}

TEST_F(TreeInputTest, WheelAndPanningScroll) {
  Node(QStringLiteral("cover"))->Expand(true);
  ASSERT_EQ(list->TopIndex(), 0);
  QWheelEvent down(QPointF(20, 20), QPointF(list->mapToGlobal(QPoint(20, 20))), QPoint(),
                   QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list.get(), &down);
  EXPECT_EQ(list->TopIndex(), std::min(QApplication::wheelScrollLines(), list->ShownCount() - list->RowsFit()));
  list->SetTopIndex(0);

  // Middle button held and dragged down: the timer scrolls while it is held.
  QTest::mousePress(list.get(), Qt::MiddleButton, {}, QPoint(50, 10));
  EXPECT_EQ(list->State(), tsPanning);
  QMouseEvent move(QEvent::MouseMove, QPointF(50, 70), QPointF(list->mapToGlobal(QPoint(50, 70))),
                   Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
  QApplication::sendEvent(list.get(), &move);
  QTRY_VERIFY_WITH_TIMEOUT(list->TopIndex() > 0, 2000);
  QTest::mouseRelease(list.get(), Qt::MiddleButton, {}, QPoint(50, 70));
  EXPECT_EQ(list->State(), tsNormal);
  const int top = list->TopIndex();
  QTest::qWait(100);
  EXPECT_EQ(list->TopIndex(), top) << "no scrolling after the mode ended";

  // A plain middle click stays in the mode until Esc.
  QTest::mouseClick(list.get(), Qt::MiddleButton, {}, QPoint(50, 40));
  EXPECT_EQ(list->State(), tsPanning);
  Key(Qt::Key_Escape);
  EXPECT_EQ(list->State(), tsNormal);
}

}  // namespace

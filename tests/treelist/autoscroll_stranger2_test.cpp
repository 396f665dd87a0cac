// The tree list's shared auto-scroll timers and its sideways wheel under
// hostile handlers and devices: a tick whose focus change deletes the list it
// serves, lists taking the timers over in turn, and wheels reporting any int.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>
#include <limits>
#include <memory>

#include "platform/timer.h"
#include "tests/treelist/plain_drag_fixture.h"
#include "treelist/tree_list.h"

using namespace tldrag;

namespace {

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

std::unique_ptr<TtlTreeList> MakeList(int x, int rows) {
  auto l = std::make_unique<TtlTreeList>();
  LayOutPlainList(*l);
  AddNumberedRows(*l, rows);
  l->setGeometry(x, 0, 200, 60);  // three rows show
  l->show();
  return l;
}

// Dragging from a over b's last shown row hands b the vertical timer; b's
// OnChangeNode handler then deletes b (or a) on the next tick's focus move.
TEST(AutoScrollStranger, ATickWhoseFocusChangeDeletesAList) {
  for (const bool deleteTarget : {true, false}) {
    SCOPED_TRACE(deleteTarget ? "deletes the served list" : "deletes the dragging list");
    auto a = MakeList(0, 8);
    auto b = MakeList(300, 8);
    a->DragMode = dmAutomatic;
    b->OnDragOver = [](TObject*, TObject*, int, int, bool& accept) { accept = true; };
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(b.get()));
    StartHeldDrag(a.get());
    ASSERT_TRUE(a->Dragging());
    MoveHeld(a.get(), a->mapFromGlobal(b->mapToGlobal(QPoint(50, 50))));
    ASSERT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), b.get());
    TTimer* vertical = TtlCustomTreeList::DragScrollTimer(true);
    int changes = 0;
    b->OnChangeNode = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) {
      ++changes;
      if (deleteTarget) b.reset();
      else a.reset();
    };
    vertical->OnTimer(vertical);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(!b, deleteTarget);
    EXPECT_EQ(!a, !deleteTarget);
    // Whatever list is left goes on: further ticks stop or scroll, never crash.
    vertical->OnTimer(vertical);
    vertical->OnTimer(vertical);
    if (b) {
      b->OnChangeNode = nullptr;
      b->repaint();
    }
    if (a) {
      a->CancelDrag();
      EXPECT_FALSE(a->Dragging());
      QTest::mouseRelease(a.get(), Qt::LeftButton, {}, QPoint(30, 10));
    }
    if (vertical->Enabled() && !TtlCustomTreeList::DragScrollTimerOwner(true)) vertical->OnTimer(vertical);
    if (!b) {
      EXPECT_FALSE(vertical->Enabled()) << "the timer served a list that died";
    }
  }
}

// Pressing and holding below the rows runs the focus on by itself; a focus
// handler that deletes the list during the move or a later tick ends it.
TEST(AutoScrollStranger, PressScrollWhoseFocusHandlerDeletesTheList) {
  for (const bool onTick : {false, true}) {
    SCOPED_TRACE(onTick ? "on a tick" : "on the move below the rows");
    auto list = MakeList(0, 8);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->DragMode = dmManual;
    list->OptionsBehavior = (list->OptionsBehavior & ~OptB(etoEditing)) | OptB(etoMouseScroll);
    QTest::mousePress(list.get(), Qt::LeftButton, {}, QPoint(30, 10));
    int changes = 0;
    auto kill = [&](TObject*, TtlTreeListNode*, TtlTreeListNode*) {
      ++changes;
      list.reset();
    };
    if (!onTick) list->OnChangeNode = kill;
    MoveHeld(list.get(), QPoint(30, list->height() + 10));
    if (onTick) {
      ASSERT_TRUE(list);
      ASSERT_EQ(list->DragScrollVertDirection(), 1);
      list->OnChangeNode = kill;
      TTimer* vertical = TtlCustomTreeList::DragScrollTimer(true);
      vertical->OnTimer(vertical);
      EXPECT_EQ(changes, 1);
      vertical->OnTimer(vertical);
      EXPECT_FALSE(vertical->Enabled());
    }
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(list);
    EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), nullptr);
  }
}

// Three lists take the timer in turn, each dying while it holds it; a list
// pressed afterwards gets the timer back and is the only one it serves.
TEST(AutoScrollStranger, ListsTakingTheTimerInTurnAndDying) {
  TTimer* vertical = TtlCustomTreeList::DragScrollTimer(true);
  for (int round = 0; round < 3; ++round) {
    auto list = MakeList(0, 8);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->DragMode = dmManual;
    list->OptionsBehavior = (list->OptionsBehavior & ~OptB(etoEditing)) | OptB(etoMouseScroll);
    QTest::mousePress(list.get(), Qt::LeftButton, {}, QPoint(30, 10));
    MoveHeld(list.get(), QPoint(30, list->height() + 10));
    EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), list.get());
    const int top = list->TopIndex();
    vertical->OnTimer(vertical);
    EXPECT_GT(list->TopIndex(), top);
    list.reset();  // dies holding the timer
    EXPECT_EQ(TtlCustomTreeList::DragScrollTimerOwner(true), nullptr);
  }
  vertical->OnTimer(vertical);
  EXPECT_FALSE(vertical->Enabled());
}

class SidewaysWheelStranger : public ::testing::Test {
 protected:
  void SetUp() override {
    list = std::make_unique<TtlTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->Bands()->Add()->SetWidth(2000000);
    for (int w : {1000000, 1000000}) list->CreateColumn()->SetWidth(w);
    for (int i = 0; i < 3; ++i) static_cast<TtlTreeListTextNode*>(list->Add())->SetCellText(0, QString::number(i));
    list->resize(300, 200);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
  }
  void Wheel(int dx, int dy = 0) {
    QWheelEvent e(QPointF(50, 50), QPointF(list->mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(dx, dy),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.get(), &e);
  }
  std::unique_ptr<TtlTreeList> list;
};

// Deltas any device may report: a tilt to the left (positive) ends at the
// left edge, to the right (negative) at the right edge, however big, and a
// fraction left from before does not turn the direction round.
TEST_F(SidewaysWheelStranger, ExtremeDeltasScrollTheWayTheyPoint) {
  struct Case {
    const char* name;
    int before;  // a fraction of a notch already sent
    int dx;
    bool rightEdge;  // where it ends: the right edge, or else the left
  };
  const Case cases[] = {
      {"largest left", 0, kMax, false},
      {"largest left after a fraction", 119, kMax, false},
      {"largest right", 0, kMin, true},
      {"largest right after a fraction", -119, kMin, true},
      {"largest right after a left fraction", 119, kMin, true},
      {"largest left after a right fraction", -119, kMax, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();  // no fraction left from the case before
    const int max = list->MaxLeftPos();
    ASSERT_GT(max, 1000000);
    list->SetLeftPos(max / 2);
    Wheel(c.before);
    ASSERT_EQ(list->LeftPos(), max / 2) << "a fraction scrolls nothing";
    Wheel(c.dx);
    EXPECT_EQ(list->LeftPos(), c.rightEdge ? max : 0);
    Wheel(-(c.dx / 2));  // back the other way by half as much
    EXPECT_EQ(list->LeftPos(), c.rightEdge ? 0 : max);
  }
}

TEST_F(SidewaysWheelStranger, AlternatingSignsEmptyAndColumnlessLists) {
  // Signs turning every event: each whole notch scrolls, fractions never add up across a turn.
  list->SetLeftPos(list->MaxLeftPos() / 2);
  const int mid = list->LeftPos();
  for (int i = 0; i < 1000; ++i) Wheel(i % 2 ? -119 : 119);
  EXPECT_EQ(list->LeftPos(), mid);
  Wheel(-120);
  const int step = list->LeftPos() - mid;
  EXPECT_GT(step, 0);
  Wheel(120);
  EXPECT_EQ(list->LeftPos(), mid);
  // Nothing to scroll: no rows, then no columns either.
  list->ClearNodes();
  for (int dx : {kMax, kMin, 120, -120}) Wheel(dx);
  EXPECT_GE(list->LeftPos(), 0);
  EXPECT_LE(list->LeftPos(), list->MaxLeftPos());
  while (list->ColumnCount() > 0) delete list->Columns(0);
  for (int dx : {kMax, kMin, 120, -120}) Wheel(dx);
  EXPECT_GE(list->LeftPos(), 0);
  EXPECT_LE(list->LeftPos(), list->MaxLeftPos());
  list->repaint();
}

}  // namespace

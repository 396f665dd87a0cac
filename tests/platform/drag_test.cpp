// Drags between controls and the tab order of windowed controls: the
// manager's order of events, and what happens when handlers end the drag,
// begin another or destroy the source on the way.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "platform/control.h"
#include "platform/drag.h"
#include "platform/tab_order.h"
#include "tests/platform/drag_fixture.h"

namespace {
using dragtest::DragBox;

struct Boxes {
  QWidget window;
  DragBox* a;
  DragBox* b;
  Boxes() {
    window.setGeometry(60, 60, 200, 100);
    a = new DragBox(&window);
    a->SetBounds(0, 0, 90, 100);
    b = new DragBox(&window);
    b->SetBounds(110, 0, 90, 100);
    window.show();
  }
  ~Boxes() { TDragManager::Instance().CancelDrag(); }
  QPoint OnB(QPoint p) const { return a->mapFromGlobal(b->mapToGlobal(p)); }
};
}  // namespace

TEST(DragManager, HandlersMayEndTheDragOrBeginAnother) {
  // The start handler cancels: no target is asked, the source's drag ends.
  {
    Boxes f;
    int overs = 0, ends = 0;
    f.a->OnStartDrag = [&](TObject*, TObject*&) { TDragManager::Instance().CancelDrag(); };
    f.a->OnEndDrag = [&](TObject*, TObject* target, int, int) { ends += target == nullptr; };
    f.b->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) { ++overs; };
    QTest::mousePress(f.a, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(f.a, f.OnB(QPoint(10, 10)));
    EXPECT_EQ(overs, 0);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(TDragManager::Instance().Dragging());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::mouseRelease(f.a, Qt::LeftButton, {}, f.OnB(QPoint(10, 10)));
  }
  // The drop handler begins the next drag from the target.
  {
    Boxes f;
    f.b->OnDragOver = [&](TObject*, TObject*, int, int, TDragState, bool&) {};
    f.b->OnDragDrop = [&](TObject*, TObject*, int, int) {
      f.b->BeginDrag(TPoint(0, 0), false);
    };
    int ends = 0;
    f.a->OnEndDrag = [&](TObject*, TObject* target, int, int) { ends += target == f.b; };
    QTest::mousePress(f.a, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(f.a, f.OnB(QPoint(10, 10)));
    QTest::mouseRelease(f.a, Qt::LeftButton, {}, f.OnB(QPoint(10, 10)));
    EXPECT_EQ(ends, 1) << "the first drag still ends at its source";
    EXPECT_TRUE(TDragManager::Instance().Pending());
    EXPECT_EQ(TDragManager::Instance().Source(), f.b);
  }
}

TEST(DragManager, ASourceDestroyedDuringTheDragEndsItQuietly) {
  Boxes f;
  std::vector<TDragState> states;
  f.b->OnDragOver = [&](TObject*, TObject*, int, int, TDragState s, bool&) { states.push_back(s); };
  QTest::mousePress(f.a, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(f.a, f.OnB(QPoint(10, 10)));
  ASSERT_TRUE(TDragManager::Instance().Dragging());
  const QPoint over = f.b->mapToGlobal(QPoint(20, 20));
  delete f.a;
  // The next event finds the source gone: the target is left, the cursor
  // restored, and nothing is called on the source.
  QTest::mouseMove(f.b, f.b->mapFromGlobal(over));
  EXPECT_FALSE(TDragManager::Instance().Dragging());
  EXPECT_EQ(states.back(), dsDragLeave);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(20, 20));
}

TEST(DragManager, DockingKindAndManualModeBeginNoDrag) {
  Boxes f;
  f.a->DragKind = dkDock;
  QTest::mousePress(f.a, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(TDragManager::Instance().Pending());
  QTest::mouseRelease(f.a, Qt::LeftButton, {}, QPoint(10, 10));
  f.a->DragKind = dkDrag;
  f.a->DragMode = dmManual;
  QTest::mousePress(f.a, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(TDragManager::Instance().Pending());
  QTest::mouseRelease(f.a, Qt::LeftButton, {}, QPoint(10, 10));
  // Begun by code at once.
  f.a->BeginDrag(TPoint(f.a->mapToGlobal(QPoint(5, 5)).x(), f.a->mapToGlobal(QPoint(5, 5)).y()), true);
  EXPECT_TRUE(TDragManager::Instance().Dragging());
  EXPECT_EQ(TDragManager::Instance().Target(), f.a) << "the source takes drags too";
  EXPECT_FALSE(TDragManager::Instance().Accepted()) << "not without OnDragOver";
}

TEST(TabOrder, PlacesAmongWindowedSiblingsAndTheTabKeyFollowsThem) {
  QWidget window;
  std::vector<TCustomControl*> c;
  for (int i = 0; i < 4; ++i) {
    c.push_back(new TCustomControl(&window));
    c.back()->SetTabStop(i != 2);  // one that never takes the focus
  }
  auto orders = [&] {
    std::vector<int> out;
    for (auto* w : c) out.push_back(TabOrderOf(w));
    return out;
  };
  EXPECT_EQ(orders(), (std::vector<int>{0, 1, 2, 3})) << "creation order";
  SetTabOrderOf(c[3], 0);
  EXPECT_EQ(orders(), (std::vector<int>{1, 2, 3, 0}));
  SetTabOrderOf(c[0], -1);
  EXPECT_EQ(orders(), (std::vector<int>{3, 1, 2, 0})) << "a negative place is the last";
  SetTabOrderOf(c[2], 99);
  EXPECT_EQ(orders(), (std::vector<int>{2, 1, 3, 0}));
  // The Tab key visits the focusable ones in that order: 3, 1, 0.
  std::vector<QWidget*> visited;
  for (QWidget* w = c[3]->nextInFocusChain(); w != c[3]; w = w->nextInFocusChain())
    if (w->focusPolicy() & Qt::TabFocus) visited.push_back(w);
  EXPECT_EQ(visited, (std::vector<QWidget*>{c[1], c[0]}));
  auto* late = new TCustomControl(&window);
  EXPECT_EQ(TabOrderOf(late), 4) << "a control created later comes last";
}

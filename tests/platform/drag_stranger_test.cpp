// Drags whose handlers destroy the control the drag started from, at each
// point of the drag: the drag must still end, leaving no drag cursor behind
// and the target told that the pointer left it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "platform/control.h"
#include "platform/drag.h"
#include "tests/platform/drag_fixture.h"

namespace {
using dragtest::DragBox;

// Source a, a window of its own (so destroying it tells no parent), on the
// left; target b in another window on the right; b logs what it is told.
struct Pair {
  QWidget window;
  QPointer<DragBox> a;
  QPointer<DragBox> b;
  std::vector<TDragState> states;
  int drops = 0;
  Pair() {
    a = new DragBox(nullptr);
    a->setGeometry(60, 60, 90, 100);
    a->show();
    window.setGeometry(170, 60, 90, 100);
    b = new DragBox(&window);
    b->SetBounds(0, 0, 90, 100);
    b->OnDragOver = [this](TObject*, TObject*, int, int, TDragState s, bool&) { states.push_back(s); };
    b->OnDragDrop = [this](TObject*, TObject*, int, int) { ++drops; };
    window.show();
  }
  ~Pair() {
    if (b) b->OnDragOver = nullptr;  // its log goes before the window
    delete a.data();
    TDragManager::Instance().CancelDrag();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();  // keep other tests clean
  }
  // The widget that gets the pointer's events: the source while it lives.
  QWidget* Grab() { return a ? static_cast<QWidget*>(a.data()) : &window; }
  QPoint OnB(QPoint p) { return Grab()->mapFromGlobal(b->mapToGlobal(p)); }
};
}  // namespace

TEST(DragSourceDestroyed, AStartHandlerThatDestroysItAndBeginsAnotherDragLeavesNoCursorBehind) {
  Pair f;
  int bEnds = 0;
  f.b->OnEndDrag = [&bEnds](TObject*, TObject*, int, int) { ++bEnds; };
  f.a->OnStartDrag = [&f](TObject*, TObject*&) {
    DragBox* a = f.a;
    DragBox* b = f.b;
    const QPoint p = b->mapToGlobal(QPoint(10, 10));
    delete a;  // nothing of this handler is touched after this
    b->BeginDrag(TPoint(p.x(), p.y()), true);
  };
  QTest::mousePress(f.Grab(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(f.Grab(), f.OnB(QPoint(10, 10)));
  ASSERT_TRUE(f.a.isNull());
  ASSERT_TRUE(TDragManager::Instance().Dragging());
  EXPECT_EQ(TDragManager::Instance().Source(), f.b.data());
  QTest::mouseRelease(f.b, Qt::LeftButton, {}, QPoint(12, 12));
  EXPECT_FALSE(TDragManager::Instance().Dragging());
  EXPECT_EQ(bEnds, 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one cursor set per drag, one restored";
}

TEST(DragSourceDestroyed, TheDragEndsAtOnceWhenTheSourceGoesDuringTheDropOrBeforeACancel) {
  // When the source is destroyed: 0 by the target's handler for the moves,
  // on the releasing move; 1 by the code just before it cancels the drag.
  for (int when : {0, 1}) {
    SCOPED_TRACE(when);
    Pair f;
    QTest::mousePress(f.Grab(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(f.Grab(), f.OnB(QPoint(10, 10)));
    ASSERT_TRUE(TDragManager::Instance().Dragging());
    ASSERT_TRUE(TDragManager::Instance().Accepted());
    if (when == 0) {
      f.b->OnDragOver = [&f](TObject*, TObject*, int, int, TDragState s, bool&) {
        f.states.push_back(s);
        if (s == dsDragMove && f.a) delete f.a.data();
      };
      QTest::mouseRelease(f.Grab(), Qt::LeftButton, {}, f.OnB(QPoint(20, 20)));
    } else {
      delete f.a.data();
      TDragManager::Instance().CancelDrag();
    }
    ASSERT_TRUE(f.a.isNull());
    EXPECT_FALSE(TDragManager::Instance().Dragging());
    EXPECT_EQ(f.drops, 0) << "nothing is dropped from a source that is gone";
    EXPECT_EQ(f.states.back(), dsDragLeave);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

// Sideways scrolling of the tree list: the left position moves the bands
// that are not fixed, through the scroll bar, the keys, the editor, the drag
// timer and panning, and layout changes keep it within the columns.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTest>
#include <memory>

#include "treelist/tree_list.h"
#include "treelist/tree_list_edit.h"

namespace {

TColor At(const QImage& img, int x, int y) { return FromQColor(img.pixelColor(x, y)); }

// A band fixed on the left (key, 60), a scrolled band (one and two, 150
// each) and a band fixed on the right (sum, 60) in a list 300 pixels wide:
// 120 pixels of the middle do not fit.
class HorzScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = std::make_unique<TtlTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->SetShowLines(false);
    list->SetOptionsView(Opt(etoBandHeaderWidth));
    for (int i = 0; i < 3; ++i) list->Bands()->Add();
    list->Bands()->Items(0)->SetFixed(bfLeft);
    list->Bands()->Items(2)->SetFixed(bfRight);
    key = Column(0, 60, clLime);
    one = Column(1, 150, clRed);
    two = Column(1, 150, clBlue);
    sum = Column(2, 60, clYellow);
    for (const char* name : {"a", "b", "c"}) {
      auto* n = static_cast<TtlTreeListTextNode*>(list->Add());
      for (int i = 0; i < 4; ++i) n->SetCellText(i, QString::fromLatin1(name) + QString::number(i));
    }
    // Room for five rows under the header, three of them used.
    list->resize(300, list->HeaderHeight() + 5 * 20 + TScrollBar::DefaultWidth);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->activateWindow();
    list->setFocus();
    list->SetFocusedNode(list->Items(0), key->Index(), false);
  }
  TtlTreeListColumn* Column(int band, int width, TColor color) {
    TtlTreeListColumn* c = list->CreateColumn();
    c->SetBandIndex(band);
    c->SetWidth(width);
    c->SetColor(color);
    return c;
  }
  int RowY(int index) const { return list->RowsRect().Top + index * 20 + 10; }
  TScrollBar* Bar() const { return list->HorzScrollBar(); }
  void ClickBar(int x) { QTest::mouseClick(Bar(), Qt::LeftButton, {}, QPoint(x, 8)); }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
    QWidget* f = QApplication::focusWidget();
    QTest::keyClick(f ? f : list.get(), k, m);
  }
  void Move(QPoint p, Qt::MouseButtons buttons) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(list->mapToGlobal(p)), Qt::NoButton,
                  buttons, Qt::NoModifier);
    QApplication::sendEvent(list.get(), &e);
  }
  QString Cell(int row, const TtlTreeListColumn* c) const {
    return static_cast<TtlTreeListTextNode*>(list->Items(row))->CellText(c->Index());
  }

  std::unique_ptr<TtlTreeList> list;
  TtlTreeListColumn *key = nullptr, *one = nullptr, *two = nullptr, *sum = nullptr;
};

TEST_F(HorzScrollTest, TheBarMovesTheMiddleBandWhileTheFixedBandsStay) {
  ASSERT_TRUE(Bar()->Visible());
  EXPECT_EQ(list->MaxLeftPos(), 120);
  EXPECT_EQ(list->RowsRect().Bottom, list->height() - TScrollBar::DefaultWidth);
  EXPECT_EQ(Bar()->Width(), 300) << "no vertical bar: the rows fit";
  const int y = RowY(2);  // a row that is neither focused nor selected
  QImage img = list->grab().toImage();
  // Pixels clear of the cells' texts, which start 2 pixels into each cell.
  EXPECT_EQ(At(img, 50, y), ColorToRGB(clLime));
  EXPECT_EQ(At(img, 200, y), ColorToRGB(clRed));
  EXPECT_EQ(At(img, 235, y), ColorToRGB(clBlue));
  EXPECT_EQ(At(img, 290, y), ColorToRGB(clYellow));

  ClickBar(Bar()->Width() - 4);  // the right arrow: one line
  EXPECT_EQ(list->LeftPos(), TtlCustomTreeList::HorzLineStep);
  ClickBar(Bar()->Width() - 24);  // the track right of the thumb: a page, clamped
  EXPECT_EQ(list->LeftPos(), 120);
  EXPECT_EQ(Bar()->Position(), 120);
  img = list->grab().toImage();
  EXPECT_EQ(At(img, 50, y), ColorToRGB(clLime)) << "the left band does not move";
  EXPECT_EQ(At(img, 62, y), ColorToRGB(clRed)) << "one now ends at 90";
  EXPECT_EQ(At(img, 89, y), ColorToRGB(clRed));
  EXPECT_EQ(At(img, 150, y), ColorToRGB(clBlue));
  EXPECT_EQ(At(img, 239, y), ColorToRGB(clBlue)) << "two ends where the right band begins";
  EXPECT_EQ(At(img, 290, y), ColorToRGB(clYellow)) << "the right band does not move";

  // Header and clicks follow what is shown.
  const int headerY = list->HeaderHeight() / 2;
  EXPECT_EQ(list->HeaderColumnAt(30, headerY), key);
  EXPECT_EQ(list->HeaderColumnAt(80, headerY), one);
  EXPECT_EQ(list->HeaderColumnAt(100, headerY), two);
  EXPECT_EQ(list->HeaderColumnAt(250, headerY), sum);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(100, RowY(1)));
  EXPECT_EQ(list->FocusedNode(), list->Items(1));
  EXPECT_EQ(list->FocusedColumn(), two->Index());
  EXPECT_EQ(list->LeftPos(), 120) << "the clicked cell shows already";
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(250, RowY(2)));
  EXPECT_EQ(list->FocusedColumn(), sum->Index());
  EXPECT_EQ(list->HitTest(80, RowY(0), nullptr), htCell);

  ClickBar(3);  // the left arrow
  EXPECT_EQ(list->LeftPos(), 120 - TtlCustomTreeList::HorzLineStep);
}

TEST_F(HorzScrollTest, MovingTheFocusBetweenColumnsBringsTheColumnIntoView) {
  struct Step {
    Qt::Key key;
    const TtlTreeListColumn* column;
    int leftPos;
  };
  const Step steps[] = {
      {Qt::Key_Right, one, 0},    // fully shown already
      {Qt::Key_Right, two, 120},  // its right edge comes to the right band
      {Qt::Key_Right, sum, 120},  // fixed: nothing scrolls
      {Qt::Key_Left, two, 120},
      {Qt::Key_Left, one, 0},     // its left edge comes to the left band
      {Qt::Key_End, sum, 0},
      {Qt::Key_Home, key, 0},
  };
  for (const Step& s : steps) {
    Key(s.key);
    EXPECT_EQ(list->FocusedColumn(), s.column->Index()) << "key " << s.key;
    EXPECT_EQ(list->LeftPos(), s.leftPos) << "key " << s.key;
  }
  // Focusing another row brings its focused column back into view too.
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  list->SetLeftPos(0);
  Key(Qt::Key_Down);
  EXPECT_EQ(list->LeftPos(), 120);
}

TEST_F(HorzScrollTest, LayoutChangesKeepTheLeftPositionWithinTheColumns) {
  list->SetLeftPos(500);
  EXPECT_EQ(list->LeftPos(), 120) << "clamped when set";
  two->SetWidth(100);
  EXPECT_EQ(list->LeftPos(), 70);
  EXPECT_EQ(Bar()->Position(), 70);
  two->SetVisible(false);
  EXPECT_EQ(list->MaxLeftPos(), 0);
  EXPECT_EQ(list->LeftPos(), 0);
  EXPECT_FALSE(list->HorzScrollBar()->Visible());
  two->SetVisible(true);
  list->SetLeftPos(70);
  list->resize(400, list->height());
  EXPECT_EQ(list->LeftPos(), 0) << "a wider window shows everything";
  EXPECT_FALSE(list->HorzScrollBar()->Visible());
  list->resize(300, list->height());
  EXPECT_TRUE(list->HorzScrollBar()->Visible());

  // Without the horizontal bar the rows take its room; the keys still scroll.
  list->SetScrollBars(ssVertical);
  EXPECT_FALSE(list->HorzScrollBar()->Visible());
  EXPECT_EQ(list->RowsRect().Bottom, list->height());
  list->SetFocusedColumn(two->Index());
  EXPECT_EQ(list->LeftPos(), 70);
}

TEST_F(HorzScrollTest, ScrollingSidewaysClosesTheEditorWritingItsValueBack) {
  int edited = 0;
  list->OnEdited = [&](TObject*, TtlTreeListNode*) { ++edited; };
  list->SetFocusedNode(list->Items(0), one->Index(), false);
  list->SetLeftPos(120);
  // Opening the editor brings its cell into view first.
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(list->LeftPos(), 0);
  EXPECT_EQ(list->InplaceEditor()->geometry().left(), 60 - 2);
  for (QChar ch : QStringLiteral("xy")) QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
  ClickBar(Bar()->Width() - 4);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(0, one), QStringLiteral("xy"));
  EXPECT_EQ(edited, 1);
  EXPECT_EQ(list->LeftPos(), TtlCustomTreeList::HorzLineStep);
}

TEST_F(HorzScrollTest, DraggingNearTheSidesScrolls32PixelsATickUpToTheEdge) {
  list->DragMode = dmAutomatic;
  const QPoint start(100, RowY(1));
  QTest::mousePress(list.get(), Qt::LeftButton, {}, start);
  Move(start + QPoint(0, 6), Qt::LeftButton);
  Move(start + QPoint(QApplication::startDragDistance() + 1, 6), Qt::LeftButton);
  ASSERT_TRUE(list->Dragging());
  // Below the rows nothing is focused, so only the timer scrolls. The zones
  // lie inside the scrolled area: 60 < x < 72 and 228 < x <= 240.
  const int below = RowY(4);
  Move(QPoint(235, below), Qt::LeftButton);
  EXPECT_EQ(list->DragScrollHorzDirection(), 1);
  for (int expected : {32, 64, 96, 120}) {
    list->DragScrollHorzTick();
    EXPECT_EQ(list->LeftPos(), expected);
  }
  list->DragScrollHorzTick();
  EXPECT_EQ(list->DragScrollHorzDirection(), 0) << "stopped at the edge";
  Move(QPoint(65, below), Qt::LeftButton);
  EXPECT_EQ(list->DragScrollHorzDirection(), -1);
  for (int expected : {88, 56, 24, 0}) {
    list->DragScrollHorzTick();
    EXPECT_EQ(list->LeftPos(), expected);
  }
  list->DragScrollHorzTick();
  EXPECT_EQ(list->DragScrollHorzDirection(), 0);
  Move(QPoint(30, below), Qt::LeftButton);  // over the fixed band: no zone
  EXPECT_EQ(list->DragScrollHorzDirection(), 0);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(list->Dragging());
}

TEST_F(HorzScrollTest, PanningScrollsSidewaysWhenOnlyThatIsPossible) {
  const QPoint origin(150, RowY(1));
  QTest::mousePress(list.get(), Qt::MiddleButton, {}, origin);
  ASSERT_EQ(list->State(), tsPanning);
  EXPECT_EQ(list->PanningPicture(), QStringLiteral("TLGRID_HORSCROLLBITMAP"));
  EXPECT_EQ(list->PanningCursor(), 1132);
  EXPECT_EQ(list->cursor().shape(), Qt::BitmapCursor) << "a picture of our own";
  Move(origin + QPoint(40, 30), Qt::MiddleButton);  // vertical distance does not count
  EXPECT_EQ(list->PanningDirection(), TtlCustomTreeList::pdRight);
  EXPECT_EQ(list->PanningCursor(), 1135);
  EXPECT_EQ(list->cursor().shape(), Qt::BitmapCursor);
  const int speed = list->PanningSpeed();
  for (int i = 0; i < 2 * (13 - speed); ++i) list->PanningTick();
  EXPECT_EQ(list->LeftPos(), 2 * TtlCustomTreeList::HorzLineStep);
  Move(origin - QPoint(40, 0), Qt::MiddleButton);
  EXPECT_EQ(list->PanningDirection(), TtlCustomTreeList::pdLeft);
  for (int i = 0; i < 5 * (13 - list->PanningSpeed()); ++i) list->PanningTick();
  EXPECT_EQ(list->LeftPos(), 0) << "clamped at the left edge";
  QTest::mouseRelease(list.get(), Qt::MiddleButton, {}, origin - QPoint(40, 0));
  EXPECT_EQ(list->State(), tsNormal);
}

TEST_F(HorzScrollTest, ASidewaysWheelScrollsInWholeNotches) {
  const QPoint at(150, RowY(1));
  auto wheel = [&](QPoint angle) {
    QWheelEvent e(QPointF(at), QPointF(list->mapToGlobal(at)), QPoint(), angle, Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.get(), &e);
  };
  const int notch = std::max(1, QApplication::wheelScrollLines()) * TtlCustomTreeList::HorzLineStep;
  struct Step {
    QPoint angle;
    int leftPos;
  };
  const Step steps[] = {
      {{-60, 0}, 0},                             // half a notch to the right: nothing yet
      {{-60, 0}, std::min(notch, 120)},          // the second half makes one notch
      {{-120, -10}, std::min(2 * notch, 120)},   // mostly sideways counts as sideways
      {{-120, 0}, 120},                          // held at the end of the columns
      {{30, 0}, 120},                            // a turn back drops the rest of the other way
      {{90, 0}, std::max(0, 120 - notch)},
      {{0, -120}, std::max(0, 120 - notch)},     // the vertical wheel leaves it
  };
  for (const Step& s : steps) {
    wheel(s.angle);
    EXPECT_EQ(list->LeftPos(), s.leftPos) << "angle " << s.angle.x() << "," << s.angle.y();
  }
}

}  // namespace

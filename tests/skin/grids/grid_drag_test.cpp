// Dragging in the grid engine: rows and columns moved by their fixed cells,
// and the held button's 60 ms timer that scrolls towards a pointer outside
// the cells and extends the selection (ticks counted, never waited for).

#include "tests/skin/grids/grid_fixture.h"
#include "tests/skin/grids/plain_grid.h"

#include "skin/grids/grid_rules.h"

namespace {

class PlainGrid : public gridtest::PlainGrid {
 public:
  using gridtest::PlainGrid::PlainGrid;
  using TsfSkinCustomGrid::LastLeftCol;
};

QPoint Centre(const TRect& r) { return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

struct Moved {
  int from, to;
  friend bool operator==(const Moved&, const Moved&) = default;
};

class GridDragTest : public ::testing::Test {
 protected:
  // Columns 1..4 of widths 41..44 and rows 1..4 of heights 21..24: a moved
  // column or row is known by its size.
  void SetUp() override {
    g.SetGridOptions(g.GridOptions() | goColMoving | goRowMoving);
    for (int i = 1; i < 5; ++i) {
      g.SetColWidths(i, 40 + i);
      g.SetRowHeights(i, 20 + i);
    }
    g.resize(400, 200);
    g.OnColumnMoved = [this](TObject*, int from, int to) { cols.push_back({from, to}); };
    g.OnRowMoved = [this](TObject*, int from, int to) { rows.push_back({from, to}); };
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  }
  // Stops the real timer so that only counted ticks run.
  TTimer* HeldTimer() {
    TTimer* t = g.SelectTimer();
    EXPECT_TRUE(t && t->Enabled());
    if (!t) return nullptr;
    EXPECT_EQ(t->Interval(), 60);
    t->SetEnabled(false);
    return t;
  }
  PlainGrid g;
  std::vector<Moved> cols, rows;
};

TEST_F(GridDragTest, ColumnsAndRowsMoveByTheirFixedCells) {
  struct Case {
    bool column;
    int from, to;
    std::vector<int> sizes;  // widths of columns 1..4 or heights of rows 1..4 after the move
  };
  const Case cases[] = {
      {true, 1, 3, {42, 43, 41, 44}},
      {true, 4, 2, {41, 44, 42, 43}},
      {false, 2, 4, {21, 23, 24, 22}},
      {false, 3, 1, {23, 21, 22, 24}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.column ? "column " : "row ") << c.from << " -> " << c.to);
    g.SetCol(c.column ? c.from : 2);
    g.SetRow(c.column ? 2 : c.from);
    cols.clear();
    rows.clear();
    const QPoint press = Centre(c.column ? g.CellRect(c.from, 0) : g.CellRect(0, c.from));
    const QPoint target = Centre(c.column ? g.CellRect(c.to, 2) : g.CellRect(2, c.to));
    QTest::mousePress(&g, Qt::LeftButton, {}, press);
    EXPECT_EQ(g.GridState(), c.column ? gsColMoving : gsRowMoving);
    QTest::mouseMove(&g, target);
    EXPECT_EQ(g.MoveToIndex(), c.to);
    // Nothing moves before the release.
    EXPECT_EQ(c.column ? g.ColWidths(c.from) : g.RowHeights(c.from), (c.column ? 40 : 20) + c.from);
    QTest::mouseRelease(&g, Qt::LeftButton, {}, target);
    EXPECT_EQ(g.GridState(), gsNormal);
    EXPECT_EQ(c.column ? cols : rows, (std::vector<Moved>{{c.from, c.to}}));
    EXPECT_TRUE(c.column ? rows.empty() : cols.empty());
    for (int i = 1; i < 5; ++i)
      EXPECT_EQ(c.column ? g.ColWidths(i) : g.RowHeights(i), c.sizes[size_t(i - 1)]) << i;
    // The current cell went with the row or column it was in.
    EXPECT_EQ(c.column ? g.Col() : g.Row(), c.to);
    // Put it back for the next case.
    if (c.column) g.MoveColumn(c.to, c.from);
    else g.MoveRow(c.to, c.from);
  }
}

TEST_F(GridDragTest, InsertionLineShowsWhileDraggingAndNoMoveWithoutOptionOrDistance) {
  const TRect first = g.CellRect(1, 0), third = g.CellRect(3, 2);
  QTest::mousePress(&g, Qt::LeftButton, {}, Centre(first));
  const QImage before = Grab(&g);
  QTest::mouseMove(&g, Centre(third));
  // A thick line on the grid line right of column 3, where column 1 would land.
  const QImage during = Grab(&g);
  const int lineX = third.Right;
  for (int dx : {-1, 0, 1}) {
    EXPECT_EQ(during.pixel(lineX + dx, Centre(third).y()), qRgb(0, 0, 0)) << dx;
  }
  EXPECT_NE(before.pixel(lineX - 1, Centre(third).y()), qRgb(0, 0, 0));
  // Back onto itself: no line, and the release moves nothing.
  QTest::mouseMove(&g, Centre(first));
  EXPECT_EQ(Grab(&g).pixel(lineX - 1, Centre(third).y()), before.pixel(lineX - 1, Centre(third).y()));
  QTest::mouseRelease(&g, Qt::LeftButton, {}, Centre(first));
  EXPECT_TRUE(cols.empty());
  EXPECT_EQ(g.ColWidths(1), 41);

  // Without the option a fixed cell starts nothing.
  g.SetGridOptions(g.GridOptions() & ~goColMoving);
  QTest::mousePress(&g, Qt::LeftButton, {}, Centre(first));
  EXPECT_EQ(g.GridState(), gsNormal);
  QTest::mouseMove(&g, Centre(third));
  QTest::mouseRelease(&g, Qt::LeftButton, {}, Centre(third));
  EXPECT_TRUE(cols.empty());
  EXPECT_EQ(g.ColWidths(1), 41);
  EXPECT_THROW(g.MoveColumn(1, 5), EInvalidOperation);
}

TEST_F(GridDragTest, HeldButtonBelowTheGridScrollsAndExtendsTheSelectionPerTick) {
  g.SetRowCount(30);
  g.SetRow(1);
  const QPoint press = Centre(g.CellRect(2, 1));
  QTest::mousePress(&g, Qt::LeftButton, {}, press);
  ASSERT_EQ(g.GridState(), gsSelecting);
  TTimer* t = HeldTimer();
  ASSERT_TRUE(t);
  // Pointer below the grid, over column 3: the move itself finds no cell.
  QTest::mouseMove(&g, QPoint(Centre(g.CellRect(3, 1)).x(), g.height() + 15));
  const int top = g.TopRow();
  ASSERT_EQ(top, 1);
  for (int tick = 1; tick <= 3; ++tick) {
    t->OnTimer(t);
    EXPECT_EQ(g.TopRow(), top + tick) << tick;
    // The selection reaches the last row shown wholly, from the pressed cell.
    const TRect last = g.CellRect(3, g.Row());
    EXPECT_LE(last.Bottom, g.height()) << tick;
    const TRect next = g.CellRect(3, g.Row() + 1);
    EXPECT_TRUE(next.IsEmpty() || next.Bottom > g.height()) << tick;
    const TGridRect s = g.Selection();
    EXPECT_EQ(s.Top, 1);
    EXPECT_EQ(s.Left, 2);
    EXPECT_EQ(s.Right, 3);
    EXPECT_EQ(s.Bottom, g.Row());
  }
  // Above the grid's cells the ticks scroll back up.
  QTest::mouseMove(&g, QPoint(Centre(g.CellRect(3, g.Row())).x(), -5));
  t->OnTimer(t);
  EXPECT_EQ(g.TopRow(), top + 2);
  EXPECT_EQ(g.Row(), top + 2);
  QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(5, -5));
  EXPECT_FALSE(t->Enabled());
  // A tick that was already due after the release does nothing.
  const int after = g.TopRow();
  t->OnTimer(t);
  EXPECT_EQ(g.TopRow(), after);
  EXPECT_EQ(g.GridState(), gsNormal);
}

TEST_F(GridDragTest, HeldButtonRightOfTheGridScrollsColumnsWhileSelectingOrMoving) {
  g.SetColCount(20);
  // Selecting: each tick scrolls one column and the selection follows.
  QTest::mousePress(&g, Qt::LeftButton, {}, Centre(g.CellRect(1, 1)));
  TTimer* t = HeldTimer();
  ASSERT_TRUE(t);
  QTest::mouseMove(&g, QPoint(g.width() + 10, Centre(g.CellRect(1, 2)).y()));
  t->OnTimer(t);
  t->OnTimer(t);
  EXPECT_EQ(g.LeftCol(), 3);
  EXPECT_EQ(g.Selection().Left, 1);
  EXPECT_EQ(g.Selection().Bottom, 2);
  EXPECT_EQ(g.Col(), g.Selection().Right);
  EXPECT_LE(g.CellRect(g.Col(), 2).Right, g.width());
  QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(g.width() + 10, 30));

  // Moving a column: the ticks scroll and the insertion point follows to the
  // last column shown; the release puts the column there.
  g.SetLeftCol(1);
  const int width1 = g.ColWidths(1);
  QTest::mousePress(&g, Qt::LeftButton, {}, Centre(g.CellRect(1, 0)));
  t = HeldTimer();
  ASSERT_TRUE(t);
  QTest::mouseMove(&g, QPoint(g.width() + 10, 10));
  t->OnTimer(t);
  EXPECT_EQ(g.LeftCol(), 2);
  const int to = g.MoveToIndex();
  EXPECT_GT(to, 5);
  EXPECT_LE(g.CellRect(to, 0).Right, g.width());
  QTest::mouseRelease(&g, Qt::LeftButton, {}, QPoint(g.width() + 10, 10));
  EXPECT_EQ(cols, (std::vector<Moved>{{1, to}}));
  EXPECT_EQ(g.ColWidths(to), width1);
}

}  // namespace

namespace {

// Right to left: Left and Right swap, and the horizontal bar's value is
// mirrored both ways (a thumb put somewhere stays there).
TEST(GridRightToLeft, KeysSwapAndTheBarKeepsTheThumbWhereItWasPut) {
  for (const Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
    const bool rtl = dir == Qt::RightToLeft;
    SCOPED_TRACE(rtl ? "right to left" : "left to right");
    PlainGrid g;
    g.setLayoutDirection(dir);
    g.SetColCount(30);
    g.resize(300, 120);
    FakeBar bar;
    g.SetHScrollBar(&bar);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    g.setFocus();
    ASSERT_TRUE(bar.shown_);
    // At the first column the thumb is at its start, or its end right to left.
    EXPECT_EQ(bar.position_, rtl ? 127 : 0);
    g.SetCol(3);
    QTest::keyClick(&g, Qt::Key_Right);
    EXPECT_EQ(g.Col(), rtl ? 2 : 4);
    QTest::keyClick(&g, Qt::Key_Left);
    QTest::keyClick(&g, Qt::Key_Left);
    EXPECT_EQ(g.Col(), rtl ? 4 : 2);
    for (int p : {40, 127, 0}) {
      bar.Drag(p);
      bar.Release();
      // The thumb stays near where it was put (to the nearest column).
      EXPECT_LE(std::abs(bar.position_ - p), 127 / (g.LastLeftCol() - 1) + 1) << p;
      const int shown = GridScrollPosition(g.LeftCol(), 1, g.LastLeftCol());
      EXPECT_EQ(bar.position_, rtl ? 127 - shown : shown) << p;
      EXPECT_EQ(g.LeftCol(), GridScrollTarget(rtl ? 127 - p : p, 1, g.LastLeftCol())) << p;
    }
    // The thumb's far end is the first column right to left, the last one
    // left to right.
    bar.Drag(127);
    bar.Release();
    EXPECT_EQ(g.LeftCol(), rtl ? 1 : g.LastLeftCol());
  }
}

}  // namespace

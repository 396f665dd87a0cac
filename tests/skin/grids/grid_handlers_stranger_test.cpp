// Handlers that pull the grid, its columns or its record set away while Tab,
// a right-click menu or a middle-click paste is running, and tab stops set
// on grids of odd shapes.

#include "tests/skin/grids/marks_fixture.h"
#include "tests/skin/grids/plain_grid.h"

#include "platform/form.h"
#include "skin/grids/db_inplace_edit.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"
#include "tests/skin/menus/plain_menu_host.h"

namespace {

using menutest::MenuHost;

class SelectionEditor : public TsfDBGridInplaceEdit {
 public:
  using TsfDBGridInplaceEdit::TsfDBGridInplaceEdit;
  QString selection = QStringLiteral("5");

 protected:
  QString PrimarySelectionText() const override { return selection; }
};

class SelectionGrid : public TsfSkinDBGrid {
 protected:
  TsfSkinInplaceEdit* CreateCellEditor() override { return new SelectionEditor(this); }
};

class HostileHandlersTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), qty integer);"
                             "insert into t_marks values (1, 'one', 3), (2, 'two', 4), (3, 'six', 6);"),
              400);
    grid->SetOptions(grid->Options() | dgTabs | dgEditing);
  }
  std::unique_ptr<TsfSkinDBGrid> NewGrid() override { return std::make_unique<SelectionGrid>(); }
  // A new grid, shown and active, where a handler destroyed the last one;
  // the records open again where a handler closed them.
  void Renew() {
    if (!query.Active()) query.Open();
    if (grid) return;
    grid = NewGrid();
    grid->resize(400, 200);
    grid->SetDataSource(&source);
    grid->SetOptions(grid->Options() | dgTabs | dgEditing);
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    grid->activateWindow();
    QApplication::setActiveWindow(grid.get());
  }
};

TEST_F(HostileHandlersTest, TabIntoTheNextRecordWhoseScrollPullsThingsAway) {
  enum What { DeleteGrid, ClearColumns, CloseRecords, Mirror };
  for (What w : {DeleteGrid, ClearColumns, CloseRecords, Mirror}) {
    SCOPED_TRACE(int(w));
    Renew();
    query.First();
    grid->setFocus();
    grid->SetCol(ColumnOf(QStringLiteral("qty")));
    query.AfterScroll = [&, w](TObject*) {
      query.AfterScroll = nullptr;
      if (w == DeleteGrid) grid.reset();
      else if (w == ClearColumns) grid->Columns()->Clear();
      else if (w == CloseRecords) query.Close();
      else grid->setLayoutDirection(Qt::RightToLeft);
    };
    QPointer<TsfSkinDBGrid> g(grid.get());
    QTest::keyClick(grid.get(), Qt::Key_Tab);
    query.AfterScroll = nullptr;
    PaintIfThere();
    EXPECT_EQ(g.isNull(), w == DeleteGrid);
    if (w == CloseRecords) {
      EXPECT_FALSE(query.Active());
    }
    if (w == Mirror) {
      EXPECT_EQ(query.RecNo(), 2);
      EXPECT_EQ(grid->SelectedField(), query.FieldByName(QStringLiteral("id")));
    }
    if (grid) grid->setLayoutDirection(Qt::LeftToRight);
  }
}

TEST_F(HostileHandlersTest, ColumnEnteredByTabPullsThingsAway) {
  enum What { DeleteGrid, ClearColumns, CloseRecords };
  for (What w : {DeleteGrid, ClearColumns, CloseRecords}) {
    SCOPED_TRACE(int(w));
    Renew();
    grid->setFocus();
    grid->SetCol(ColumnOf(QStringLiteral("id")));
    grid->OnColEnter = [&, w](TObject*) {
      grid->OnColEnter = nullptr;
      if (w == DeleteGrid) grid.reset();
      else if (w == ClearColumns) grid->Columns()->Clear();
      else query.Close();
    };
    QPointer<TsfSkinDBGrid> g(grid.get());
    QTest::keyClick(grid.get(), Qt::Key_Tab);
    PaintIfThere();
    EXPECT_EQ(g.isNull(), w == DeleteGrid);
    EXPECT_EQ(query.Active(), w != CloseRecords);
    if (grid) grid->OnColEnter = nullptr;
  }
}

TEST_F(HostileHandlersTest, MiddlePasteWhoseEditStartPullsThingsAway) {
  enum What { DeleteGrid, ClearColumns, CloseRecords, Mirror };
  for (What w : {DeleteGrid, ClearColumns, CloseRecords, Mirror}) {
    SCOPED_TRACE(int(w));
    Renew();
    grid->setFocus();
    grid->SetCol(ColumnOf(QStringLiteral("qty")));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* e = dynamic_cast<SelectionEditor*>(grid->InplaceEditor());
    ASSERT_TRUE(e && e->isVisible());
    source.OnStateChange = [&, w](TObject*) {
      source.OnStateChange = nullptr;
      if (w == DeleteGrid) grid.reset();
      else if (w == ClearColumns) grid->Columns()->Clear();
      else if (w == CloseRecords) query.Close();
      else grid->setLayoutDirection(Qt::RightToLeft);
    };
    QPointer<TsfSkinDBGrid> g(grid.get());
    QTest::mouseClick(e, Qt::MiddleButton, {}, QPoint(e->width() - 3, e->height() / 2));
    source.OnStateChange = nullptr;
    PaintIfThere();
    EXPECT_EQ(g.isNull(), w == DeleteGrid);
    if (w == Mirror) {
      EXPECT_EQ(e->text(), QStringLiteral("35"));
    }
    if (grid) {
      grid->setLayoutDirection(Qt::LeftToRight);
      if (query.Active()) query.Cancel();
    }
  }
}

TEST(GridMenuCommand, CommandOrOpeningThatDestroysTheGridOrItsMenu) {
  enum What { GridOwnsMenuCommandDeletesGrid, OpeningDeletesGrid, OpeningDeletesMenu, CommandDeletesMenu };
  for (What w : {GridOwnsMenuCommandDeletesGrid, OpeningDeletesGrid, OpeningDeletesMenu, CommandDeletesMenu}) {
    SCOPED_TRACE(int(w));
    TForm form;
    form.SetBounds(30, 30, 300, 200);
    auto* host = new MenuHost(&form);
    QPointer<TsfSkinDBGrid> grid = new TsfSkinDBGrid(&form);
    grid->setGeometry(0, 0, 280, 180);
    form.show();
    QPointer<TsfSkinPopupMenu> menu = new TsfSkinPopupMenu(w == GridOwnsMenuCommandDeletesGrid ? static_cast<QObject*>(grid.data()) : &form);
    TMenuItem* item = NewMenuItem(menu, QString(), QStringLiteral("Go"));
    menu->Items()->Add(item);
    if (w == GridOwnsMenuCommandDeletesGrid) item->OnClick = [&](TObject*) { delete grid.data(); };
    if (w == CommandDeletesMenu) item->OnClick = [&](TObject*) { delete menu.data(); };
    if (w == OpeningDeletesGrid) menu->OnPopup = [&](TObject*) { delete grid.data(); };
    if (w == OpeningDeletesMenu) menu->OnPopup = [&](TObject*) { delete menu.data(); };
    grid->SetPopupMenu(menu);
    QTest::mouseClick(grid, Qt::RightButton, {}, QPoint(40, 40));
    if (host->menu.IsShowing()) {
      host->menu.ItemAction(host->menu.Deepest(), 0, false, true);
      QCoreApplication::processEvents();
    }
    if (grid) grid->repaint();
    EXPECT_EQ(grid.isNull(), w == GridOwnsMenuCommandDeletesGrid || w == OpeningDeletesGrid);
    EXPECT_EQ(menu.isNull(), w != OpeningDeletesGrid);
    host->menu.CloseFrom(0);
    QCoreApplication::processEvents();
  }
}

using gridtest::PlainGrid;

TEST(GridTabStopsOddShapes, BadIndexesOneColumnAndManyColumns) {
  PlainGrid g;
  g.resize(300, 120);
  g.SetGridOptions(g.GridOptions() | goTabs);
  EXPECT_THROW(g.SetTabStops(-1, false), EInvalidOperation);
  EXPECT_TRUE(g.TabStops(-1));
  g.SetColCount(1);
  g.SetRowCount(3);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  g.setFocus();
  QTest::keyClick(&g, Qt::Key_Tab);
  QTest::keyClick(&g, Qt::Key_Backtab, Qt::ShiftModifier);
  g.SetColCount(10000);
  g.SetTabStops(9999, false);
  g.SetColCount(5);
  g.SetColCount(10000);
  EXPECT_TRUE(g.TabStops(9999)) << "a column added again is a stop again";
  for (int c = 0; c < 10000; ++c) g.SetTabStops(c, false);
  g.SetCol(5000);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.Col(), 5000);
  g.SetTabStops(2, true);
  g.MoveColumn(2, 9999);
  EXPECT_TRUE(g.TabStops(9999));
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.Col(), 9999);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.Col(), 9999);
}

}  // namespace

namespace {

class TextGrid : public TsfSkinCustomGrid {
 public:
  using TsfSkinCustomGrid::TsfSkinCustomGrid;
  QString text;

 protected:
  void DrawCellContent(int, int, const TRect&, TGridDrawState) override {}
  QString GetEditText(int, int) override { return text; }
};

// In text written from the right the editor's Right arrow moves the caret
// towards the text's start and Left towards its end, whichever way the grid
// reads: the arrow that cannot move the caret any further goes to the grid
// (which moves to the cell on that side), the other one moves the caret.
TEST(GridEditorKeysInRightToLeftText, TheArrowPointingOffTheTextGoesToTheGrid) {
  const QString hebrew = QString::fromUtf8("\u05d0\u05d1\u05d2\u05d3");
  struct Case { Qt::LayoutDirection grid; int caret; Qt::Key key; int col; int caretAfter; };
  const Case cases[] = {
      {Qt::LeftToRight, 0, Qt::Key_Right, 4, 0},  // the start is the text's right end
      {Qt::LeftToRight, 0, Qt::Key_Left, 3, 1},   // into the text
      {Qt::LeftToRight, 4, Qt::Key_Left, 2, 4},
      {Qt::LeftToRight, 4, Qt::Key_Right, 3, 3},
      {Qt::RightToLeft, 0, Qt::Key_Right, 2, 0},  // the grid's right-hand cell
      {Qt::RightToLeft, 0, Qt::Key_Left, 3, 1},
      {Qt::RightToLeft, 4, Qt::Key_Left, 4, 4},
      {Qt::RightToLeft, 4, Qt::Key_Right, 3, 3},
      {Qt::RightToLeft, 0, Qt::Key_Home, 1, 0},   // Home and End keep their logical ends
      {Qt::RightToLeft, 4, Qt::Key_End, 5, 4},
  };
  TextGrid g;
  g.text = hebrew;
  g.resize(400, 150);
  g.SetColCount(6);
  g.SetGridOptions(g.GridOptions() | goEditing | goAlwaysShowEditor);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  g.activateWindow();
  QApplication::setActiveWindow(&g);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.grid == Qt::RightToLeft ? "grid from the right" : "grid from the left")
                                    << ", caret " << c.caret << ", key "
                                    << QKeySequence(c.key).toString().toStdString());
    g.setLayoutDirection(c.grid);
    g.setFocus();
    g.SetCol(3);
    g.ShowEditor();
    TsfSkinInplaceEdit* e = g.InplaceEditor();
    ASSERT_TRUE(e && e->isVisible());
    ASSERT_EQ(e->text(), hebrew);
    e->setFocus();
    e->setCursorPosition(c.caret);
    QTest::keyClick(e, c.key);
    EXPECT_EQ(g.Col(), c.col);
    if (g.Col() == 3) {
      EXPECT_EQ(e->cursorPosition(), c.caretAfter);
    }
  }
}

}  // namespace

namespace {

// Offsets wider than the picture or negative, text areas outside it, and
// cells narrower than the offsets, read from either side and stretched or
// not: painting and placing the editor must stay inside what exists.
TEST(GridHostileCellPictures, OffsetsAndTextAreasOutsideThePictureFromBothSides) {
  struct Case { int left, right; TRect text; bool stretch; bool skinHeight; };
  const Case cases[] = {
      {1000, 1000, TRect(2, 0, 38, 22), false, true},
      {-50, 39, TRect(-10, -10, 100, 100), true, true},
      {30, 30, TRect(50, 0, 60, 22), false, false},
      {0, 0, TRect(38, 0, 2, 22), true, false},
      {20, 25, TRect(0, 0, 40, 22), true, true},
  };
  QObject owner;
  TsfSkinData* skin = MakeGridSkin(&owner);
  auto* rec = const_cast<TsfDataSkinGridControl*>(
      skin->ControlRecord<TsfDataSkinGridControl>(QStringLiteral("grid")));
  ASSERT_TRUE(rec);
  for (const Case& c : cases) {
    for (const Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
      SCOPED_TRACE(testing::Message() << c.left << "/" << c.right << (dir == Qt::RightToLeft ? " from the right" : ""));
      rec->cellleftoffset = rec->fixedcellleftoffset = c.left;
      rec->cellrightoffset = rec->fixedcellrightoffset = c.right;
      rec->celltextrect = rec->fixedcelltextrect = c.text;
      rec->cellstretcheffect = rec->fixedcellstretcheffect = c.stretch;
      TextGrid g;
      g.text = QStringLiteral("abcd");
      g.setLayoutDirection(dir);
      g.SetUseSkinCellHeight(c.skinHeight);
      g.SetSkinData(skin);
      g.SetGridOptions(g.GridOptions() | goEditing | goAlwaysShowEditor);
      g.resize(300, 120);
      g.SetColCount(4);
      g.SetRowCount(3);
      g.SetColWidths(1, 0);
      g.SetColWidths(2, 5);
      g.SetColWidths(3, 40000);
      g.show();
      for (int col : {1, 2, 3}) {
        g.SetCol(col);
        g.ShowEditor();
        g.repaint();
        const TRect cell = g.CellRect(col, g.Row());
        if (TsfSkinInplaceEdit* e = g.InplaceEditor(); e && e->isVisible()) {
          EXPECT_GE(e->width(), 0);
          EXPECT_LE(e->width(), std::max(0, cell.Width()));
        }
      }
    }
  }
}

}  // namespace

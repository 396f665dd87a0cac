// The data grid under a stranger's hands: the reading direction switched
// while the user is in the middle of something (an open cell editor, a column
// being sized with the mouse), and hostile text pasted into number cells.

#include "tests/skin/grids/marks_fixture.h"
#include "tests/skin/grids/plain_grid.h"

#include <QClipboard>
#include <QPointer>

#include "skin/grids/inplace_edit.h"

namespace {

class DirectionSwitchTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), qty integer, score real);"
                             "insert into t_marks values (1, 'one', 3, 1.5), (2, 'two', 4, 2.5);"),
              400);
  }
  // Where the sizing line at the reading end of a column's title is.
  QPoint SizingPoint(int col) const {
    const TRect r = grid->CellRect(col, 0);
    const int y = (r.Top + r.Bottom) / 2;
    return grid->MirroredColumns() ? QPoint(r.Left - 1, y) : QPoint(r.Right, y);
  }
};

const char* Name(Qt::LayoutDirection d) { return d == Qt::RightToLeft ? "right to left" : "left to right"; }

TEST_F(DirectionSwitchTest, OpenEditorFollowsItsCellWhenTheDirectionChanges) {
  for (const auto& [from, to] : {std::pair{Qt::LeftToRight, Qt::RightToLeft}, std::pair{Qt::RightToLeft, Qt::LeftToRight}}) {
    SCOPED_TRACE(Name(from));
    grid->setLayoutDirection(from);
    const int col = ColumnOf(QStringLiteral("name"));
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(col, 1));
    ASSERT_EQ(grid->Col(), col);
    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* editor = grid->findChild<TsfSkinInplaceEdit*>();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry(), grid->CellRect(col, 1).toQRect());
    grid->setLayoutDirection(to);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry(), grid->CellRect(col, 1).toQRect());
    // What is typed still lands in the cell the editor covers.
    const QString typed = to == Qt::RightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr");
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(query.FieldByName(QStringLiteral("name"))->AsString(), typed);
    if (query.State() != dsBrowse) query.Cancel();
    Reopen(QStringLiteral("select * from t_marks order by id"));
  }
}

TEST_F(DirectionSwitchTest, ColumnSizingAbandonedWhenTheDirectionChangesUnderTheMouse) {
  for (const auto& [from, to] : {std::pair{Qt::LeftToRight, Qt::RightToLeft}, std::pair{Qt::RightToLeft, Qt::LeftToRight}}) {
    SCOPED_TRACE(Name(from));
    grid->setLayoutDirection(from);
    const int col = ColumnOf(QStringLiteral("name"));
    TsfColumn* column = grid->Columns()->Items(col - grid->IndicatorOffset());
    const int before = column->Width();
    const QPoint press = SizingPoint(col);
    const int wider = grid->MirroredColumns() ? -30 : 30;
    QTest::mousePress(grid.get(), Qt::LeftButton, {}, press);
    QTest::mouseMove(grid.get(), press + QPoint(wider, 0));
    ASSERT_EQ(grid->GridState(), gsColSizing);
    grid->setLayoutDirection(to);
    EXPECT_EQ(grid->GridState(), gsNormal);
    QTest::mouseMove(grid.get(), press + QPoint(2 * wider, 0));
    PaintIfThere();
    QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, press + QPoint(2 * wider, 0));
    EXPECT_EQ(column->Width(), before);
    EXPECT_EQ(grid->GridState(), gsNormal);
  }
}

// A drawing event that flips the direction (or reloads the rows as it does)
// in the middle of a paint with the editor open: the paint ends without
// touching freed columns and the editor ends up on its cell.
TEST_F(DirectionSwitchTest, DrawingEventSwitchesTheDirectionDuringPaint) {
  for (const bool reload : {false, true}) {
    SCOPED_TRACE(reload ? "and reloads the rows" : "only");
    grid->setLayoutDirection(Qt::LeftToRight);
    const int col = ColumnOf(QStringLiteral("qty"));
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(col, 1));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    const QPointer<TsfSkinInplaceEdit> editor = grid->findChild<TsfSkinInplaceEdit*>();
    ASSERT_TRUE(editor && editor->isVisible());
    int calls = 0;
    grid->OnDrawColumnCell = [&](TObject*, const TRect&, int, TsfColumn*, TGridDrawState) {
      if (++calls != 2) return;
      grid->setLayoutDirection(grid->MirroredColumns() ? Qt::LeftToRight : Qt::RightToLeft);
      if (reload) Reopen(QStringLiteral("select * from t_marks order by id"));
    };
    grid->repaint();
    grid->OnDrawColumnCell = nullptr;
    EXPECT_GE(calls, 2);
    EXPECT_TRUE(grid->MirroredColumns());
    grid->repaint();
    if (!reload) {
      ASSERT_TRUE(editor && editor->isVisible());
    }
    if (editor && editor->isVisible()) {
      EXPECT_EQ(editor->geometry(), grid->CellRect(grid->Col(), grid->Row()).toQRect());
    }
    QTest::keyClick(grid.get(), Qt::Key_Escape);
    if (query.State() != dsBrowse) query.Cancel();
  }
}

TEST_F(DirectionSwitchTest, HostileTextPastedIntoNumberCells) {
  const QString huge(1 << 20, QLatin1Char('7'));
  struct Case {
    const char* field;
    QString clip;
    bool taken;
  } cases[] = {
      {"qty", QStringLiteral("42"), true},
      {"qty", QStringLiteral("-"), true},
      {"qty", QStringLiteral("--1"), false},
      {"qty", QStringLiteral("1e400"), false},
      {"qty", QStringLiteral("4\n2"), false},
      {"qty", QStringLiteral("4") + QChar(0) + QStringLiteral("2"), false},
      {"qty", QString::fromUtf8("4\xF0\x9F\x98\x80"), false},
      {"qty", huge, true},
      {"score", QStringLiteral("1e400"), true},
      {"score", QStringLiteral("1e4e4"), false},
      {"score", QStringLiteral("-.5"), true},
      {"score", QStringLiteral(".e5"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " <- " + c.clip.left(12).toStdString());
    const int col = ColumnOf(QString::fromLatin1(c.field));
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(col, 1));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* editor = grid->findChild<TsfSkinInplaceEdit*>();
    ASSERT_TRUE(editor && editor->isVisible());
    const QString before = editor->text();
    ASSERT_FALSE(before.isEmpty());
    QApplication::clipboard()->setText(c.clip);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    if (c.taken) {
      // Pasted over the whole (selected) text, cut to the editor's limit.
      EXPECT_EQ(editor->text(), c.clip.left(editor->maxLength()));
    } else {
      EXPECT_EQ(editor->text(), before);
    }
    QTest::keyClick(editor, Qt::Key_Escape);
    if (query.State() != dsBrowse) query.Cancel();
  }
}

}  // namespace

namespace {

using gridtest::PlainGrid;

// Columns read from the right with odd column sets: every visible cell is
// found again under the centre of its visible part, the paint and clicks stay in bounds.
TEST(RightToLeftOddColumns, CellsAreFoundUnderTheirCentresAndClicksStayInside) {
  struct Case {
    const char* name;
    int cols, fixed;
    std::vector<int> widths;
  } cases[] = {
      {"a fixed column beside one of width zero", 2, 1, {30, 0}},
      {"columns wider than the grid", 3, 1, {20, 500, 40000}},
      {"zero and negative widths", 4, 1, {20, 0, -5, 60}},
      {"widths past 32767", 3, 0, {33000, 70000, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlainGrid grid;
    grid.resize(300, 120);
    grid.SetColCount(c.cols);
    grid.SetRowCount(4);
    grid.SetFixedCols(c.fixed);
    for (int i = 0; i < int(c.widths.size()); ++i) grid.SetColWidths(i, c.widths[size_t(i)]);
    grid.setLayoutDirection(Qt::RightToLeft);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.repaint();
    for (int col = 0; col < grid.ColCount(); ++col)
      for (int row = 0; row < grid.RowCount(); ++row) {
        TRect r = grid.CellRect(col, row);
        if (r.IsEmpty()) continue;
        // The part of the cell inside the window (a cell may run past it).
        r = TRect(std::max(r.Left, 0), r.Top, std::min(r.Right, grid.ClientWidth()), r.Bottom);
        ASSERT_FALSE(r.IsEmpty());
        const TGridCoord at = grid.MouseCoord((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        EXPECT_EQ(at.X, col) << row;
        EXPECT_EQ(at.Y, row);
      }
    for (const int x : {0, 1, 150, 298, 299}) {
      QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(x, 60));
      EXPECT_GE(grid.Col(), 0);
      EXPECT_LT(grid.Col(), grid.ColCount());
    }
    grid.setLayoutDirection(Qt::LeftToRight);
    grid.repaint();
  }
}

}  // namespace

// Tab and Shift+Tab stop only at tab-stop columns: in the core grid the
// columns marked so, in the data grid the columns that can be edited (shown,
// not read-only, on a field that is neither calculated nor read-only).

#include "tests/skin/grids/marks_fixture.h"
#include "tests/skin/grids/plain_grid.h"

namespace {

using gridtest::PlainGrid;

TEST(GridTabStops, TabSkipsColumnsThatAreNoStopsAndTheMarkMovesWithItsColumn) {
  PlainGrid g;
  g.resize(400, 150);
  g.SetColCount(5);  // 1 fixed, 1..4 scrolling
  g.SetRowCount(4);
  g.SetGridOptions(g.GridOptions() | goTabs);
  g.SetTabStops(2, false);
  g.SetTabStops(3, false);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  g.activateWindow();
  QApplication::setActiveWindow(&g);
  g.setFocus();
  g.SetCol(1);
  g.SetRow(1);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{4, 1}));
  QTest::keyClick(&g, Qt::Key_Tab);  // past the last column: the next row's first stop
  EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{1, 2}));
  QTest::keyClick(&g, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{4, 1}));

  // Column 2 (no stop) moved to the end: the stops are now 1 and 3.
  g.MoveColumn(2, 4);
  EXPECT_EQ((std::vector<bool>{g.TabStops(1), g.TabStops(2), g.TabStops(3), g.TabStops(4)}),
            (std::vector<bool>{true, false, true, false}));
  g.SetCol(1);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ(g.Col(), 3);

  // With no stop at all Tab leaves the cell where it is.
  for (int c = 1; c < 5; ++c) g.SetTabStops(c, false);
  QTest::keyClick(&g, Qt::Key_Tab);
  EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{3, 1}));
  EXPECT_THROW(g.SetTabStops(5, true), EInvalidOperation);
}

class DataTabStopsTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), score numeric, qty integer, note varchar(20));"
                             "insert into t_marks values (1, 'one', 1.5, 3, 'a'), (2, 'two', 2, 4, 'b');"),
              600);
    query.Close();
    query.AddCalculatedField(QStringLiteral("twice"), ftInteger);
    query.Open();
  }
  QString At() const {
    return QStringLiteral("%1@%2").arg(grid->SelectedField() ? grid->SelectedField()->FieldName() : QString()).arg(query.RecNo());
  }
};

TEST_F(DataTabStopsTest, TabGoesOnlyToColumnsThatCanBeEdited) {
  ASSERT_EQ(Order(), (QStringList{"id", "name", "score", "qty", "note", "twice"}));
  grid->Columns()->Items(2)->ReadOnly = true;                 // score: the column is read-only
  query.FieldByName(QStringLiteral("note"))->SetReadOnly(true);  // note: the field is
  grid->setFocus();
  grid->SetCol(ColumnOf(QStringLiteral("name")));
  const struct { bool back; const char* at; } steps[] = {
      {false, "qty@1"},   // over score
      {false, "id@2"},    // over note and the calculated twice, into the next record
      {false, "name@2"},
      {false, "qty@2"},
      {false, "qty@2"},   // the last record: it stays
      {true, "name@2"},
      {true, "id@2"},
      {true, "qty@1"},    // before the first stop: the previous record's last stop
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.at);
    if (s.back) QTest::keyClick(grid.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    else QTest::keyClick(grid.get(), Qt::Key_Tab);
    EXPECT_EQ(At(), QString::fromLatin1(s.at));
  }
  EXPECT_FALSE(grid->TabStops(ColumnOf(QStringLiteral("twice"))));
  EXPECT_TRUE(grid->TabStops(ColumnOf(QStringLiteral("name"))));
  EXPECT_FALSE(grid->TabStops(0));  // the indicator
}

}  // namespace

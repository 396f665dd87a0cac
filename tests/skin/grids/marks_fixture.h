#pragma once
// A data grid with default columns over a table t_marks of several field
// kinds, shown and focused: the set-up shared by the tests of field cells,
// column moves and drawing events.

#include "tests/skin/grids/grid_fixture.h"

class MarksGridTest : public ::testing::Test {
 protected:
  // Creates the bank with `script` (t_marks and its rows), opens its rows in
  // id order and shows a grid `width` pixels wide over them.
  void OpenMarks(const QString& script, int width) {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, script);
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    query.SetConnection(&con);
    Reopen(QStringLiteral("select * from t_marks order by id"));
    source.SetDataSet(&query);
    grid = NewGrid();
    grid->resize(width, 200);
    grid->SetDataSource(&source);
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    grid->activateWindow();
    QApplication::setActiveWindow(grid.get());
    grid->setFocus();
  }
  // The grid the tests drive; a test may give one with its own editor.
  virtual std::unique_ptr<TsfSkinDBGrid> NewGrid() { return std::make_unique<TsfSkinDBGrid>(); }
  void Reopen(const QString& sql) {
    query.Close();
    query.SQL()->Clear();
    query.SQL()->Add(sql);
    query.Open();
  }
  // Grid column of a field (the indicator is column 0).
  int ColumnOf(const QString& field) const {
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (grid->Columns()->Items(i)->FieldName() == field) return i + grid->IndicatorOffset();
    return -1;
  }
  QPoint Centre(int col, int row) const {
    const TRect r = grid->CellRect(col, row);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  QStringList Order() const {
    QStringList names;
    for (int i = 0; i < grid->Columns()->Count(); ++i) names << grid->Columns()->Items(i)->FieldName();
    return names;
  }
  // Paints what is left, as the next expose would.
  void PaintIfThere() {
    if (!grid) return;
    grid->repaint();
    QApplication::processEvents();
  }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
  std::unique_ptr<TsfSkinDBGrid> grid;
};

// Direct column moves of the data grid as an unfriendly caller makes them:
// with hidden columns, with the indicator switched off, while a cell is being
// edited, and from move handlers that move again, hide a column or drop the
// indicator. Whatever happens, the grid's column widths stay those of the
// columns shown in their order, and an edit goes to the field it was made in.

#include "tests/skin/grids/grid_fixture.h"

#include "platform/exceptions.h"
#include "skin/grids/inplace_edit.h"

#include <functional>
#include <tuple>

namespace {

// t_marks(id, name, qty): rows 1 'one' 3, 2 'two' 4; columns of their own
// widths (id 40, name 50, qty 60, and a hidden "hid" of 70 over name again).
class ColumnMoveStrangerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, QStringLiteral("create table t_marks(id integer primary key, name varchar(20),"
                                    " qty integer);"
                                    "insert into t_marks values (1, 'one', 3), (2, 'two', 4);"));
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    query.SetConnection(&con);
    query.SQL()->Add(QStringLiteral("select * from t_marks order by id"));
    query.Open();
    source.SetDataSet(&query);
    MakeGrid();
  }
  void MakeGrid() {
    grid = std::make_unique<TsfSkinDBGrid>();
    grid->resize(500, 200);
    grid->SetDataSource(&source);
    ResetColumns();
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    grid->activateWindow();
    QApplication::setActiveWindow(grid.get());
    grid->setFocus();
  }
  void ResetColumns() {
    grid->Columns()->SetState(csCustomized);  // else the cleared columns come back from the fields
    grid->Columns()->Clear();
    for (const auto& [field, width, visible] :
         {std::tuple{"id", 40, true}, {"name", 50, true}, {"name", 70, false}, {"qty", 60, true}}) {
      TsfColumn* c = grid->Columns()->Add();
      c->SetFieldName(QString::fromLatin1(field));
      c->SetWidth(width);
      c->SetVisible(visible);
    }
  }
  // The shown columns as "field:width", from Columns.
  QStringList Shown() const {
    QStringList s;
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (TsfColumn* c = grid->Columns()->Items(i); c->Visible())
        s << QStringLiteral("%1:%2").arg(c->FieldName()).arg(c->Width());
    return s;
  }
  // The same fields with the widths of the grid's columns in their places.
  QStringList GridWidths() const {
    QStringList s;
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (TsfColumn* c = grid->Columns()->Items(i); c->Visible())
        s << QStringLiteral("%1:%2").arg(c->FieldName()).arg(grid->ColWidths(int(s.size()) + grid->IndicatorOffset()));
    return s;
  }
  int ColumnOf(const QString& field) const {
    int shown = 0;
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      if (TsfColumn* c = grid->Columns()->Items(i); c->Visible()) {
        if (c->FieldName() == field) return shown + grid->IndicatorOffset();
        ++shown;
      }
    return -1;
  }
  QString Bank(const QString& sql) const { return QueryBankValue(path, sql); }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
  std::unique_ptr<TsfSkinDBGrid> grid;
};

TEST_F(ColumnMoveStrangerTest, MovesAcrossHiddenColumnsAndWithoutTheIndicator) {
  struct Case {
    bool indicator;
    int from, to;
    bool refused;
    QStringList shown;
  };
  const QStringList start{"id:40", "name:50", "qty:60"};
  const Case cases[] = {
      {true, 1, 3, false, {"name:50", "qty:60", "id:40"}},
      {true, 3, 1, false, {"qty:60", "id:40", "name:50"}},
      {true, 2, 3, false, {"id:40", "qty:60", "name:50"}},
      {true, 3, 4, true, start},
      {true, -1, 2, true, start},
      {true, 1, 0, true, start},
      // Without the indicator column 0 is the first data column.
      {false, 0, 2, false, {"name:50", "qty:60", "id:40"}},
      {false, 2, 0, false, {"qty:60", "id:40", "name:50"}},
      {false, 0, 3, true, start},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.indicator << ": " << c.from << " -> " << c.to);
    grid->SetOptions(c.indicator ? grid->Options() | dgIndicator : grid->Options() & ~dgIndicator);
    ResetColumns();
    ASSERT_EQ(Shown(), start);
    if (c.refused) EXPECT_THROW(grid->MoveColumn(c.from, c.to), EInvalidOperation);
    else grid->MoveColumn(c.from, c.to);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(GridWidths(), c.shown);
    grid->repaint();
  }
}

TEST_F(ColumnMoveStrangerTest, AnEditGoesToItsFieldWhenItsColumnMoves) {
  grid->SetCol(ColumnOf(QStringLiteral("name")));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  TsfSkinInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("uno"));
  grid->MoveColumn(ColumnOf(QStringLiteral("name")), ColumnOf(QStringLiteral("qty")));
  ASSERT_TRUE(grid->SelectedField());
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("name"));
  // The editor went along with its column.
  if (grid->InplaceEditor() && grid->InplaceEditor()->isVisible()) {
    const TRect cell = grid->CellRect(ColumnOf(QStringLiteral("name")), grid->Row());
    EXPECT_TRUE(cell.toQRect().intersects(grid->InplaceEditor()->geometry()));
  }
  QWidget* f = QApplication::focusWidget();
  QTest::keyClick(f ? f : grid.get(), Qt::Key_Return);
  query.Post();
  EXPECT_EQ(Bank(QStringLiteral("select name || ',' || qty from t_marks where id = 1")),
            QStringLiteral("uno,3"));
}

TEST_F(ColumnMoveStrangerTest, MoveHandlersThatMoveAgainHideAColumnOrDropTheIndicator) {
  struct Case {
    const char* name;
    std::function<void()> onMoved;
    QStringList shown;
  };
  int depth = 0;
  const Case cases[] = {
      {"moves it back", [&] { if (depth++ == 0) grid->MoveColumn(3, 1); }, {"id:40", "name:50", "qty:60"}},
      {"hides the moved column",
       [&] {
         for (int i = 0; i < grid->Columns()->Count(); ++i)
           if (grid->Columns()->Items(i)->FieldName() == QStringLiteral("id"))
             grid->Columns()->Items(i)->SetVisible(false);
       },
       {"name:50", "qty:60"}},
      {"drops the indicator", [&] { grid->SetOptions(grid->Options() & ~dgIndicator); },
       {"name:50", "qty:60", "id:40"}},
      {"clears the columns", [&] { grid->Columns()->Clear(); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGrid();
    depth = 0;
    grid->SetCol(ColumnOf(QStringLiteral("qty")));
    grid->OnColumnMoved = [&c](TObject*, int, int) { c.onMoved(); };
    grid->MoveColumn(1, 3);
    grid->OnColumnMoved = nullptr;
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(GridWidths(), c.shown);
    EXPECT_GE(grid->Col(), grid->FixedCols());
    EXPECT_LT(grid->Col(), grid->ColCount());
    grid->repaint();
  }
}

// A bad index is refused, not written past the columns.
TEST_F(ColumnMoveStrangerTest, DeletingAColumnByABadIndexIsRefused) {
  for (int bad : {-1, 4, 1000000}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(grid->Columns()->Delete(bad), EInvalidOperation);
    EXPECT_EQ(Shown(), (QStringList{"id:40", "name:50", "qty:60"}));
  }
  grid->Columns()->Delete(0);
  EXPECT_EQ(Shown(), (QStringList{"name:50", "qty:60"}));
  EXPECT_EQ(GridWidths(), Shown());
}

}  // namespace

// The data grid's column moves, drawing events and boolean cells under
// hostile handlers and odd stored values: a record set closed or reopened in
// the middle of a title drag or from inside a drawing event, move handlers
// that close the record set or delete the grid, and boolean fields holding
// NULL, 2 or text.

#include "tests/skin/grids/marks_fixture.h"

#include <QPointer>

namespace {

enum class Act { CloseQuery, ReopenFewerColumns, ReopenSame, DeleteGrid };

const char* Name(Act a) {
  switch (a) {
    case Act::CloseQuery: return "closes the query";
    case Act::ReopenFewerColumns: return "reopens it with one column";
    case Act::ReopenSame: return "reopens it";
    case Act::DeleteGrid: return "deletes the grid";
  }
  return "";
}

// Rows 1..3 of t_marks (id, name, done, qty), shown by a grid with default
// columns whose titles can be dragged.
class DataGridStrangerTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), done boolean,"
                             " qty integer);"
                             "insert into t_marks values (1, 'one', null, 3), (2, 'two', 2, 4),"
                             " (3, 'three', 'text', 5);"),
              500);
  }
  void Do(Act a) {
    switch (a) {
      case Act::CloseQuery: query.Close(); break;
      case Act::ReopenFewerColumns: Reopen(QStringLiteral("select name from t_marks")); break;
      case Act::ReopenSame: Reopen(QStringLiteral("select * from t_marks order by id")); break;
      case Act::DeleteGrid: grid.reset(); break;
    }
  }
};

TEST_F(DataGridStrangerTest, RecordSetClosedOrReopenedInTheMiddleOfATitleDrag) {
  for (Act act : {Act::CloseQuery, Act::ReopenFewerColumns, Act::ReopenSame}) {
    SCOPED_TRACE(Name(act));
    MessageBoxRecorder errors;
    Reopen(QStringLiteral("select * from t_marks order by id"));
    grid->Columns()->SetState(csDefault);
    ASSERT_EQ(Order(), (QStringList{"id", "name", "done", "qty"}));
    int moves = 0;
    grid->OnColumnMoved = [&](TObject*, int, int) { ++moves; };
    // Drag the "qty" title onto "name", then the record set changes under
    // the held button; the 60 ms timer ticks once more before the release.
    const QPoint from = Centre(4, 0), to = Centre(2, 0);
    QTest::mousePress(grid.get(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid.get(), to);
    ASSERT_EQ(grid->GridState(), gsColMoving);
    Do(act);
    if (TTimer* t = grid->SelectTimer(); t && t->OnTimer) t->OnTimer(t);
    PaintIfThere();
    EXPECT_NO_THROW(QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, to));
    EXPECT_EQ(grid->GridState(), gsNormal);
    // The drag was of a column that is gone (or of a layout built anew):
    // nothing is moved and no move is reported.
    EXPECT_EQ(moves, 0);
    EXPECT_TRUE(errors.requests.isEmpty());
    if (act == Act::ReopenSame) {
      EXPECT_EQ(Order(), (QStringList{"id", "name", "done", "qty"}));
    }
    PaintIfThere();
  }
}

TEST_F(DataGridStrangerTest, MoveHandlersThatCloseReopenOrDeleteWhatRaisedThem) {
  for (Act act : {Act::CloseQuery, Act::ReopenFewerColumns, Act::ReopenSame, Act::DeleteGrid}) {
    SCOPED_TRACE(Name(act));
    MessageBoxRecorder errors;
    if (!grid) SetUp();
    Reopen(QStringLiteral("select * from t_marks order by id"));
    grid->Columns()->SetState(csDefault);
    QStringList titleClicks;
    grid->OnTitleClick = [&](TsfColumn* c) { titleClicks << (c ? c->FieldName() : QString()); };
    int moves = 0;
    grid->OnColumnMoved = [&, act](TObject*, int, int) {
      ++moves;
      Do(act);
    };
    const QPoint from = Centre(2, 0), to = Centre(4, 0);
    QTest::mousePress(grid.get(), Qt::LeftButton, {}, from);
    QTest::mouseMove(grid.get(), to);
    const QPointer<QWidget> w = grid.get();
    QTest::mouseRelease(w.data(), Qt::LeftButton, {}, to);
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(titleClicks.isEmpty());
    EXPECT_TRUE(errors.requests.isEmpty());
    PaintIfThere();
    if (grid) {
      EXPECT_EQ(grid->GridState(), gsNormal);
    }
  }
}

TEST_F(DataGridStrangerTest, DrawingEventThatClosesOrReopensTheRecordSet) {
  for (Act act : {Act::CloseQuery, Act::ReopenFewerColumns, Act::ReopenSame}) {
    SCOPED_TRACE(Name(act));
    Reopen(QStringLiteral("select * from t_marks order by id"));
    grid->Columns()->SetState(csDefault);
    bool done = false;
    grid->OnDrawDataCell = [&](TObject*, const TRect&, TField*, TGridDrawState) {
      if (done) return;
      done = true;
      Do(act);
    };
    // The column event after it gets a column of the grid as it is now.
    QStringList columnCells;
    grid->OnDrawColumnCell = [&](TObject*, const TRect&, int, TsfColumn* c, TGridDrawState) {
      columnCells << (c ? c->FieldName() : QStringLiteral("-"));
    };
    grid->repaint();
    EXPECT_TRUE(done);
    for (const QString& name : columnCells)
      EXPECT_TRUE(name == QLatin1String("-") || Order().contains(name)) << name.toStdString();
    grid->OnDrawDataCell = nullptr;
    grid->OnDrawColumnCell = nullptr;
    PaintIfThere();
  }
}

TEST_F(DataGridStrangerTest, BooleanFieldsHoldingNullTwoOrText) {
  ASSERT_EQ(query.FieldByName(QStringLiteral("done"))->DataType(), ftBoolean);
  const int done = 3;
  grid->SetCol(done);
  // NULL is false, 2 and text that is no "false" are true: each toggles to
  // the other, and the record set stores 1 or 0.
  struct Case {
    int id;
    const char* stored;
  };
  const Case cases[] = {{1, "1"}, {2, "0"}, {3, "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    grid->setFocus();
    query.Locate(QStringLiteral("id"), c.id, {});
    ASSERT_EQ(query.FieldByName(QStringLiteral("id"))->Value().toInt(), c.id);
    QTest::keyClick(grid.get(), Qt::Key_Space);
    EXPECT_EQ(query.State(), dsEdit);
    query.Post();
    EXPECT_EQ(QueryBankValue(path, QStringLiteral("select done from t_marks where id = %1").arg(c.id)),
              QLatin1String(c.stored));
  }
  PaintIfThere();
}

}  // namespace

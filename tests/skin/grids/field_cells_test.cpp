// The data grid over a table of several field kinds: columns reordered by
// dragging their titles, boolean cells (drawn as a check, toggled by the
// mouse and by keys), pictures stored in fields, the drawing events, and the
// characters a number field accepts in the editor.

#include "tests/skin/grids/marks_fixture.h"

#include <QBuffer>
#include <QClipboard>

#include "skin/grids/db_inplace_edit.h"
#include "skin/grids/grid_rules.h"
#include "skin/grids/inplace_edit.h"
#include "platform/menus.h"

namespace {

QImage RedSquarePng(QByteArray& bytes) {
  QImage img(12, 12, QImage::Format_RGB32);
  img.fill(qRgb(220, 0, 0));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return img;
}

// Rows: 1 'one' done, 2 'two' not done, 3 'three' done; `pic` holds a red
// square in row 1 and text that is no picture in row 2.
class FieldCellsTest : public MarksGridTest {
 protected:
  void SetUp() override {
    QByteArray png;
    RedSquarePng(png);
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), done boolean,"
                             " score numeric, qty integer, pic blob);"
                             "insert into t_marks values (1, 'one', 1, 1.5, 3, x'%1'),"
                             " (2, 'two', 0, 2, 4, x'6e6f7468696e67'), (3, 'three', 1, 0, 5, null);")
                  .arg(QString::fromLatin1(png.toHex())),
              640);
    grid->OnTitleClick = [this](TsfColumn* c) { titleClicks << c->FieldName(); };
    grid->OnColumnMoved = [this](TObject*, int from, int to) { moves.push_back({from, to}); };
  }
  QString Bank(const QString& sql) const { return QueryBankValue(path, sql); }
  // Pixels of a cell that are of `colour` (give or take a little).
  int PixelsLike(int col, int row, QRgb colour) const {
    const QImage img = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const TRect r = grid->CellRect(col, row);
    int n = 0;
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      for (int x = r.Left + 1; x < r.Right - 1; ++x) {
        const QRgb p = img.pixel(x, y);
        if (std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40 &&
            std::abs(qBlue(p) - qBlue(colour)) < 40)
          ++n;
      }
    return n;
  }
  TsfSkinInplaceEdit* EditCell(const QString& field) {
    grid->setFocus();
    grid->SetCol(ColumnOf(field));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    TsfSkinInplaceEdit* e = grid->InplaceEditor();
    EXPECT_TRUE(e && e->isVisible());
    return e;
  }

  struct Moved {
    int from, to;
    friend bool operator==(const Moved&, const Moved&) = default;
  };
  QStringList titleClicks;
  std::vector<Moved> moves;
};

TEST_F(FieldCellsTest, DraggingATitleReordersTheColumnsAndIsNoTitleClick) {
  ASSERT_EQ(Order(), (QStringList{"id", "name", "done", "score", "qty", "pic"}));
  const QPoint from = Centre(ColumnOf("name"), 0), to = Centre(ColumnOf("score"), 0);
  QTest::mousePress(grid.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(grid.get(), to);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(Order(), (QStringList{"id", "done", "score", "name", "qty", "pic"}));
  EXPECT_EQ(moves, (std::vector<Moved>{{1, 3}}));
  EXPECT_TRUE(titleClicks.isEmpty());
  // The data follow: the cell now under the old "score" place shows the name.
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(ColumnOf("name"), 2));
  ASSERT_TRUE(grid->SelectedField());
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("name"));
  EXPECT_EQ(ColumnOf("name"), 4);
  EXPECT_EQ(query.RecNo(), 2);
  // The order survives reopening the record set.
  query.Close();
  query.Open();
  EXPECT_EQ(Order(), (QStringList{"id", "done", "score", "name", "qty", "pic"}));
  // A title clicked where it is is a click.
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(ColumnOf("qty"), 0));
  EXPECT_EQ(titleClicks, QStringList{"qty"});
  EXPECT_EQ(moves.size(), 1u);
  // Without column resizing titles do not move.
  grid->SetOptions(grid->Options() & ~dgColumnResize);
  QTest::mousePress(grid.get(), Qt::LeftButton, {}, Centre(ColumnOf("id"), 0));
  QTest::mouseMove(grid.get(), Centre(ColumnOf("qty"), 0));
  QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, Centre(ColumnOf("qty"), 0));
  EXPECT_EQ(Order(), (QStringList{"id", "done", "score", "name", "qty", "pic"}));
  EXPECT_EQ(moves.size(), 1u);
}

// Direct moves are in grid columns: the indicator stays column 0 and its
// width with it, and each data column keeps its own width wherever it goes.
TEST_F(FieldCellsTest, MoveColumnKeepsTheIndicatorAndMovesColumnsWithTheirWidths) {
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(50 + 10 * i);
  const int indicatorWidth = grid->ColWidths(0);
  struct Case {
    int from, to;
    bool refused;
    QStringList order;
  };
  const QStringList start{"id", "name", "done", "score", "qty", "pic"};
  const Case cases[] = {
      {0, 3, true, start},
      {2, 0, true, start},
      {0, 0, true, start},
      {1, 6, false, {"name", "done", "score", "qty", "pic", "id"}},
      {5, 2, false, {"id", "qty", "name", "done", "score", "pic"}},
      {3, 3, false, start},
      {6, 7, true, start},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
    moves.clear();
    if (c.refused) EXPECT_THROW(grid->MoveColumn(c.from, c.to), EInvalidOperation);
    else grid->MoveColumn(c.from, c.to);
    EXPECT_EQ(Order(), c.order);
    EXPECT_EQ(moves.empty(), c.refused || c.from == c.to);
    EXPECT_EQ(grid->ColWidths(0), indicatorWidth);
    for (const QString& f : start) {
      const int width = 50 + 10 * int(start.indexOf(f));
      EXPECT_EQ(grid->ColWidths(ColumnOf(f)), width) << f.toStdString();
      EXPECT_EQ(grid->Columns()->Items(ColumnOf(f) - 1)->Width(), width) << f.toStdString();
    }
    // Back to the first order for the next case.
    grid->Columns()->Clear();
    for (const QString& f : start) {
      TsfColumn* col = grid->Columns()->Add();
      col->SetFieldName(f);
      col->SetWidth(50 + 10 * int(start.indexOf(f)));
    }
  }
}

TEST_F(FieldCellsTest, BooleanCellsShowACheckAndToggleByMouseAndKeys) {
  const int done = ColumnOf("done");
  ASSERT_EQ(query.FieldByName(QStringLiteral("done"))->DataType(), ftBoolean);
  // Rows 2 and 3 are neither current nor selected: true shows the check.
  EXPECT_GT(PixelsLike(done, 3, qRgb(0, 0, 0)), 5);
  EXPECT_EQ(PixelsLike(done, 2, qRgb(0, 0, 0)), 0);

  // The first click makes the cell current, the second toggles.
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(done, 2));
  ASSERT_EQ(query.RecNo(), 2);
  EXPECT_EQ(query.State(), dsBrowse);
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(done, 2));
  EXPECT_EQ(query.State(), dsEdit);
  EXPECT_TRUE(query.FieldByName(QStringLiteral("done"))->Value().toBool());
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
  // Leaving the record posts it.
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(Bank(QStringLiteral("select done from t_marks where id = 2")), QStringLiteral("1"));
  // Space and Enter toggle the current record's value; Enter does not post.
  QTest::keyClick(grid.get(), Qt::Key_Space);
  EXPECT_FALSE(query.FieldByName(QStringLiteral("done"))->Value().toBool());
  QTest::keyClick(grid.get(), Qt::Key_Return);
  EXPECT_TRUE(query.FieldByName(QStringLiteral("done"))->Value().toBool());
  QTest::keyClick(grid.get(), Qt::Key_Space);
  QTest::keyClick(grid.get(), Qt::Key_Up);
  EXPECT_EQ(Bank(QStringLiteral("select done from t_marks where id = 3")), QStringLiteral("0"));

  // A read-only grid, or a click that only brings the focus, toggles nothing.
  grid->SetReadOnly(true);
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(done, grid->Row()));
  QTest::keyClick(grid.get(), Qt::Key_Space);
  EXPECT_EQ(query.State(), dsBrowse);
  grid->SetReadOnly(false);
  QLineEdit elsewhere;
  elsewhere.show();
  QApplication::setActiveWindow(&elsewhere);
  elsewhere.setFocus();
  ASSERT_FALSE(grid->hasFocus());
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(done, grid->Row()));
  EXPECT_EQ(query.State(), dsBrowse);
}

TEST_F(FieldCellsTest, PictureFieldsDrawAsPicturesOnlyWhenAsked) {
  const int pic = ColumnOf("pic");
  const QRgb red = qRgb(220, 0, 0);
  // Row 1 is current: look at it with the current cell elsewhere.
  EXPECT_EQ(PixelsLike(pic, 1, red), 0);
  grid->DrawGraphicFields = true;
  grid->update();
  EXPECT_GT(PixelsLike(pic, 1, red), 50);
  // Bytes that are no picture, and no value at all, draw nothing.
  EXPECT_EQ(PixelsLike(pic, 2, red), 0);
  EXPECT_EQ(PixelsLike(pic, 3, red), 0);
  EXPECT_EQ(PixelsLike(pic, 2, qRgb(0, 0, 0)), 0);
}

TEST_F(FieldCellsTest, DrawingEventsFollowTheColumnsKind) {
  QStringList dataCells;
  QList<int> columnCells;
  grid->OnDrawDataCell = [&](TObject*, const TRect&, TField* f, TGridDrawState) {
    dataCells << (f ? f->FieldName() : QString());
  };
  grid->OnDrawColumnCell = [&](TObject*, const TRect&, int dataCol, TsfColumn*, TGridDrawState) {
    columnCells << dataCol;
  };
  grid->grab();
  // Default columns: both events for every data cell, with its field.
  EXPECT_EQ(dataCells.count(QStringLiteral("name")), 3);
  EXPECT_EQ(dataCells.count(QStringLiteral("pic")), 3);
  EXPECT_EQ(columnCells.count(1), 3);
  // Columns made by hand: only the column event.
  dataCells.clear();
  columnCells.clear();
  grid->Columns()->Items(1)->SetWidth(90);
  ASSERT_EQ(grid->Columns()->State(), csCustomized);
  grid->grab();
  EXPECT_TRUE(dataCells.isEmpty());
  EXPECT_EQ(columnCells.count(1), 3);
}

TEST_F(FieldCellsTest, RightToLeftSwapsLeftAndRightAndPutsTheButtonLeft) {
  grid->Columns()->Items(1)->PickList = QStringList{QStringLiteral("one"), QStringLiteral("two")};
  for (const Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
    const bool rtl = dir == Qt::RightToLeft;
    SCOPED_TRACE(rtl ? "right to left" : "left to right");
    grid->setLayoutDirection(dir);
    grid->setFocus();
    grid->SetCol(ColumnOf("done"));
    QTest::keyClick(grid.get(), Qt::Key_Left);
    EXPECT_EQ(grid->SelectedField()->FieldName(), QLatin1String(rtl ? "score" : "name"));
    auto* e = qobject_cast<TsfDBGridInplaceEdit*>(EditCell(QStringLiteral("name")));
    ASSERT_TRUE(e);
    ASSERT_EQ(e->EditStyle(), esPickList);
    EXPECT_EQ(e->layoutDirection(), dir);
    EXPECT_EQ(rtl ? e->ButtonRect().left() : e->ButtonRect().right(), rtl ? 0 : e->width() - 1);
    QTest::keyClick(e, Qt::Key_Escape);
  }
}

// Horizontal extent of the dark (text) pixels of a cell, relative to its
// left edge: {first, last}, or {-1, -1} when none.
std::pair<int, int> DarkColumns(const QImage& img, const TRect& r) {
  int first = -1, last = -1;
  for (int x = r.Left; x < r.Right; ++x)
    for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
      if (qGray(img.pixel(x, y)) < 90) {
        if (first < 0) first = x - r.Left;
        last = x - r.Left;
        break;
      }
  return {first, last};
}

TEST_F(FieldCellsTest, RightToLeftDrawsColumnsFromTheRightAndTheMouseFollows) {
  const int w = grid->ClientWidth();
  grid->Columns()->Items(1)->SetWidth(150);  // name
  QImage ltr = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const int row2 = Centre(0, 2).y();
  const QRgb fixed = ltr.pixel(3, row2);  // the indicator cell of a record that is not current
  const TRect ltrName[] = {grid->CellRect(ColumnOf("name"), 0), grid->CellRect(ColumnOf("name"), 1)};
  const TRect ltrIndicator = grid->CellRect(0, 1);
  grid->setLayoutDirection(Qt::RightToLeft);
  const QImage img = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);

  // The indicator is on the right edge and each column left of the one before.
  const TRect ind = grid->CellRect(0, 2), name = grid->CellRect(ColumnOf("name"), 2),
              done = grid->CellRect(ColumnOf("done"), 2);
  EXPECT_EQ(ind.Right, w);
  EXPECT_LE(name.Right, ind.Left);
  EXPECT_LE(done.Right, name.Left);
  EXPECT_EQ(img.pixel(w - 4, row2), fixed);
  EXPECT_NE(img.pixel(3, row2), fixed);
  EXPECT_EQ(ltr.pixel(3, row2), img.pixel(w - 4, row2));

  // The current record's arrow faces the data: the same picture, mirrored.
  {
    const TRect l = ltrIndicator, r = grid->CellRect(0, 1);
    int dark = 0;
    for (int y = l.Top + 2; y < l.Bottom - 2; ++y)
      for (int x = l.Left + 2; x < l.Right - 2; ++x) {
        const bool d = qGray(ltr.pixel(x, y)) < 90;
        dark += d;
        EXPECT_EQ(qGray(img.pixel(r.Right - 1 - (x - l.Left), y)) < 90, d) << x << "," << y;
      }
    EXPECT_GT(dark, 5);
  }

  // Left-aligned text and titles sit at the right end of their cells.
  for (int row : {0, 1}) {
    SCOPED_TRACE(row);
    const auto [l1, l2] = DarkColumns(ltr, ltrName[row]);
    const TRect r = grid->CellRect(ColumnOf("name"), row);
    const auto [r1, r2] = DarkColumns(img, r);
    ASSERT_GE(l1, 0);
    ASSERT_GE(r1, 0);
    EXPECT_LT(l1, 12);                     // left to right: near the left edge
    EXPECT_GT(r1, 60);                     // right to left: far from it...
    EXPECT_GT(r2, r.Width() - 14);         // ...and near the right edge
    EXPECT_NEAR(r2 - r1, l2 - l1, 1);      // the whole text, not cut
  }

  // A click goes to the cell drawn under the pointer.
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, Centre(ColumnOf("score"), 3));
  ASSERT_TRUE(grid->SelectedField());
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("score"));
  EXPECT_EQ(query.RecNo(), 3);
  EXPECT_EQ(grid->MouseCoord(Centre(ColumnOf("done"), 1).x(), Centre(0, 1).y()).X, ColumnOf("done"));

  // The editor opens over the cell where it is drawn.
  TsfSkinInplaceEdit* e = EditCell(QStringLiteral("name"));
  ASSERT_TRUE(e);
  const TRect cell = grid->CellRect(ColumnOf("name"), grid->Row());
  EXPECT_LE(std::abs(e->geometry().left() - cell.Left), 2);
  QTest::keyClick(e, Qt::Key_Escape);

  // The sizing line of a column is at its left edge; dragging it further
  // left widens the column.
  const TRect title = grid->CellRect(ColumnOf("name"), 0);
  const QPoint line(title.Left - 1, (title.Top + title.Bottom) / 2);
  QTest::mousePress(grid.get(), Qt::LeftButton, {}, line);
  EXPECT_EQ(grid->GridState(), gsColSizing);
  QTest::mouseMove(grid.get(), line - QPoint(30, 0));
  QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, line - QPoint(30, 0));
  EXPECT_EQ(grid->Columns()->Items(1)->Width(), 180);
  EXPECT_EQ(grid->CellRect(ColumnOf("name"), 0).Left, title.Left - 30);

  // A title dragged over another moves its column there.
  const QPoint from = Centre(ColumnOf("name"), 0), to = Centre(ColumnOf("score"), 0);
  EXPECT_GT(from.x(), to.x());
  QTest::mousePress(grid.get(), Qt::LeftButton, {}, from);
  QTest::mouseMove(grid.get(), to);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, to);
  EXPECT_EQ(Order(), (QStringList{"id", "done", "score", "name", "qty", "pic"}));
  EXPECT_TRUE(titleClicks.isEmpty());
}

TEST(GridRules, NumberTextAcceptable) {
  struct Case { TFieldType type; const char* text; bool ok; };
  const Case cases[] = {
      {ftInteger, "", true}, {ftInteger, "-", true}, {ftInteger, "+12", true},
      {ftInteger, "1-", false}, {ftInteger, "--1", false}, {ftInteger, "+-1", false},
      {ftInteger, "1.5", false}, {ftLargeint, "123456789012", true}, {ftAutoInc, "7", true},
      {ftFloat, "-1.5", true}, {ftFloat, ".5", true}, {ftFloat, "1.", true},
      {ftFloat, "1.5.2", false}, {ftFloat, "2-", false}, {ftFloat, "-+2", false},
      {ftFloat, "1e-3", true}, {ftFloat, "1.5E+", true}, {ftFloat, "e5", false},
      {ftFloat, "1e5e", false}, {ftFloat, "1e5.", false}, {ftFloat, "1e--5", false},
      {ftWideString, "1-2..", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NumberTextAcceptable(c.type, QString::fromLatin1(c.text)), c.ok) << c.text;
}

TEST_F(FieldCellsTest, NumberFieldsRefuseSignsAndSeparatorsOutOfPlace) {
  struct Case { const char* field; const char* typed; const char* shown; };
  const Case cases[] = {
      {"qty", "-12", "-12"}, {"qty", "1-2", "12"}, {"qty", "+-3", "+3"}, {"qty", "1.5x", "15"},
      {"score", "1.5.2", "1.52"}, {"score", "--1.5", "-1.5"}, {"score", "2-", "2"},
      {"score", "1e-3", "1e-3"}, {"name", "a-b.c.", "a-b.c."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TsfSkinInplaceEdit* e = EditCell(QString::fromLatin1(c.field));
    ASSERT_TRUE(e);
    QTest::keyClicks(e, QString::fromLatin1(c.typed));  // over the selected old value
    EXPECT_EQ(e->text(), QString::fromLatin1(c.shown));
    QTest::keyClick(e, Qt::Key_Escape);
  }
  // A sign typed in front of digits is at the start and is taken.
  TsfSkinInplaceEdit* e = EditCell(QStringLiteral("score"));
  QTest::keyClicks(e, QStringLiteral("2.5"));
  QTest::keyClick(e, Qt::Key_Home);
  QTest::keyClicks(e, QStringLiteral("-"));
  EXPECT_EQ(e->text(), QStringLiteral("-2.5"));
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(Bank(QStringLiteral("select score from t_marks where id = 1")), QStringLiteral("-2.5"));
}

// Pasted text is checked as typed text is, by every way of pasting: what a
// number field cannot take leaves the editor as it was.
TEST_F(FieldCellsTest, PastedTextIntoNumberFieldsIsCheckedAsTyped) {
  struct Case { const char* field; const char* before; int cursor; const char* pasted; const char* shown; };
  const Case cases[] = {
      {"qty", "12", 2, "34", "1234"},       {"qty", "12", 2, "3a", "12"},
      {"qty", "12", 2, "-3", "12"},         {"qty", "12", 0, "-", "-12"},
      {"qty", "12", 2, "1.5", "12"},        {"score", "1.5", 3, "e-3", "1.5e-3"},
      {"score", "1.5", 3, ".2", "1.5"},     {"score", "1.5", 0, "e", "1.5"},
      {"score", "", 0, "2\n", ""},         {"name", "ab", 2, "-1.2.", "ab-1.2."},
  };
  enum class Way { CtrlV, ShiftInsert, Menu };
  for (Way way : {Way::CtrlV, Way::ShiftInsert, Way::Menu}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(int(way)) + std::string(": ") + c.pasted + " into " + c.before);
      TsfSkinInplaceEdit* e = EditCell(QString::fromLatin1(c.field));
      ASSERT_TRUE(e);
      e->selectAll();
      QTest::keyClick(e, Qt::Key_Backspace);
      QTest::keyClicks(e, QString::fromLatin1(c.before));
      ASSERT_EQ(e->text(), QString::fromLatin1(c.before));
      e->setCursorPosition(c.cursor);
      QApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
      switch (way) {
        case Way::CtrlV: QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier); break;
        case Way::ShiftInsert: QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier); break;
        case Way::Menu: {
          TMenuItem root(nullptr);
          FillEditContextMenu(&root, e, nullptr, [] { return true; });
          TMenuItem* paste = nullptr;
          for (int i = 0; i < root.Count(); ++i)
            if (root.Items(i)->Caption == QLatin1String("Paste")) paste = root.Items(i);
          ASSERT_TRUE(paste && paste->Enabled);
          paste->Click();
          break;
        }
      }
      EXPECT_EQ(e->text(), QString::fromLatin1(c.shown));
      QTest::keyClick(e, Qt::Key_Escape);
    }
  }
  // Accepted pasted text is written like typed text.
  TsfSkinInplaceEdit* e = EditCell(QStringLiteral("qty"));
  QApplication::clipboard()->setText(QStringLiteral("-42"));
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(Bank(QStringLiteral("select qty from t_marks where id = 1")), QStringLiteral("-42"));
}

}  // namespace

// A middle click pastes the selection clipboard into the grid's editor; in
// a number field the text is checked as typed and as Ctrl+V text is. The
// offscreen platform has no selection clipboard, so the editor here reads
// the selection from the test; the mouse events are real.

#include "tests/skin/grids/marks_fixture.h"

#include "skin/grids/db_inplace_edit.h"

namespace {

class SelectionEditor : public TsfDBGridInplaceEdit {
 public:
  using TsfDBGridInplaceEdit::TsfDBGridInplaceEdit;
  QString selection;

 protected:
  QString PrimarySelectionText() const override { return selection; }
};

class SelectionGrid : public TsfSkinDBGrid {
 protected:
  TsfSkinInplaceEdit* CreateCellEditor() override { return new SelectionEditor(this); }
};

class MiddlePasteTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), score numeric,"
                             " qty integer);"
                             "insert into t_marks values (1, 'one', 1.5, 3), (2, 'two', 2, 4);"),
              400);
  }
  std::unique_ptr<TsfSkinDBGrid> NewGrid() override { return std::make_unique<SelectionGrid>(); }
  // Opens the editor on `field` of the current record with `text` typed in.
  SelectionEditor* EditCell(const QString& field, const QString& text) {
    grid->setFocus();
    grid->SetCol(ColumnOf(field));
    QTest::keyClick(grid.get(), Qt::Key_F2);
    auto* e = dynamic_cast<SelectionEditor*>(grid->InplaceEditor());
    EXPECT_TRUE(e && e->isVisible());
    if (!e) return nullptr;
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, text);
    EXPECT_EQ(e->text(), text);
    return e;
  }
  QString Bank(const QString& sql) const { return QueryBankValue(path, sql); }
};

TEST_F(MiddlePasteTest, SelectionPastedWithTheMiddleButtonIsCheckedAsTyped) {
  enum At { Start, End };
  struct Case { const char* field; const char* before; At at; const char* selection; const char* shown; };
  const Case cases[] = {
      {"qty", "12", End, "34", "1234"},        {"qty", "12", End, "3a", "12"},
      {"qty", "12", End, "-3", "12"},          {"qty", "12", Start, "-", "-12"},
      {"qty", "12", Start, "5", "512"},        {"score", "1.5", End, "e-3", "1.5e-3"},
      {"score", "1.5", End, ".2", "1.5"},      {"score", "1.5", Start, "e", "1.5"},
      {"name", "ab", Start, "-1.2.", "-1.2.ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.selection) + " into " + c.before + (c.at == Start ? " at its start" : " at its end"));
    SelectionEditor* e = EditCell(QString::fromLatin1(c.field), QString::fromLatin1(c.before));
    ASSERT_TRUE(e);
    e->selection = QString::fromLatin1(c.selection);
    // The press puts the caret under the pointer: before the text, or after it.
    const QPoint at(c.at == Start ? 1 : e->width() - 3, e->height() / 2);
    QTest::mouseClick(e, Qt::MiddleButton, {}, at);
    EXPECT_EQ(e->text(), QString::fromLatin1(c.shown));
    QTest::keyClick(e, Qt::Key_Escape);
  }
}

TEST_F(MiddlePasteTest, AcceptedSelectionIsWrittenAndAReadOnlyColumnTakesNothing) {
  SelectionEditor* e = EditCell(QStringLiteral("qty"), QStringLiteral("7"));
  ASSERT_TRUE(e);
  e->selection = QStringLiteral("-");
  // Shift extends the selection to the text's start; the selected "7" stays
  // and the pasted sign goes in at the caret.
  QTest::mouseClick(e, Qt::MiddleButton, Qt::ShiftModifier, QPoint(1, e->height() / 2));
  EXPECT_EQ(e->text(), QStringLiteral("-7"));
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(Bank(QStringLiteral("select qty from t_marks where id = 1")), QStringLiteral("-7"));

  grid->Columns()->Items(1)->ReadOnly = true;  // name
  grid->setFocus();
  grid->SetCol(ColumnOf(QStringLiteral("name")));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  e = dynamic_cast<SelectionEditor*>(grid->InplaceEditor());
  ASSERT_TRUE(e && e->isVisible());
  ASSERT_TRUE(e->isReadOnly());
  e->selection = QStringLiteral("zz");
  QTest::mouseClick(e, Qt::MiddleButton, {}, QPoint(1, e->height() / 2));
  EXPECT_EQ(e->text(), QStringLiteral("one"));
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_EQ(Bank(QStringLiteral("select name from t_marks where id = 1")), QStringLiteral("one"));
}

}  // namespace

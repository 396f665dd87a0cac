// The core grid's editor with the always-show-editor option: Home and Left
// go to the grid when Ctrl is held or the selection starts at the text's
// start and is empty or the whole text; End and Right when Ctrl is held or
// it ends at the text's end and is empty or starts at the start. Otherwise
// the editor moves its caret.

#include "tests/skin/grids/grid_fixture.h"

namespace {

class TextGrid : public TsfSkinCustomGrid {
 public:
  using TsfSkinCustomGrid::TsfSkinCustomGrid;

 protected:
  void DrawCellContent(int, int, const TRect&, TGridDrawState) override {}
  QString GetEditText(int, int) override { return QStringLiteral("abcd"); }
};

TEST(GridEditorKeys, EndsOfTheTextHandTheArrowsAndHomeEndToTheGrid) {
  enum Sel { Whole, WholeBackwards, CaretAt0, CaretAt2, CaretAtEnd, Head, Tail };
  struct Case { Sel sel; Qt::Key key; bool ctrl; bool toGrid; };
  const Case cases[] = {
      {Whole, Qt::Key_Left, false, true},           {Whole, Qt::Key_Home, false, true},
      {Whole, Qt::Key_Right, false, true},          {Whole, Qt::Key_End, false, true},
      {WholeBackwards, Qt::Key_Left, false, true},  {WholeBackwards, Qt::Key_Right, false, true},
      {CaretAt0, Qt::Key_Left, false, true},        {CaretAt0, Qt::Key_Home, false, true},
      {CaretAt0, Qt::Key_Right, false, false},      {CaretAt0, Qt::Key_End, false, false},
      {CaretAtEnd, Qt::Key_Right, false, true},     {CaretAtEnd, Qt::Key_End, false, true},
      {CaretAtEnd, Qt::Key_Left, false, false},     {CaretAtEnd, Qt::Key_Home, false, false},
      {CaretAt2, Qt::Key_Left, false, false},       {CaretAt2, Qt::Key_Right, false, false},
      {CaretAt2, Qt::Key_Left, true, true},         {CaretAt2, Qt::Key_End, true, true},
      {Head, Qt::Key_Left, false, false},           {Head, Qt::Key_Right, false, false},  // "ab" selected
      {Tail, Qt::Key_Right, false, false},          {Tail, Qt::Key_Left, false, false},   // "cd" selected
  };
  TextGrid g;
  g.resize(400, 150);
  g.SetColCount(6);
  g.SetGridOptions(g.GridOptions() | goEditing | goAlwaysShowEditor);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  g.activateWindow();
  QApplication::setActiveWindow(&g);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "selection " << c.sel << ", key " << QKeySequence(c.key).toString().toStdString()
                                    << (c.ctrl ? " with Ctrl" : ""));
    g.setFocus();
    g.SetCol(3);
    g.ShowEditor();
    TsfSkinInplaceEdit* e = g.InplaceEditor();
    ASSERT_TRUE(e && e->isVisible());
    ASSERT_EQ(e->text(), QStringLiteral("abcd"));
    e->setFocus();
    switch (c.sel) {
      case Whole: e->selectAll(); break;
      case WholeBackwards: e->setSelection(4, -4); break;
      case CaretAt0: e->setCursorPosition(0); break;
      case CaretAt2: e->setCursorPosition(2); break;
      case CaretAtEnd: e->setCursorPosition(4); break;
      case Head: e->setSelection(0, 2); break;
      case Tail: e->setSelection(2, 2); break;
    }
    QTest::keyClick(e, c.key, c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
    EXPECT_EQ(g.Col() != 3, c.toGrid) << "column " << g.Col();
  }
}

// Without the option the arrows stay in the editor whatever is selected.
TEST(GridEditorKeys, WithoutAlwaysShowTheArrowsStayInTheEditor) {
  TextGrid g;
  g.resize(400, 150);
  g.SetGridOptions(g.GridOptions() | goEditing);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  g.activateWindow();
  QApplication::setActiveWindow(&g);
  g.setFocus();
  g.SetCol(2);
  QTest::keyClick(&g, Qt::Key_F2);
  TsfSkinInplaceEdit* e = g.InplaceEditor();
  ASSERT_TRUE(e && e->isVisible());
  for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End}) {
    e->selectAll();
    QTest::keyClick(e, key);
    EXPECT_EQ(g.Col(), 2);
  }
}

}  // namespace

namespace {

// Destroying a grid whose editor holds the focus hides the grid's window
// after the grid's own parts are gone; the editor must not call back into it.
TEST(GridEditorKeys, GridDestroyedWhileItsEditorHasTheFocus) {
  for (const bool alwaysShow : {false, true}) {
    SCOPED_TRACE(alwaysShow ? "always shown" : "opened by F2");
    auto* g = new TextGrid;
    g->resize(300, 120);
    g->SetGridOptions(g->GridOptions() | goEditing | (alwaysShow ? goAlwaysShowEditor : 0u));
    g->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(g));
    g->activateWindow();
    QApplication::setActiveWindow(g);
    g->setFocus();
    QTest::keyClick(g, Qt::Key_F2);
    QPointer<TsfSkinInplaceEdit> e = g->InplaceEditor();
    ASSERT_TRUE(e && e->hasFocus());
    QTest::keyClicks(e, QStringLiteral("xy"));
    delete g;
    EXPECT_TRUE(e.isNull());
  }
}

}  // namespace

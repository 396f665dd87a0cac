// In-place editing of the plain tree list through real Qt input: when the
// editor opens, what it shows, how its value is written back or abandoned,
// validation and masks, and handlers that tear down what is being edited.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <memory>
#include <utility>

#include "platform/menus.h"
#include "platform/timer.h"
#include "tests/support/test_support.h"
#include "treelist/tree_list.h"
#include "treelist/tree_list_edit.h"

namespace {

class InplaceEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = std::make_unique<TtlTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->SetShowHeader(false);
    list->SetScrollBars(ssVertical);
    list->Bands()->Add()->SetWidth(300);
    name = list->CreateColumn();
    name->SetWidth(150);
    note = list->CreateColumn();
    note->SetWidth(120);
    list->resize(320, 100);
    a = Row("a", "note a");
    b = Row("b", "note b");
    c = Row("c", "note c");
    list->OnEdited = [this](TObject*, TtlTreeListNode* n) { edited << Cell(n, 0); };
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->activateWindow();
    list->setFocus();
    list->SetFocusedNode(a, 0, false);
  }

  TtlTreeListNode* Row(const char* first, const char* second) {
    auto* n = static_cast<TtlTreeListTextNode*>(list->Add());
    n->SetCellText(0, QString::fromUtf8(first));
    n->SetCellText(1, QString::fromUtf8(second));
    return n;
  }
  static QString Cell(const TtlTreeListNode* n, int column) {
    return n ? static_cast<const TtlTreeListTextNode*>(n)->CellText(column) : QStringLiteral("-");
  }
  QLineEdit* Edit() const {
    return list->InplaceEditor() ? list->InplaceEditor()->LineEdit() : nullptr;
  }
  QWidget* Target() const {
    QWidget* f = QApplication::focusWidget();
    return f ? f : list.get();
  }
  // Keys go where the keyboard focus is, as typing does.
  void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(Target(), k, m); }
  void Type(const QString& text) {
    for (QChar ch : text) QTest::keyClick(Target(), ch.toLatin1());
  }
  QPoint CellPoint(TtlTreeListNode* n, int column) const {
    const TRect row = list->RowRect(n);
    for (const auto& cell : list->RowCells(n, row))
      if (cell.column->Index() == column)
        return QPoint(cell.rect.Left + 5, row.Top + (cell.rect.Top + cell.rect.Bottom) / 2);
    return QPoint();
  }

  std::unique_ptr<TtlTreeList> list;
  TtlTreeListColumn* name = nullptr;
  TtlTreeListColumn* note = nullptr;
  TtlTreeListNode *a = nullptr, *b = nullptr, *c = nullptr;
  QStringList edited;
};

TEST_F(InplaceEditTest, F2OpensOverTheFocusedCellAndEnterWritesBack) {
  list->SetFocusedNode(b, 1, false);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  TtlInplaceEdit* editor = list->InplaceEditor();
  EXPECT_EQ(list->EditingNode(), b);
  EXPECT_EQ(list->EditingColumn(), note);
  EXPECT_EQ(Edit()->text(), QStringLiteral("note b"));
  // The 2-pixel frame lies around the cell; the text area is the cell.
  const TRect row = list->RowRect(b);
  TRect cell;
  for (const auto& place : list->RowCells(b, row))
    if (place.column == note) cell = place.rect;
  EXPECT_EQ(editor->geometry(), QRect(cell.Left - 2, row.Top + cell.Top - 2, cell.Width() + 4,
                                      cell.Height() + 4));
  EXPECT_EQ(Edit()->geometry().size(), QSize(cell.Width(), cell.Height()));
  EXPECT_TRUE(Edit()->hasFocus());
  EXPECT_EQ(Edit()->selectedText(), QStringLiteral("note b"));

  Type(QStringLiteral("new"));
  EXPECT_EQ(Edit()->text(), QStringLiteral("new"));
  EXPECT_EQ(Cell(b, 1), QStringLiteral("note b")) << "nothing is written while typing";
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(Cell(b, 1), QStringLiteral("new"));
  EXPECT_EQ(edited, QStringList{QStringLiteral("b")});
  EXPECT_TRUE(list->hasFocus()) << "the tree list takes the focus back";
  EXPECT_EQ(list->State(), tsNormal);
}

TEST_F(InplaceEditTest, EscRestoresAndClosesWithoutWritingAndOnEditedFiresAnyway) {
  Key(Qt::Key_F2);
  Type(QStringLiteral("zz"));
  Key(Qt::Key_Escape);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(a, 0), QStringLiteral("a"));
  EXPECT_EQ(list->EditorCache().front()->LineEdit()->text(), QStringLiteral("a"));
  EXPECT_EQ(edited, QStringList{QStringLiteral("a")});

  // Closing an unmodified editor fires OnEdited but writes nothing: a text
  // changed behind the editor's back stays.
  edited.clear();
  Key(Qt::Key_F2);
  static_cast<TtlTreeListTextNode*>(a)->SetCellText(0, QStringLiteral("changed behind"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(a, 0), QStringLiteral("changed behind"));
  EXPECT_EQ(edited, QStringList{QStringLiteral("changed behind")});
}

TEST_F(InplaceEditTest, TypingOpensTheEditorAndTheCharacterGoesIn) {
  QTest::keyClick(list.get(), 'x');
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(Edit()->text(), QStringLiteral("x")) << "the typed character replaces the text";
  Type(QStringLiteral("yz"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(a, 0), QStringLiteral("xyz"));
  // Backspace opens it too and deletes the selected text.
  QTest::keyClick(list.get(), Qt::Key_Backspace);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(Edit()->text(), QString());
}

// Whatever the gesture, the editor does not open; none is even made.
TEST_F(InplaceEditTest, WholeRowSelectionAndVetoesNeverOpenTheEditor) {
  struct Case {
    const char* what;
    std::function<void()> set, reset;
  };
  int asked = 0;
  const std::vector<Case> cases = {
      {"whole-row selection", [&] { list->SetOptionView(etoRowSelect, true); },
       [&] { list->SetOptionView(etoRowSelect, false); }},
      {"OnEditing clears Allow",
       [&] {
         list->OnEditing = [&](TObject*, TtlTreeListNode*, bool& allow) {
           ++asked;
           allow = false;
         };
       },
       [&] { list->OnEditing = nullptr; }},
      {"DisableEditor", [&] { name->DisableEditor = true; }, [&] { name->DisableEditor = false; }},
      {"etoEditing off", [&] { list->OptionsBehavior &= ~OptB(etoEditing); },
       [&] { list->OptionsBehavior |= OptB(etoEditing); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    k.set();
    list->SetFocusedNode(a, 0, false);
    Key(Qt::Key_F2);
    Key(Qt::Key_Return);
    QTest::keyClick(list.get(), 'q');
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(a, 0));
    EXPECT_FALSE(list->Editing());
    EXPECT_TRUE(list->EditorCache().empty());
    EXPECT_EQ(Cell(a, 0), QStringLiteral("a"));
    k.reset();
  }
  EXPECT_EQ(asked, 4) << "F2, Enter, the typed key and the click each asked";
}

TEST_F(InplaceEditTest, TwoColumnsShareOneEditorAndTabWritesTheFirstBeforeTheSecondLoads) {
  list->OptionsBehavior |= OptB(etoTabs);
  Key(Qt::Key_F2);
  TtlInplaceEdit* first = list->InplaceEditor();
  Type(QStringLiteral("A2"));
  Key(Qt::Key_Tab);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(a, 0), QStringLiteral("A2"));
  EXPECT_EQ(list->FocusedColumn(), 1);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(list->InplaceEditor(), first);
  EXPECT_EQ(list->EditorCache().size(), 1u);
  EXPECT_EQ(Edit()->text(), QStringLiteral("note a"));
  Type(QStringLiteral("N2"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(a, 1), QStringLiteral("N2"));
  EXPECT_EQ(edited, QStringList({QStringLiteral("A2"), QStringLiteral("A2")}));

  // A mask column has an editor class of its own.
  auto* code = list->CreateColumnOf<TtlTreeListMaskColumn>();
  code->SetWidth(30);
  code->SetEditMask(QStringLiteral("00;0;_"));
  list->SetFocusedNode(a, code->Index(), false);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(list->EditorCache().size(), 2u);
  EXPECT_TRUE(qobject_cast<TtlInplaceTreeListMaskEdit*>(list->InplaceEditor()));
}

TEST_F(InplaceEditTest, AnEmptyRequiredMaskPositionRefusesEnterAndPutsTheCaretThere) {
  MessageBoxRecorder boxes;
  auto* code = list->CreateColumnOf<TtlTreeListMaskColumn>();
  code->SetWidth(60);
  code->SetEditMask(QStringLiteral("000-00;0;_"));
  static_cast<TtlTreeListTextNode*>(b)->SetCellText(code->Index(), QStringLiteral("12345"));
  list->SetFocusedNode(b, code->Index(), false);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(Edit()->text(), QStringLiteral("123-45"));
  Type(QStringLiteral("9"));  // replaces the selection from its start
  EXPECT_EQ(Edit()->text(), QStringLiteral("9__-__"));
  Key(Qt::Key_Return);
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, QString::fromUtf16(kInvalidMaskInput));
  EXPECT_TRUE(list->Editing()) << "the refused value keeps the editor open";
  EXPECT_EQ(Edit()->cursorPosition(), 1);
  EXPECT_TRUE(Edit()->hasFocus());
  // Typing on fills the positions, over the literal.
  Type(QStringLiteral("8765"));
  EXPECT_EQ(Edit()->text(), QStringLiteral("987-65"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(b, code->Index()), QStringLiteral("98765"));

  // Esc abandons a refused value: the value at entry comes back.
  Key(Qt::Key_F2);
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Return);
  EXPECT_EQ(boxes.requests.size(), 2);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(b, code->Index()), QStringLiteral("98765"));
}

TEST_F(InplaceEditTest, ValidationHandlersRefuseWithTheirTextTreeListFirst) {
  MessageBoxRecorder boxes;
  QStringList order;
  bool refuse = true;
  list->OnEditValidate = [&](TObject* sender, QString& text, bool& accept) {
    order << QStringLiteral("list:") + (sender == name ? QStringLiteral("name") : QStringLiteral("?"));
    EXPECT_EQ(text, QString::fromUtf16(kInvalidInputDefault));
    accept = !refuse;
    text = QStringLiteral("too short");
  };
  name->OnValidate = [&](TObject*, QString& text, bool& accept) {
    order << QStringLiteral("column:") + text + (accept ? QStringLiteral(":ok") : QStringLiteral(":no"));
  };
  Key(Qt::Key_F2);
  Key(Qt::Key_Return);
  EXPECT_TRUE(order.isEmpty()) << "an unmodified value is not validated";
  Key(Qt::Key_F2);
  Type(QStringLiteral("x"));
  Key(Qt::Key_Down);
  EXPECT_EQ(order, QStringList({QStringLiteral("list:name"), QStringLiteral("column:too short:no")}));
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, QStringLiteral("too short"));
  EXPECT_TRUE(list->Editing());
  EXPECT_EQ(list->FocusedNode(), a) << "the key that tried to leave is abandoned";
  // A click elsewhere in the tree list is refused the same way.
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(c, 0));
  EXPECT_EQ(boxes.requests.size(), 2);
  EXPECT_EQ(list->FocusedNode(), a);
  refuse = false;
  Key(Qt::Key_Down);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(a, 0), QStringLiteral("x"));
  EXPECT_EQ(list->FocusedNode(), b) << "after closing, Down navigates";
}

TEST_F(InplaceEditTest, ChangesFireOnEditChangeAndTheColumnsOnChangeWithItsCase) {
  QStringList changes;
  list->OnEditChange = [&](TObject* sender) {
    changes << QStringLiteral("list:%1").arg(sender == name ? QStringLiteral("name") : QStringLiteral("?"));
  };
  name->CharCase = ecUpperCase;
  name->SetMaxLength(4);
  Key(Qt::Key_F2);
  EXPECT_TRUE(changes.isEmpty()) << "loading the value is no change";
  name->OnChange = [&](TObject*) { changes << QStringLiteral("column:") + Edit()->text(); };
  Type(QStringLiteral("abcdef"));
  EXPECT_EQ(Edit()->text(), QStringLiteral("ABCD"));
  EXPECT_EQ(changes.size(), 8);
  EXPECT_EQ(changes.mid(0, 2), QStringList({QStringLiteral("list:name"), QStringLiteral("column:A")}));
}

TEST_F(InplaceEditTest, ReadOnlyColumnsDropTypingAndConsumeDeleteAndPaste) {
  QApplication::clipboard()->setText(QStringLiteral("pasted"));
  name->SetReadOnly(true);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing()) << "a read-only cell still opens, for reading";
  Key(Qt::Key_End);
  Type(QStringLiteral("xy"));
  Key(Qt::Key_Backspace);
  Key(Qt::Key_Home);
  Key(Qt::Key_Delete);
  Key(Qt::Key_V, Qt::ControlModifier);
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(Edit()->text(), QStringLiteral("a"));
  EXPECT_FALSE(list->InplaceEditor()->Modified());
  // The context menu offers nothing that changes the text.
  TtlInplaceEdit* editor = list->InplaceEditor();
  editor->SelectAll();
  editor->UpdateContextMenu();
  QStringList enabled;
  for (int i = 0; i < editor->ContextMenu()->Items()->Count(); ++i) {
    TMenuItem* item = editor->ContextMenu()->Items()->Items(i);
    if (!item->IsLine() && item->Enabled) enabled << item->Caption;
  }
  EXPECT_EQ(enabled, QStringList{QStringLiteral("&Copy")});
}

TEST_F(InplaceEditTest, ADelayedOpeningFollowsAClickOnTheFocusedCellAndAPressCancelsIt) {
  list->OptionsBehavior &= ~OptB(etoImmediateEditor);
  // A click on another cell only focuses it.
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(b, 0));
  EXPECT_EQ(list->FocusedNode(), b);
  EXPECT_EQ(TtlCustomTreeList::PendingEditTimer(), nullptr);
  // A click on the focused cell schedules the opening; the tick opens it.
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(b, 0));
  TTimer* timer = TtlCustomTreeList::PendingEditTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->Interval(), QApplication::doubleClickInterval());
  EXPECT_FALSE(list->Editing());
  timer->OnTimer(timer);
  EXPECT_TRUE(list->Editing());
  EXPECT_EQ(TtlCustomTreeList::PendingEditTimer(), nullptr);
  Key(Qt::Key_Escape);
  // Any press in the meantime cancels it.
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(b, 0));
  ASSERT_NE(TtlCustomTreeList::PendingEditTimer(), nullptr);
  QTest::mousePress(list.get(), Qt::LeftButton, {}, CellPoint(b, 1));
  EXPECT_EQ(TtlCustomTreeList::PendingEditTimer(), nullptr);
  QTest::mouseRelease(list.get(), Qt::LeftButton, {}, CellPoint(b, 1));
  // With an immediate editor the release opens it at once.
  list->OptionsBehavior |= OptB(etoImmediateEditor);
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, CellPoint(b, 1));
  EXPECT_TRUE(list->Editing());
  EXPECT_EQ(list->EditingColumn(), note);
}

TEST_F(InplaceEditTest, ABatchUpdateClosesWithoutWritingAndScrollingOrRefocusingWrites) {
  Key(Qt::Key_F2);
  Type(QStringLiteral("lost"));
  list->LockUpdates();
  EXPECT_FALSE(list->Editing());
  list->UnlockUpdates();
  EXPECT_EQ(Cell(a, 0), QStringLiteral("a"));
  EXPECT_TRUE(edited.isEmpty());

  // Focusing another node writes the value without taking the focus.
  Key(Qt::Key_F2);
  Type(QStringLiteral("kept"));
  list->SetFocusedNode(c, 0, false);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(a, 0), QStringLiteral("kept"));

  // The focus going to another control of the window writes it too.
  QWidget window;
  window.resize(400, 200);
  list->setParent(&window);
  auto* other = new QLineEdit(&window);
  other->setGeometry(0, 150, 50, 20);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  list->setFocus();
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  Type(QStringLiteral("left"));
  other->setFocus(Qt::MouseFocusReason);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Cell(c, 0), QStringLiteral("left"));
  EXPECT_TRUE(other->hasFocus());
  list->setParent(nullptr);
}

TEST_F(InplaceEditTest, EditStylesFollowTheTreeList) {
  Key(Qt::Key_F2);
  // A new look cancels the editor; the cached editor and its style stay.
  TtlInplaceEdit* editor = list->InplaceEditor();
  const TtlEditStyle* style = editor->Style();
  struct {
    bool grid;
    TtlLookAndFeel look;
    TtlEditBorderStyle border;
    TtlEditButtonViewStyle buttons;
  } const cases[] = {{false, lfStandard, xbsSingle, bts3D},
                     {true, lfFlat, xbsNone, btsFlat},
                     {false, lfUltraFlat, xbsSingle, btsHotFlat}};
  for (const auto& k : cases) {
    list->SetShowGrid(k.grid);
    list->SetLookAndFeel(k.look);
    EXPECT_EQ(style->BorderStyle(), k.border);
    EXPECT_EQ(style->ButtonStyle(), k.buttons);
  }
  EXPECT_EQ(style->BorderColor(), clWindowFrame);
  EXPECT_EQ(style->Edges(), kAllEdges);
  EXPECT_FALSE(style->HotTrack());
  EXPECT_FALSE(style->Shadow());
  EXPECT_EQ(style->ButtonTransparence(), ebtNone);
  // An assigned value no longer follows.
  editor->Style()->SetBorderStyle(xbsThick);
  list->SetShowGrid(false);
  EXPECT_EQ(style->BorderStyle(), xbsThick);
  EXPECT_TRUE(style->IsAssigned(svBorderStyle));
}

// Handlers that take away what is being edited: the editor is cancelled and
// nothing refers to the dead node or column.
TEST_F(InplaceEditTest, HandlersDeletingTheNodeOrColumnCancelTheEditor) {
  TtlTreeListNode* doomed = b;
  list->OnEditChange = [&](TObject*) {
    if (TtlTreeListNode* n = std::exchange(doomed, nullptr)) n->Delete();
  };
  list->SetFocusedNode(b, 0, false);
  Key(Qt::Key_F2);
  Type(QStringLiteral("x"));
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(list->EditingNode(), nullptr);
  EXPECT_EQ(list->Count(), 2);
  list->OnEditChange = nullptr;
  EXPECT_TRUE(edited.isEmpty()) << "a cancelled editor fires no OnEdited";

  // The column's change handler destroys the column.
  note->OnChange = [&](TObject*) { delete std::exchange(note, nullptr); };
  list->SetFocusedNode(a, 1, false);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  Type(QStringLiteral("q"));
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(list->ColumnCount(), 1);

  // OnEdited deleting the node that a focus change is about to focus.
  list->SetFocusedNode(a, 0, false);
  Key(Qt::Key_F2);
  Type(QStringLiteral("gone"));
  list->OnEdited = [&](TObject*, TtlTreeListNode* n) { n->Delete(); };
  list->SetFocusedNode(a, 0, false);
  EXPECT_EQ(list->Count(), 1);
  EXPECT_EQ(list->FocusedNode(), c);
  list->OnEdited = nullptr;
  name->OnValidate = [&](TObject*, QString&, bool&) { list->ClearNodes(); };
  Key(Qt::Key_F2);
  Type(QStringLiteral("v"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(InplaceEditTest, EnterThroughMovesOnAndTheListMayGoWhileEditing) {
  list->OptionsBehavior |= OptB(etoEnterThrough);
  Key(Qt::Key_Return);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(list->EditingColumn(), note) << "Enter first moves to the next cell";
  Type(QStringLiteral("n"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Cell(a, 1), QStringLiteral("n"));
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(list->FocusedNode(), b) << "closing moves on as well";
  // A tree list destroyed with its editor open and modified writes nothing
  // and fires nothing.
  Key(Qt::Key_F2);
  Type(QStringLiteral("w"));
  list->OnEdited = [](TObject*, TtlTreeListNode*) { ADD_FAILURE() << "OnEdited while destroying"; };
  list.reset();
}

}  // namespace

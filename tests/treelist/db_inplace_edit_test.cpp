// In-place editing of the data-aware tree list: the first keystroke puts the
// record set into edit state, closing the editor writes the field without
// posting, Esc abandons, and handlers reloading the record set while the
// editor is open leave nothing dangling.

#include <QLineEdit>
#include <utility>

#include "tests/treelist/db_tree_fixture.h"
#include "treelist/tree_list_edit.h"

namespace {

class DbEditTest : public DbTreeTest {
 protected:
  void SetUp() override {
    Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2),(3,null,'c',3)"));
    list->SetOptionView(etoRowSelect, false);
    ord = list->CreateColumnOf<TtlDBTreeListColumn>();
    ord->SetFieldName(QStringLiteral("ord"));
    ord->SetWidth(30);
    Show(list.get());
    list->SetFocusedNode(Node(QStringLiteral("b")), 0, true);
    ASSERT_EQ(Current(), QStringLiteral("b"));
  }
  QWidget* Target() const {
    QWidget* f = QApplication::focusWidget();
    return f ? f : list.get();
  }
  void Key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(Target(), k, m); }
  void Type(const QString& text) {
    for (QChar ch : text) QTest::keyClick(Target(), ch.toLatin1());
  }
  QLineEdit* Edit() const {
    return list->InplaceEditor() ? list->InplaceEditor()->LineEdit() : nullptr;
  }
  TDataSetState State() const { return query.State(); }
  QString Stored(int id, const char* column = "name") const {
    return Value(QStringLiteral("select %1 from nodes where id=%2").arg(QLatin1String(column)).arg(id));
  }

  TtlDBTreeListColumn* ord = nullptr;
};

TEST_F(DbEditTest, TheFirstKeystrokeEditsTheRecordAndLeavingTheCellWritesWithoutPosting) {
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(Edit()->text(), QStringLiteral("b"));
  EXPECT_EQ(State(), dsBrowse) << "opening the editor changes nothing";
  Type(QStringLiteral("B"));
  EXPECT_EQ(State(), dsEdit);
  Type(QStringLiteral("ee"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(State(), dsEdit) << "Enter writes the field, it does not post";
  EXPECT_EQ(Current(), QStringLiteral("Bee"));
  EXPECT_EQ(NameOf(Node(QStringLiteral("Bee"))), QStringLiteral("Bee"));
  EXPECT_EQ(Stored(2), QStringLiteral("b"));
  // Moving on posts, as the record set does on every move.
  Key(Qt::Key_Down);
  EXPECT_EQ(State(), dsBrowse);
  EXPECT_EQ(Stored(2), QStringLiteral("Bee"));
  EXPECT_EQ(Current(), QStringLiteral("c"));
}

TEST_F(DbEditTest, APostWhileTheEditorIsOpenTakesItsValue) {
  Key(Qt::Key_F2);
  Type(QStringLiteral("posted"));
  ASSERT_EQ(State(), dsEdit);
  query.Post();
  EXPECT_EQ(Stored(2), QStringLiteral("posted"));
  EXPECT_FALSE(list->Editing()) << "the reload after the post closes the editor";
}

TEST_F(DbEditTest, EscRestoresAndASecondEscCancelsTheEdit) {
  Key(Qt::Key_F2);
  Type(QStringLiteral("zz"));
  ASSERT_EQ(State(), dsEdit);
  Key(Qt::Key_Escape);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(State(), dsEdit) << "the record set stays in edit state";
  EXPECT_EQ(Current(), QStringLiteral("b"));
  EXPECT_TRUE(list->hasFocus());
  Key(Qt::Key_Escape);
  EXPECT_EQ(State(), dsBrowse);
  EXPECT_EQ(Stored(2), QStringLiteral("b"));
}

TEST_F(DbEditTest, OneSharedEditorWritesEachFieldBeforeTheReload) {
  list->OptionsBehavior |= OptB(etoTabs);
  Key(Qt::Key_F2);
  TtlInplaceEdit* editor = list->InplaceEditor();
  Type(QStringLiteral("b2"));
  Key(Qt::Key_Tab);
  EXPECT_EQ(list->FocusedColumn(), ord->Index());
  EXPECT_EQ(Current(), QStringLiteral("b2"));
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(list->InplaceEditor(), editor);
  EXPECT_EQ(list->EditorCache().size(), 1u);
  EXPECT_EQ(Edit()->text(), QStringLiteral("2"));
  // The integer field refuses letters.
  Type(QStringLiteral("x9"));
  EXPECT_EQ(Edit()->text(), QStringLiteral("9"));
  // Up posts the record; the reload after the post shows the stored row.
  Key(Qt::Key_Up);
  EXPECT_EQ(State(), dsBrowse);
  EXPECT_EQ(Stored(2), QStringLiteral("b2"));
  EXPECT_EQ(Stored(2, "ord"), QStringLiteral("9"));
  EXPECT_NE(Node(QStringLiteral("b2")), nullptr);
  EXPECT_EQ(Node(QStringLiteral("b")), nullptr);
}

TEST_F(DbEditTest, WholeRowSelectionNeverOpensTheEditorAndNothingIsEdited) {
  list->SetOptionView(etoRowSelect, true);
  Key(Qt::Key_F2);
  Key(Qt::Key_Return);
  QTest::keyClick(list.get(), 'x');
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("b"))));
  EXPECT_FALSE(list->Editing());
  EXPECT_TRUE(list->EditorCache().empty());
  EXPECT_EQ(State(), dsBrowse);
}

// Handlers that close and reopen the query while the editor is open (the
// practice window reopens it at every save): the editor goes with the old
// rows and nothing of them is used afterwards.
TEST_F(DbEditTest, ReloadsFromEditHandlersCloseTheEditorWithoutDanglingNodesOrFields) {
  auto reopen = [this] {
    query.Close();
    query.Open();
  };
  int reloads = 0;
  list->OnEditChange = [&](TObject*) {
    if (reloads++ == 0) reopen();
  };
  Key(Qt::Key_F2);
  Type(QStringLiteral("x"));
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Shape(), QStringLiteral("a b c"));
  EXPECT_EQ(Stored(2), QStringLiteral("b"));
  list->OnEditChange = nullptr;

  // OnEdited reloading after the field was written.
  list->SetFocusedNode(Node(QStringLiteral("b")), 0, true);
  list->OnEdited = [&](TObject*, TtlTreeListNode*) { reopen(); };
  Key(Qt::Key_F2);
  Type(QStringLiteral("y"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Shape(), QStringLiteral("a b c")) << "the reopen cancelled the unposted edit";
  list->OnEdited = nullptr;

  // Validation reopening the query: the editor is closed under the handler.
  list->SetFocusedNode(Node(QStringLiteral("c")), 0, true);
  list->Columns(0)->OnValidate = [&](TObject*, QString&, bool&) { reopen(); };
  Key(Qt::Key_F2);
  Type(QStringLiteral("z"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(Shape(), QStringLiteral("a b c"));

  // The column's change handler destroys the column.
  auto* doomed = list->Columns(0);
  doomed->OnValidate = nullptr;
  list->SetFocusedNode(Node(QStringLiteral("a")), ord->Index(), true);
  ord->OnChange = [&](TObject*) { delete std::exchange(ord, nullptr); };
  Key(Qt::Key_F2);
  Type(QStringLiteral("5"));
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(list->ColumnCount(), 1);
  Key(Qt::Key_Escape);
  EXPECT_EQ(State(), dsBrowse);
}

TEST_F(DbEditTest, AMaskedFieldShowsThroughItsMaskAndWritesTheValue) {
  MessageBoxRecorder boxes;
  auto* code = list->CreateColumnOf<TtlDBTreeListMaskColumn>();
  code->SetFieldName(QStringLiteral("ord"));
  code->SetWidth(40);
  query.FieldByName(QStringLiteral("ord"))->EditMask = QStringLiteral("000;0;_");
  list->SetFocusedNode(Node(QStringLiteral("b")), code->Index(), true);
  Key(Qt::Key_F2);
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(Edit()->text(), QStringLiteral("2__"));
  Type(QStringLiteral("4"));
  Key(Qt::Key_Return);
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, QString::fromUtf16(kInvalidMaskInput));
  EXPECT_EQ(Edit()->cursorPosition(), 1);
  Type(QStringLiteral("21"));
  Key(Qt::Key_Return);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(query.FieldByName(QStringLiteral("ord"))->AsInteger(), 421);
  Key(Qt::Key_Down);
  EXPECT_EQ(Stored(2, "ord"), QStringLiteral("421"));
}

TEST_F(DbEditTest, EditingTheNewItemRowInsertsARecord) {
  list->SetShowNewItemRow(true);
  list->SetNewItemRowFocused(true);
  // Without etoCanInsert the row takes no record.
  Key(Qt::Key_F2);
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(State(), dsBrowse);
  EXPECT_TRUE(list->NewItemRowFocused());

  list->OptionsDB |= OptDB(etoCanInsert);
  int editingAsked = 0;
  list->OnEditing = [&](TObject*, TtlTreeListNode* node, bool&) {
    editingAsked += node == list->FocusedNode() && State() == dsInsert;
  };
  Type(QStringLiteral("d"));  // typing asks for the editor and goes on into it
  ASSERT_TRUE(list->Editing());
  EXPECT_EQ(State(), dsInsert);
  EXPECT_EQ(editingAsked, 1) << "OnEditing comes after the insert, for the new node";
  EXPECT_FALSE(list->NewItemRowFocused());
  EXPECT_EQ(list->Count(), 4);
  Type(QStringLiteral("elta"));
  Key(Qt::Key_Return);
  EXPECT_EQ(Current(), QStringLiteral("delta"));
  Key(Qt::Key_Up);  // posts the new record
  EXPECT_EQ(State(), dsBrowse);
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes where name='delta'")), QStringLiteral("1"));
}

}  // namespace

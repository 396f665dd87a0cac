// The new-item row of the data-aware tree list when the record set's
// new-record handler, or the list's own editing handler, does what no sane
// handler does while the row asks for its editor: closes and reopens the
// record set, posts the new record at once, inserts another, unhooks or
// deletes the list. Whatever it did, an editor is open only on a record being
// inserted, and the row works normally again afterwards.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>

#include "tests/treelist/db_tree_fixture.h"

namespace {

class NewItemRowHandlerTest : public DbTreeTest {
 protected:
  void SetUp() override {
    Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2),(3,null,'c',3)"));
    Reopen();
  }
  // Brings back what the last handler closed, unhooked or deleted.
  void Reopen() {
    if (!list) list = MakeList(6);
    if (!list->isVisible()) {
      list->SetOptionView(etoRowSelect, false);
      list->OptionsDB |= OptDB(etoCanInsert);
      Show(list.get());
      list->SetShowNewItemRow(true);
    }
    if (!query.Active()) query.Open();
    if (!list->DataSource()) list->SetDataSource(&source);
    list->SetNewItemRowFocused(true);
  }
  void Key(Qt::Key k) {
    QWidget* f = QApplication::focusWidget();
    QTest::keyClick(f ? f : list.get(), k);
  }
  int Rows() const { return Value(QStringLiteral("select count(*) from nodes")).toInt(); }
  // An open editor stands on the record being inserted, never on a stored one.
  void ExpectEditorOnlyOnTheInsert() {
    if (!list || !list->Editing()) return;
    EXPECT_EQ(query.State(), dsInsert);
    EXPECT_FALSE(list->NewItemRowFocused());
    for (const char* stored : {"a", "b", "c"})
      EXPECT_NE(list->FocusedNode(), Node(QString::fromLatin1(stored))) << stored;
  }
  // The row still makes, edits and drops a new record as usual.
  void ExpectTheRowWorks() {
    const int before = Rows();
    Reopen();
    query.OnNewRecord = nullptr;
    list->OnEditing = nullptr;
    ASSERT_TRUE(list->NewItemRowFocused());
    Key(Qt::Key_F2);
    EXPECT_TRUE(list->Editing());
    EXPECT_EQ(query.State(), dsInsert);
    ExpectEditorOnlyOnTheInsert();
    Key(Qt::Key_Escape);
    if (query.State() == dsInsert) Key(Qt::Key_Escape);
    EXPECT_FALSE(list->Editing());
    EXPECT_NE(query.State(), dsInsert);
    EXPECT_EQ(Rows(), before);
    list->repaint();
  }
};

TEST_F(NewItemRowHandlerTest, NewRecordHandlersThatUndoOrRedoTheInsert) {
  MessageBoxRecorder boxes;
  struct Case {
    const char* name;
    std::function<void()> onNewRecord;
    bool editing;  // an editor on the record being inserted afterwards
    int added;     // records the handler stored
  };
  int depth = 0;
  const Case cases[] = {
      {"closes and reopens the query", [this] { query.Close(), query.Open(); }, false, 0},
      {"posts the new record at once",
       [this] {
         query.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("z"));
         query.Post();
       },
       false, 1},
      {"cancels and inserts once more",
       [this, &depth] {
         if (depth++ > 0) return;
         query.Cancel();
         query.Insert();
       },
       true, 0},
      {"unhooks the list", [this] { list->SetDataSource(nullptr); }, false, 0},
      {"deletes the list", [this] { list.reset(); }, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reopen();
    depth = 0;
    const int before = Rows();
    query.OnNewRecord = [&c](TObject*) { c.onNewRecord(); };
    Key(Qt::Key_F2);
    query.OnNewRecord = nullptr;
    EXPECT_EQ(list && list->Editing(), c.editing);
    ExpectEditorOnlyOnTheInsert();
    // What the handler left pending goes away with Esc; nothing else is written.
    if (list && list->Editing()) Key(Qt::Key_Escape);
    if (query.State() == dsInsert) query.Cancel();
    EXPECT_EQ(Rows() - before, c.added);
    ExpectTheRowWorks();
  }
}

TEST_F(NewItemRowHandlerTest, EditingHandlerThatUndoesTheInsertOpensNoEditor) {
  struct Case {
    const char* name;
    std::function<void()> onEditing;
  };
  const Case cases[] = {
      {"cancels the insert", [this] { query.Cancel(); }},
      {"closes the query", [this] { query.Close(); }},
      {"closes and reopens the query", [this] { query.Close(), query.Open(); }},
      {"deletes the list", [this] { list.reset(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reopen();
    list->OnEditing = [&c](TObject*, TtlTreeListNode*, bool&) { c.onEditing(); };
    Key(Qt::Key_F2);
    if (list) {
      list->OnEditing = nullptr;
      EXPECT_FALSE(list->Editing());
      list->repaint();
    }
    if (list) {
      EXPECT_NE(query.State(), dsInsert);
    }
    if (query.State() == dsInsert) query.Cancel();  // left by the deleted list
    EXPECT_EQ(Rows(), 3);
    ExpectTheRowWorks();
  }
}

}  // namespace

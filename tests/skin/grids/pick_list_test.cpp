// The data grid editor's button: the pick-list and lookup drop-downs, chosen
// by keys and by the mouse, written through the data link; the ellipsis
// button's OnEditButtonClick; and handlers that tear the grid down while a
// choice is being written.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "skin/grids/db_inplace_edit.h"
#include "skin/grids/db_popup_list.h"
#include "skin/grids/skin_db_grid.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

namespace {
// A move with no button held, sent to the window that holds `w` (the list's
// own window, which overlaps the grid's).
void MoveOver(QWidget* w, QPoint at) {
  QWidget* top = w->window();
  QTest::mouseMove(top->windowHandle(), top->mapFromGlobal(w->mapToGlobal(at)));
}

const QStringList kMoments = {QStringLiteral("morning"), QStringLiteral("noon"),
                              QStringLiteral("evening"), QStringLiteral("night")};
}

// Three papers and two exercises; a grid over the exercises with the start
// text (a pick list), the paper's name (a lookup on title_id) and the score.
class PickListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, QStringLiteral(
                         "insert into t_title(title_id, title_name) values (1, 'Paper A'), (2, 'Paper B'), (3, 'Paper C');"
                         "insert into t_exercise(exer_id, title_id, exer_title, exer_point) values"
                         " (1, 2, 'noon', 10), (2, 3, 'night', 20);"));
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    titles.SetConnection(&con);
    titles.SQL()->Add(QStringLiteral("select title_id, title_name from t_title order by title_id"));
    titles.Open();
    query.SetConnection(&con);
    query.SQL()->Add(QStringLiteral("select * from t_exercise order by exer_id"));
    query.AddLookupField(QStringLiteral("paper"), QStringLiteral("title_id"), &titles,
                         QStringLiteral("title_id"), QStringLiteral("title_name"));
    query.Open();
    source.SetDataSet(&query);

    window = std::make_unique<QWidget>();
    window->resize(420, 260);
    auto* layout = new QVBoxLayout(window.get());
    grid = new TsfSkinDBGrid(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(grid);
    layout->addWidget(other);
    timeColumn = AddColumn(QStringLiteral("exer_title"), 120);
    timeColumn->PickList = kMoments;
    timeColumn->DropDownRows = 3;
    paperColumn = AddColumn(QStringLiteral("paper"), 120);
    pointColumn = AddColumn(QStringLiteral("exer_point"), 60);
    grid->SetDataSource(&source);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    grid->setFocus();
  }
  TsfColumn* AddColumn(const QString& field, int width) {
    TsfColumn* c = grid->Columns()->Add();
    c->SetFieldName(field);
    c->SetWidth(width);
    return c;
  }
  // Opens the editor on a data column (1 = the first) of the current record.
  TsfDBGridInplaceEdit* Edit(int column) {
    grid->setFocus();
    grid->SetCol(column);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<TsfDBGridInplaceEdit*>(grid->InplaceEditor());
    EXPECT_TRUE(editor && editor->isVisible());
    return editor;
  }
  QPoint ButtonCentre(TsfDBGridInplaceEdit* e) const { return e->ButtonRect().center(); }
  // A point of the editor's coordinates at row `row` of the open list.
  QPoint ListRow(TsfDBGridInplaceEdit* e, int row) const {
    TsfListBox* inner = e->ActiveList()->ListBox();
    const QPoint inList(10, row * inner->ItemHeight() + inner->ItemHeight() / 2);
    return e->mapFromGlobal(inner->mapToGlobal(inList));
  }
  QString Bank(const QString& sql) const { return QueryBankValue(path, sql); }
  QString Field(const char* name) const { return query.FieldByName(QLatin1String(name))->AsString(); }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery titles;
  TADOQuery query;
  TDataSource source;
  std::unique_ptr<QWidget> window;
  QPointer<TsfSkinDBGrid> grid;
  QLineEdit* other = nullptr;
  TsfColumn* timeColumn = nullptr;
  TsfColumn* paperColumn = nullptr;
  TsfColumn* pointColumn = nullptr;
};

TEST_F(PickListTest, ButtonKindFollowsTheColumnAndTheField) {
  struct Case {
    const char* what;
    int column;
    std::function<void()> setup;
    TsfEditStyle expected;
  } cases[] = {
      {"pick list", 1, [] {}, esPickList},
      {"pick list, button style none", 1, [this] { timeColumn->ButtonStyle = cbsNone; }, esSimple},
      {"pick list, read-only column", 1, [this] { timeColumn->ReadOnly = true; }, esSimple},
      {"pick list, emptied", 1, [this] { timeColumn->PickList.clear(); }, esSimple},
      {"lookup field", 2, [] {}, esDataList},
      {"lookup field, read-only grid", 2, [this] { grid->SetReadOnly(true); }, esSimple},
      {"lookup field, key field read-only", 2,
       [this] { query.FieldByName(QStringLiteral("title_id"))->SetReadOnly(true); }, esSimple},
      {"plain number", 3, [] {}, esSimple},
      {"plain number, ellipsis", 3, [this] { pointColumn->ButtonStyle = cbsEllipsis; }, esEllipsis},
  };
  for (const Case& c : cases) {
    c.setup();
    grid->HideEditor();
    TsfDBGridInplaceEdit* editor = Edit(c.column);
    ASSERT_TRUE(editor) << c.what;
    EXPECT_EQ(editor->EditStyle(), c.expected) << c.what;
    const QRect button = editor->ButtonRect();
    if (c.expected == esSimple) {
      EXPECT_TRUE(button.isEmpty()) << c.what;
      EXPECT_EQ(editor->textMargins().right(), 2) << c.what;
    } else {
      EXPECT_EQ(button.right(), editor->width() - 1) << c.what;
      EXPECT_EQ(button.height(), editor->height()) << c.what;
      EXPECT_EQ(editor->textMargins().right(), 2 + button.width()) << "text stops at the button: " << c.what;
    }
    // Undo the case's setting.
    timeColumn->ButtonStyle = pointColumn->ButtonStyle = cbsAuto;
    timeColumn->ReadOnly = false;
    timeColumn->PickList = kMoments;
    grid->SetReadOnly(false);
    query.FieldByName(QStringLiteral("title_id"))->SetReadOnly(false);
  }
}

TEST_F(PickListTest, AltDownDropsThePickListAndEnterWritesTheChoice) {
  TsfDBGridInplaceEdit* editor = Edit(1);
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(editor->ListVisible());
  TsfDBPopupListbox* list = editor->ActiveList();
  EXPECT_EQ(list->Items(), kMoments);
  EXPECT_EQ(list->ItemIndex(), 1) << "the item equal to the field's text";
  EXPECT_EQ(list->pos(), editor->mapToGlobal(QPoint(0, editor->height()))) << "below the editor";
  EXPECT_EQ(list->Height(), 3 * list->ItemHeight() + 4) << "DropDownRows rows";
  EXPECT_GE(list->Width(), editor->width());
  EXPECT_EQ(QApplication::focusWidget(), editor) << "the editor keeps the focus";
  // Keys go to the list while it shows, not to the grid.
  QTest::keyClick(editor, Qt::Key_Down);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(query.RecNo(), 1);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->text(), QStringLiteral("evening"));
  EXPECT_EQ(query.State(), dsEdit);
  EXPECT_EQ(Field("exer_title"), QStringLiteral("evening")) << "written into the record";
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(Bank(QStringLiteral("select exer_title from t_exercise where exer_id = 1")),
            QStringLiteral("evening"));
}

TEST_F(PickListTest, EscAltUpAndOutsidePressesCloseAsTheyShould) {
  TsfDBGridInplaceEdit* editor = Edit(1);
  ASSERT_TRUE(editor);
  struct Case {
    const char* what;
    std::function<void()> close;
    bool accepted;
  } cases[] = {
      {"Esc", [&] { QTest::keyClick(editor, Qt::Key_Escape); }, false},
      {"a press on the button", [&] { QTest::mouseClick(editor, Qt::LeftButton, {}, ButtonCentre(editor)); }, false},
      {"a press on another control", [&] { QTest::mouseClick(other, Qt::LeftButton); }, false},
      {"Alt+Up", [&] { QTest::keyClick(editor, Qt::Key_Up, Qt::AltModifier); }, true},
  };
  for (const Case& c : cases) {
    if (!editor->isVisible()) editor = Edit(1);
    ASSERT_TRUE(editor) << c.what;
    QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible()) << c.what;
    QTest::keyClick(editor, Qt::Key_Up);  // "morning"
    c.close();
    EXPECT_FALSE(editor->ListVisible()) << c.what;
    EXPECT_EQ(Field("exer_title"), c.accepted ? QStringLiteral("morning") : QStringLiteral("noon")) << c.what;
    EXPECT_EQ(query.State(), c.accepted ? dsEdit : dsBrowse) << c.what;
  }
}

TEST_F(PickListTest, ButtonPressDragAndReleaseChoosesTheRowUnderThePointer) {
  TsfDBGridInplaceEdit* editor = Edit(1);
  ASSERT_TRUE(editor);
  QTest::mousePress(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  ASSERT_TRUE(editor->ListVisible());
  EXPECT_TRUE(editor->ButtonPressed());
  // A release on the button leaves the list open.
  QTest::mouseRelease(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  EXPECT_TRUE(editor->ListVisible());
  EXPECT_FALSE(editor->ButtonPressed());
  // A second press closes it without a choice; a third opens it again.
  QTest::mouseClick(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  EXPECT_FALSE(editor->ListVisible());
  QTest::mousePress(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  ASSERT_TRUE(editor->ListVisible());
  QTest::mouseMove(editor, ListRow(editor, 0));
  EXPECT_EQ(editor->ActiveList()->ItemIndex(), 0);
  QTest::mouseMove(editor, ListRow(editor, 2));
  EXPECT_EQ(editor->ActiveList()->ItemIndex(), 2);
  QTest::mouseRelease(editor, Qt::LeftButton, {}, ListRow(editor, 2));
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(Field("exer_title"), QStringLiteral("evening"));
}

TEST_F(PickListTest, AClickInTheOpenListChoosesTheClickedRow) {
  TsfDBGridInplaceEdit* editor = Edit(1);
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  TsfListBox* inner = editor->ActiveList()->ListBox();
  const QPoint row0(10, inner->ItemHeight() / 2);
  MoveOver(inner, row0 + QPoint(1, 1));
  MoveOver(inner, row0);
  EXPECT_EQ(editor->ActiveList()->ItemIndex(), 0) << "the row under the pointer";
  QTest::mousePress(inner, Qt::LeftButton, {}, row0);
  EXPECT_TRUE(editor->ListVisible()) << "the press is swallowed";
  EXPECT_EQ(QApplication::focusWidget(), editor);
  QTest::mouseRelease(inner, Qt::LeftButton, {}, row0);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(editor->text(), QStringLiteral("morning"));
  EXPECT_EQ(Field("exer_title"), QStringLiteral("morning"));
}

TEST_F(PickListTest, CaptionModeShowsTheTitleAndItsCheckButtonAccepts) {
  grid->PickListBoxCaptionMode = true;
  timeColumn->Title()->SetCaption(QStringLiteral("Start"));
  TsfDBGridInplaceEdit* editor = Edit(1);
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  TsfDBPopupListbox* list = editor->ActiveList();
  ASSERT_TRUE(list->CaptionMode());
  EXPECT_EQ(list->Caption(), QStringLiteral("Start"));
  QTest::keyClick(editor, Qt::Key_Down);
  QTest::mouseClick(list, Qt::LeftButton, {}, list->CaptionButtonRect(2).toQRect().center());
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(Field("exer_title"), QStringLiteral("evening"));
}

TEST_F(PickListTest, LookupListWritesTheChosenKeyIntoTheKeyField) {
  TsfDBGridInplaceEdit* editor = Edit(2);
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->text(), QStringLiteral("Paper B"));
  QTest::mouseClick(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  ASSERT_TRUE(editor->ListVisible());
  TsfDBPopupListbox* list = editor->ActiveList();
  EXPECT_EQ(list->Items(), QStringList({"Paper A", "Paper B", "Paper C"}));
  EXPECT_EQ(list->ItemIndex(), 1) << "the record whose key is the current one";
  EXPECT_EQ(titles.RecNo(), 1) << "the lookup record set's cursor stays";
  QTest::keyClick(editor, Qt::Key_Up);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_FALSE(editor->ListVisible());
  EXPECT_EQ(Field("title_id"), QStringLiteral("1"));
  EXPECT_EQ(editor->text(), QStringLiteral("Paper A"));
  EXPECT_EQ(query.State(), dsEdit);
  query.Post();
  EXPECT_EQ(Bank(QStringLiteral("select title_id from t_exercise where exer_id = 1")), QStringLiteral("1"));
  // On the second record the current paper is C.
  QTest::keyClick(editor, Qt::Key_Down);
  editor = Edit(2);
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(editor->ActiveList()->ItemIndex(), 2);
}

TEST_F(PickListTest, EllipsisButtonRaisesEditButtonClickOnReleaseAndOnCtrlEnter) {
  pointColumn->ButtonStyle = cbsEllipsis;
  int clicks = 0;
  grid->OnEditButtonClick = [&](TObject* sender) {
    EXPECT_EQ(sender, grid.data());
    ++clicks;
  };
  TsfDBGridInplaceEdit* editor = Edit(3);
  ASSERT_TRUE(editor);
  QTest::mousePress(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  EXPECT_EQ(clicks, 0) << "on release only";
  QTest::mouseRelease(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  EXPECT_EQ(clicks, 1);
  // Released away from the button: no click.
  QTest::mousePress(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  QTest::mouseMove(editor, QPoint(5, 5));
  EXPECT_FALSE(editor->ButtonPressed());
  QTest::mouseRelease(editor, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks, 1);
  QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(editor->text(), QStringLiteral("10")) << "the Enter character is removed";
  EXPECT_EQ(query.State(), dsBrowse);
}

// Handlers that destroy the grid (or close its record set) in the middle of
// a choice; each case gets a fresh fixture.
struct TearDownCase {
  const char* what;
  int column;
  void (*arm)(PickListTest&);
  bool clickInList;
};

class PickListTearDownTest : public PickListTest,
                             public ::testing::WithParamInterface<TearDownCase> {
 public:
  using PickListTest::grid;
  using PickListTest::query;
  using PickListTest::source;
};

TEST_P(PickListTearDownTest, ChoiceSurvivesAHandlerDestroyingTheGrid) {
  const TearDownCase& c = GetParam();
  TsfDBGridInplaceEdit* editor = Edit(c.column);
  ASSERT_TRUE(editor);
  QTest::keyClick(editor, Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(editor->ListVisible());
  QTest::keyClick(editor, Qt::Key_Up);
  c.arm(*this);
  if (c.clickInList) QTest::mouseClick(editor->ActiveList()->ListBox(), Qt::LeftButton, {}, QPoint(10, 5));
  else QTest::keyClick(editor, Qt::Key_Return);
  source.OnStateChange = nullptr;
  source.OnDataChange = nullptr;
  if (TField* f = query.FindField(QStringLiteral("exer_title"))) f->OnSetText = nullptr;
  if (grid) {
    auto* e = qobject_cast<TsfDBGridInplaceEdit*>(grid->InplaceEditor());
    EXPECT_FALSE(e && e->ListVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, PickListTearDownTest,
    ::testing::Values(
        TearDownCase{"pick list, state change on entering edit", 1,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.source.OnStateChange = [&s](TObject*) { delete s.grid.data(); };
                     },
                     false},
        TearDownCase{"pick list, the same from a click in the list", 1,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.source.OnStateChange = [&s](TObject*) { delete s.grid.data(); };
                     },
                     true},
        TearDownCase{"pick list, the field's set-text handler", 1,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.query.FieldByName(QStringLiteral("exer_title"))->OnSetText =
                           [&s](TField*, const QString&) { delete s.grid.data(); };
                     },
                     false},
        TearDownCase{"lookup, data change of the key field", 2,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.source.OnDataChange = [&s](TObject*, TField* f) {
                         if (f) delete s.grid.data();
                       };
                     },
                     false},
        TearDownCase{"lookup, record set closed on the key's data change", 2,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.source.OnDataChange = [&s](TObject*, TField* f) {
                         if (f) s.query.Close();
                       };
                     },
                     false},
        TearDownCase{"lookup, state change on entering edit", 2,
                     [](PickListTest& t) {
                       auto& s = static_cast<PickListTearDownTest&>(t);
                       s.source.OnStateChange = [&s](TObject*) { delete s.grid.data(); };
                     },
                     false}));

TEST_F(PickListTest, EditButtonHandlerMayDestroyTheGrid) {
  pointColumn->ButtonStyle = cbsEllipsis;
  grid->OnEditButtonClick = [this](TObject*) { delete grid.data(); };
  TsfDBGridInplaceEdit* editor = Edit(3);
  ASSERT_TRUE(editor);
  QTest::mouseClick(editor, Qt::LeftButton, {}, ButtonCentre(editor));
  EXPECT_TRUE(grid.isNull());
}

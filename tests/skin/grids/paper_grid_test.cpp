// The data grid as the paper selection window uses it, on a real bank:
// one column, no bars, clicks, wheel, keys, editing and deleting.

#include "tests/skin/grids/grid_fixture.h"

#include "skin/grids/grid_indicators.h"
#include "skin/grids/inplace_edit.h"

namespace {

TEST_F(PaperGridTest, RowHeightFollowsTheSkinRecordOrTheDefaults) {
  OpenBank(3);
  struct Case {
    const char* what;
    std::function<TsfSkinData*(QObject*)> skin;
    int height;
  };
  const Case cases[] = {
      {"no skin data keeps the stored height", [](QObject*) { return nullptr; }, 17},
      {"a skin without a grid record gives DefaultCellHeight",
       [](QObject* o) { return MakeSkinWithoutGrid(o); }, 20},
      {"a grid record gives the select-cell picture's height",
       [](QObject* o) { return MakeGridSkin(o, 23); }, 23},
      {"a record without a fixed-cell picture is the default look",
       [](QObject* o) { return MakeGridSkin(o, 23, false); }, 20},
      {"empty select and focus pictures fall back to the default height",
       [](QObject* o) { return MakeGridSkin(o, 23, true, false); }, 20},
  };
  for (const Case& c : cases) {
    QObject owner;
    MakePaperGrid(c.skin(&owner));
    OpenQuery();
    EXPECT_EQ(grid->DefaultRowHeight(), c.height) << c.what;
    EXPECT_EQ(grid->RowHeights(1), c.height) << c.what;
    query.Close();
  }
}

TEST_F(PaperGridTest, InactiveSourceShowsTitlesAndOneEmptyRow) {
  OpenBank(3);
  MakePaperGrid();
  Show(grid.get());
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->ColCount(), 2);
  OpenQuery();
  EXPECT_EQ(grid->RowCount(), 4);
  query.Close();
  EXPECT_EQ(grid->RowCount(), 2);
}

TEST_F(PaperGridTest, BufferHoldsTheVisibleRowsAndAtLeastOne) {
  OpenBank(40);
  OpenQuery();
  MakePaperGrid(nullptr, 18 + 5 * 18 + 3);  // titles and five rows of 17 + line
  Show(grid.get());
  EXPECT_EQ(grid->DataLink()->BufferCount(), 5);
  EXPECT_EQ(grid->RowCount(), 6);
  grid->resize(297, 10);  // lower than one row
  EXPECT_EQ(grid->DataLink()->BufferCount(), 1);
  EXPECT_EQ(grid->RowCount(), 2);
}

TEST_F(PaperGridTest, ClickMovesTheRecordAndFiresCellClickOnReleaseOnly) {
  OpenBank(5);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  ASSERT_EQ(query.RecNo(), 1);
  QTest::mousePress(grid.get(), Qt::LeftButton, {}, CellCentre(1, 3));
  EXPECT_EQ(query.RecNo(), 3);
  EXPECT_TRUE(cellClicks.isEmpty());
  QTest::mouseRelease(grid.get(), Qt::LeftButton, {}, CellCentre(1, 3));
  ASSERT_EQ(cellClicks.size(), 1);
  EXPECT_EQ(cellClicks[0], grid->Columns()->Items(0));
  EXPECT_TRUE(titleClicks.isEmpty());
  EXPECT_EQ(Current(), QStringLiteral("Paper 03"));
  // The first click never opens the editor.
  EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->isVisible());
}

TEST_F(PaperGridTest, TitleClickFiresTitleClickNotCellClick) {
  OpenBank(3);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 0));
  ASSERT_EQ(titleClicks.size(), 1);
  EXPECT_EQ(titleClicks[0], grid->Columns()->Items(0));
  EXPECT_TRUE(cellClicks.isEmpty());
  EXPECT_EQ(query.RecNo(), 1);
}

TEST_F(PaperGridTest, KeyboardAndWheelMovesFireNoCellClick) {
  OpenBank(5);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  QTest::keyClick(grid.get(), Qt::Key_Down);
  Wheel(grid.get(), -120);
  EXPECT_EQ(query.RecNo(), 3);
  EXPECT_TRUE(cellClicks.isEmpty());
}

TEST_F(PaperGridTest, WheelMovesOneRecordAndReachesRowsBelowTheVisibleOnes) {
  OpenBank(20);
  OpenQuery();
  MakePaperGrid(nullptr, 18 + 5 * 18 + 3);
  Show(grid.get());
  ASSERT_FALSE(grid->MouseWheelSupport);
  Wheel(grid.get(), -120);
  EXPECT_EQ(query.RecNo(), 2);
  Wheel(grid.get(), 120);
  EXPECT_EQ(query.RecNo(), 1);
  Wheel(grid.get(), 120);  // nothing above the first
  EXPECT_EQ(query.RecNo(), 1);
  for (int i = 0; i < 12; ++i) Wheel(grid.get(), -120);
  EXPECT_EQ(query.RecNo(), 13);
  EXPECT_EQ(Current(), QStringLiteral("Paper 13"));
  // The current record is drawn on the last visible row.
  EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
  EXPECT_EQ(grid->DataLink()->BufferCount(), 5);
}

TEST_F(PaperGridTest, OneColumnKeysMoveThroughTheRecords) {
  OpenBank(30);
  OpenQuery();
  MakePaperGrid(nullptr, 18 + 5 * 18 + 3);
  Show(grid.get());
  struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int recNo;
  };
  const Step steps[] = {
      {Qt::Key_End, {}, 30},       {Qt::Key_Home, {}, 1},
      {Qt::Key_PageDown, {}, 6},   {Qt::Key_Down, {}, 7},
      {Qt::Key_Up, Qt::ControlModifier, 3},  // first buffered record (rows 3..7)
      {Qt::Key_Down, Qt::ControlModifier, 7},
      {Qt::Key_PageUp, {}, 2},     {Qt::Key_End, Qt::ControlModifier, 30},
      {Qt::Key_Home, Qt::ControlModifier, 1},
  };
  for (const Step& s : steps) {
    QTest::keyClick(grid.get(), s.key, s.mods);
    EXPECT_EQ(query.RecNo(), s.recNo) << "key " << s.key;
  }
}

TEST_F(PaperGridTest, DownOnTheLastRecordAppendsAndUpCancelsIt) {
  OpenBank(3);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  QTest::keyClick(grid.get(), Qt::Key_End);
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(query.State(), dsInsert);
  EXPECT_EQ(query.RecordCount(), 4);
  EXPECT_EQ(grid->RowCount(), 5);
  QTest::keyClick(grid.get(), Qt::Key_Up);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(query.RecordCount(), 3);
  EXPECT_EQ(Current(), QStringLiteral("Paper 03"));
  EXPECT_EQ(Count(), QStringLiteral("3"));
  // A read-only grid appends nothing.
  grid->SetReadOnly(true);
  QTest::keyClick(grid.get(), Qt::Key_Down);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(PaperGridTest, LeavingTheGridCancelsAnUnchangedNewRecord) {
  OpenBank(3);
  OpenQuery();
  QWidget window;
  TsfSkinDBGrid* g = MakePaperGrid();
  g->setParent(&window);
  grid.release();  // the window owns it now
  auto* other = new QLineEdit(&window);
  other->move(0, 220);
  Show(&window);
  g->setFocus();
  QTest::keyClick(g, Qt::Key_End);
  QTest::keyClick(g, Qt::Key_Down);
  ASSERT_EQ(query.State(), dsInsert);
  other->setFocus();
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(PaperGridTest, CtrlDeleteAsksAndOnlyOkDeletes) {
  OpenBank(3);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  QTest::keyClick(grid.get(), Qt::Key_Down);
  for (int answer : {IDCANCEL}) {
    MessageBoxRecorder box(answer);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(box.requests.size(), 1);
    EXPECT_EQ(box.requests[0].Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(box.requests[0].Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(box.requests[0].Buttons, QStringList({QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_EQ(box.requests[0].Flags, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(Count(), QStringLiteral("3"));
  }
  {
    MessageBoxRecorder box(IDOK);
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(box.requests.size(), 1);
  }
  EXPECT_EQ(Count(), QStringLiteral("2"));
  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select count(*) from t_title where title_id = 2")),
            QStringLiteral("0"));
  EXPECT_EQ(Current(), QStringLiteral("Paper 03"));
  // A read-only grid does not even ask.
  grid->SetReadOnly(true);
  MessageBoxRecorder box(IDOK);
  QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(box.requests.isEmpty());
  EXPECT_EQ(Count(), QStringLiteral("2"));
}

TEST_F(PaperGridTest, DeleteQuestionComesFromTheSkinsResourceStrings) {
  OpenBank(2);
  OpenQuery();
  QObject owner;
  TsfSkinData* skin = MakeGridSkin(&owner);
  auto* strings = new TsfResourceStrData(&owner);
  strings->ResStrings = QStringList{QStringLiteral("DB_DELETE_QUESTION=删除这份试卷?")};
  skin->SetResourceStrData(strings);
  MakePaperGrid(skin);
  Show(grid.get());
  MessageBoxRecorder box(IDCANCEL);
  QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(box.requests.size(), 1);
  EXPECT_EQ(box.requests[0].Text, QStringLiteral("删除这份试卷?"));
  EXPECT_EQ(Count(), QStringLiteral("2"));
}

TEST_F(PaperGridTest, SecondClickOnTheSameCellEditsAndEnterWritesTheTable) {
  OpenBank(3);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  const QPoint cell = CellCentre(1, 2);
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, cell);
  ASSERT_EQ(query.RecNo(), 2);
  auto editorShown = [&] { return grid->InplaceEditor() && grid->InplaceEditor()->isVisible(); };
  EXPECT_FALSE(editorShown());
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, cell);
  ASSERT_TRUE(editorShown());
  TsfSkinInplaceEdit* editor = grid->InplaceEditor();
  EXPECT_EQ(editor->text(), QStringLiteral("Paper 02"));
  EXPECT_EQ(QApplication::focusWidget(), editor);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral(" (2025)"));
  EXPECT_EQ(query.State(), dsEdit);
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select title_name from t_title where title_id = 2")),
            QStringLiteral("Paper 02 (2025)"));
  // Esc after typing cancels the edit and hides the editor.
  QTest::keyClicks(editor, QStringLiteral("zzz"));
  ASSERT_EQ(query.State(), dsEdit);
  QTest::keyClick(editor, Qt::Key_Escape);
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_FALSE(editorShown());
  EXPECT_EQ(Current(), QStringLiteral("Paper 02 (2025)"));
}

TEST_F(PaperGridTest, EditorKeysGoToTheGrid) {
  OpenBank(5);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  QTest::keyClick(grid.get(), Qt::Key_F2);
  TsfSkinInplaceEdit* editor = grid->InplaceEditor();
  ASSERT_TRUE(editor && editor->isVisible());
  QTest::keyClick(editor, Qt::Key_Down);
  EXPECT_EQ(query.RecNo(), 2);
  QTest::keyClick(grid->InplaceEditor() && grid->InplaceEditor()->isVisible()
                      ? static_cast<QWidget*>(grid->InplaceEditor())
                      : grid.get(),
                  Qt::Key_PageDown);
  EXPECT_EQ(query.RecNo(), 5);
}

TEST_F(PaperGridTest, RecordBarCountsRecords) {
  OpenBank(30);
  OpenQuery();
  MakePaperGrid(nullptr, 18 + 5 * 18 + 3);
  FakeBar bar;
  grid->SetVScrollBar(&bar);
  Show(grid.get());
  EXPECT_TRUE(bar.shown_);
  EXPECT_EQ(bar.min_, 1);
  EXPECT_EQ(bar.max_, 30 + 5 - 1);
  EXPECT_EQ(bar.page_, 5);
  EXPECT_EQ(bar.position_, 1);
  QTest::keyClick(grid.get(), Qt::Key_PageDown);
  EXPECT_EQ(bar.position_, 6);
  // The thumb moves the record set on release only.
  bar.Drag(20);
  EXPECT_EQ(query.RecNo(), 6);
  bar.Release();
  EXPECT_EQ(query.RecNo(), 20);
  bar.Drag(40);
  bar.Release();
  EXPECT_EQ(query.RecNo(), 30);
  if (bar.OnUpButtonClick) bar.OnUpButtonClick();  // one line down: past the window
  EXPECT_EQ(query.RecNo(), 30);
  bar.OnDownButtonClick();  // one line up: the record above the window
  EXPECT_EQ(query.RecNo(), 25);
  query.Close();
  EXPECT_FALSE(bar.shown_);
}

TEST_F(PaperGridTest, RecordBarHiddenWhenEveryRecordFits) {
  OpenBank(2);
  OpenQuery();
  MakePaperGrid(nullptr, 300);
  FakeBar bar;
  grid->SetVScrollBar(&bar);
  Show(grid.get());
  EXPECT_FALSE(bar.shown_);
  EXPECT_FALSE(bar.enabled_);
}

}  // namespace

#include "tools/skingen/default_skin.h"
#include "tools/skingen/skin_check.h"

namespace {

TEST_F(PaperGridTest, DefaultSkinGivesTheGridItsLook) {
  OpenBank(3);
  QTemporaryDir skinDir;
  QString error;
  ASSERT_TRUE(WriteDefaultSkin(skinDir.path(), &error)) << error.toStdString();
  EXPECT_EQ(CheckSkinFolder(skinDir.path()), QStringList());
  QObject owner;
  auto* skin = new TsfSkinData(&owner);
  skin->LoadSkinFile(skinDir.filePath(QStringLiteral("skin.ini")));
  const auto* rec = skin->ControlRecord<TsfDataSkinGridControl>(QStringLiteral("grid"));
  ASSERT_NE(rec, nullptr);
  MakePaperGrid(skin);
  OpenQuery();
  Show(grid.get());
  ASSERT_TRUE(grid->Skin());
  EXPECT_EQ(grid->DefaultRowHeight(), rec->selectcellrect.Height());
  EXPECT_EQ(grid->ColWidths(0), IndicatorWidth(grid->Skin()));
  // The title row shows the fixed-cell picture, the current row the focus cell.
  const QImage img = grid->grab().toImage();
  const TBitmap* pic = skin->Picture(rec->pictureindex);
  const TRect title = grid->CellRect(1, 0);
  EXPECT_EQ(QColor(img.pixel(title.Left + 1, title.Top + 1)),
            QColor(pic->Image().pixel(rec->fixedcellrect.Left + 1, rec->fixedcellrect.Top + 1)));
}

}  // namespace

namespace {

TEST_F(PaperGridTest, MultipleSelectionDeletesEverySelectedRecordAfterOneQuestion) {
  OpenBank(5);
  OpenQuery();
  MakePaperGrid();
  grid->SetOptions(grid->Options() | dgMultiSelect);
  Show(grid.get());
  QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 2));
  QTest::mouseClick(grid.get(), Qt::LeftButton, Qt::ControlModifier, CellCentre(1, 4));
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
  MessageBoxRecorder box(IDOK);
  QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(box.requests.size(), 1);
  EXPECT_EQ(box.requests[0].Text, QStringLiteral("Delete all selected records?"));
  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select group_concat(title_id) from t_title")),
            QStringLiteral("1,3,5"));
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
}

TEST_F(PaperGridTest, IndicatorShowsTheCurrentRecordAndItsState) {
  OpenBank(3);
  OpenQuery();
  MakePaperGrid();
  Show(grid.get());
  auto indicator = [&](int row) {
    const TRect r = grid->CellRect(0, row);
    return grid->grab().toImage().copy(r.toQRect());
  };
  const QImage current = indicator(1), other = indicator(2);
  EXPECT_NE(current, other);
  // Drawn right-aligned in the default look: the picture's pixels are there.
  const TRect r = grid->CellRect(0, 1);
  const TBitmap arrow = IndicatorPicture(iiCurrent);
  const int x0 = r.Width() - kIndicatorImageWidth - 1, y0 = (r.Height() - kIndicatorImageHeight) / 2;
  for (int y = 0; y < kIndicatorImageHeight; ++y)
    for (int x = 0; x < kIndicatorImageWidth; ++x) {
      if (arrow.Pixel(x, y) == clBlack) {
        EXPECT_EQ(QColor(current.pixel(x0 + x, y0 + y)), QColor(Qt::black));
      }
    }
  query.Edit();
  EXPECT_NE(indicator(1), current);
  query.Cancel();
  EXPECT_EQ(indicator(1), current);
}

TEST_F(PaperGridTest, DefaultColumnsFollowTheFieldsAndTabWalksThem) {
  OpenBank(3);
  OpenQuery();
  grid = std::make_unique<TsfSkinDBGrid>();
  grid->SetDataSource(&source);
  grid->resize(400, 200);
  Show(grid.get());
  ASSERT_EQ(grid->Columns()->Count(), 2);
  EXPECT_EQ(grid->Columns()->Items(0)->Title()->Caption(), QStringLiteral("title_id"));
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("title_id"));
  QTest::keyClick(grid.get(), Qt::Key_Tab);
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("title_name"));
  QTest::keyClick(grid.get(), Qt::Key_Tab);  // past the last column: the next record
  EXPECT_EQ(query.RecNo(), 2);
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("title_id"));
  QTest::keyClick(grid.get(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("title_name"));
  QTest::keyClick(grid.get(), Qt::Key_Home);  // several columns: the first column
  EXPECT_EQ(grid->SelectedField()->FieldName(), QStringLiteral("title_id"));
  EXPECT_EQ(query.RecNo(), 1);
}

}  // namespace

namespace {

TEST_F(PaperGridTest, SkinDataObjectGoingLeavesTheDefaultLook) {
  OpenBank(3);
  OpenQuery();
  auto* owner = new QObject;
  MakePaperGrid(MakeGridSkin(owner, 22));
  Show(grid.get());
  ASSERT_TRUE(grid->Skin());
  delete owner;  // the skin data object with it
  EXPECT_FALSE(grid->Skin());
  EXPECT_FALSE(grid->grab().isNull());
  query.Close();  // lays the grid out again
  EXPECT_EQ(grid->ColWidths(0), 11);
}

}  // namespace

// The data grid's context menu: a right click shows it, and with
// SaveMultiSelection a right press keeps a multiple selection for it.

#include "tests/skin/grids/grid_fixture.h"

namespace {

TEST_F(PaperGridTest, RightPressKeepsAMultipleSelectionOnlyWhenSavingItForAMenu) {
  struct Case { bool save; bool menu; bool kept; };
  const Case cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
  OpenBank(5);
  OpenQuery();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "save " << c.save << ", menu " << c.menu);
    MakePaperGrid();
    TsfSkinPopupMenu menu;
    int popups = 0;
    menu.OnPopup = [&](TObject*) { ++popups; };
    grid->SetOptions(grid->Options() | dgMultiSelect);
    grid->SaveMultiSelection = c.save;
    if (c.menu) grid->SetPopupMenu(&menu);
    Show(grid.get());
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 1));
    QTest::mouseClick(grid.get(), Qt::LeftButton, Qt::ControlModifier, CellCentre(1, 3));
    ASSERT_EQ(grid->SelectedRows()->Count(), 2);
    ASSERT_EQ(Current(), QStringLiteral("Paper 03"));
    cellClicks.clear();

    QTest::mouseClick(grid.get(), Qt::RightButton, {}, CellCentre(1, 2));
    EXPECT_EQ(grid->SelectedRows()->Count(), c.kept ? 2 : 1);
    EXPECT_EQ(Current(), QString::fromLatin1(c.kept ? "Paper 03" : "Paper 02"));
    EXPECT_EQ(popups, c.menu ? 1 : 0);
    EXPECT_TRUE(cellClicks.isEmpty());  // a right click is no cell click
    grid.reset();
  }
}

}  // namespace

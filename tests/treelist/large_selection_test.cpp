// Multiple selection over a hundred thousand rows through real clicks: a
// Shift+click range, its shrinking to a few rows, Ctrl+clicks and emptying
// the list all take time in proportion to the rows, and the handlers hear
// of every change.

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "tests/treelist/plain_drag_fixture.h"
#include "treelist/tree_list.h"

namespace {

using tldrag::AddNumberedRows;
using tldrag::LayOutPlainList;

constexpr int kRows = 100000;

TEST(LargeSelection, RangesOverAHundredThousandRowsGrowAndShrink) {
  TtlTreeList list;
  LayOutPlainList(list);
  AddNumberedRows(list, kRows);
  list.SetMultiSelect(true);
  list.resize(200, 200);  // ten rows show
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  int changes = 0;
  list.OnSelectedCountChange = [&](TObject*) { ++changes; };
  const auto row = [](int shown) { return QPoint(30, shown * 20 + 10); };

  QTest::mouseClick(&list, Qt::LeftButton, {}, row(0));
  ASSERT_EQ(list.SelectedCount(), 1);
  list.SetTopVisibleNode(list.Items(kRows - 10));
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(9));
  EXPECT_EQ(list.SelectedCount(), kRows);
  EXPECT_TRUE(list.IsNodeSelected(list.Items(kRows / 2)));
  EXPECT_EQ(changes, kRows);

  // From the same anchor to a row a few above the end: the rows below it go.
  list.SetTopVisibleNode(list.Items(0));
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(3));
  EXPECT_EQ(list.SelectedCount(), 4);
  EXPECT_TRUE(list.IsNodeSelected(list.Items(3)));
  EXPECT_FALSE(list.IsNodeSelected(list.Items(4)));
  EXPECT_FALSE(list.IsNodeSelected(list.Items(kRows - 1)));
  EXPECT_EQ(changes, kRows + (kRows - 4));

  // Ctrl+click takes one row out and puts it back.
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ControlModifier, row(2));
  EXPECT_FALSE(list.IsNodeSelected(list.Items(2)));
  EXPECT_EQ(list.SelectedCount(), 3);
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ControlModifier, row(2));
  EXPECT_TRUE(list.IsNodeSelected(list.Items(2)));

  // All of it again from the top, then the whole list emptied with its
  // selection.
  QTest::mouseClick(&list, Qt::LeftButton, {}, row(0));
  EXPECT_EQ(list.SelectedCount(), 1);
  list.SetTopVisibleNode(list.Items(kRows - 10));
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(9));
  EXPECT_EQ(list.SelectedCount(), kRows);
  list.ClearNodes();
  EXPECT_EQ(list.SelectedCount(), 0);
  AddNumberedRows(list, 3);
  EXPECT_FALSE(list.IsNodeSelected(list.Items(0)));

  // Switching multiple selection off forgets every selected node.
  list.SetTopVisibleNode(list.Items(0));
  QTest::mouseClick(&list, Qt::LeftButton, {}, row(0));
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(2));
  EXPECT_EQ(list.SelectedCount(), 3);
  list.SetMultiSelect(false);
  list.SetMultiSelect(true);
  EXPECT_EQ(list.SelectedCount(), 0);
  EXPECT_FALSE(list.IsNodeSelected(list.Items(1)));
}

// A handler refusing or making the selection itself, and one that takes
// nodes away while a range is chosen.
TEST(LargeSelection, HandlersDuringARangeChangeTheSelectionOrTheRows) {
  TtlTreeList list;
  LayOutPlainList(list);
  AddNumberedRows(list, 8);
  list.SetMultiSelect(true);
  list.resize(200, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  const auto row = [](int shown) { return QPoint(30, shown * 20 + 10); };
  // Odd rows are refused; row 4, when asked, selects itself in the handler.
  list.OnCanNodeSelected = [&](TObject*, TtlTreeListNode* n, bool& allow) {
    const int i = n->Index();
    allow = i % 2 == 0;
    if (i == 4) list.SelectNode(n, true);
  };
  QTest::mouseClick(&list, Qt::LeftButton, {}, row(0));
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(7));
  EXPECT_EQ(list.SelectedCount(), 4);  // 0, 2, 4 (once), 6
  for (int i = 0; i < 8; ++i) EXPECT_EQ(list.IsNodeSelected(list.Items(i)), i % 2 == 0) << i;
  list.OnCanNodeSelected = nullptr;

  // Each deselection takes the next selected row away with it.
  list.OnSelectedCountChange = [&](TObject*) {
    if (list.SelectedCount() > 1 && list.Count() > 4) list.Items(list.Count() - 1)->Delete();
  };
  QTest::mouseClick(&list, Qt::LeftButton, Qt::ShiftModifier, row(0));
  EXPECT_EQ(list.SelectedCount(), 1);
  EXPECT_TRUE(list.IsNodeSelected(list.Items(0)));
  for (int i = 1; i < list.Count(); ++i) EXPECT_FALSE(list.IsNodeSelected(list.Items(i))) << i;
}

}  // namespace

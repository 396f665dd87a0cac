// The new-item row of the plain tree list: where it lies, how it takes the
// focus from the nodes and gives it back, and what it does with the keys.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "treelist/tree_list.h"

namespace {

TColor At(const QImage& img, int x, int y) { return FromQColor(img.pixelColor(x, y)); }

class NewItemRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = std::make_unique<TtlTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->SetShowLines(false);
    list->SetScrollBars(ssVertical);
    list->Bands()->Add()->SetWidth(200);
    name = list->CreateColumn();
    name->SetWidth(100);
    note = list->CreateColumn();
    note->SetWidth(100);
    for (const char* text : {"alpha", "beta", "gamma"}) {
      auto* n = static_cast<TtlTreeListTextNode*>(list->Add());
      n->SetCellText(0, QString::fromLatin1(text));
    }
    list->resize(200, 200);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->activateWindow();
    list->setFocus();
    list->SetFocusedNode(list->Items(0), name->Index(), false);
    list->SetShowNewItemRow(true);
  }
  void Key(Qt::Key k) { QTest::keyClick(list.get(), k); }
  QPoint NewRowPoint(int x) const {
    const TRect r = list->NewItemRowRect();
    return QPoint(x, (r.Top + r.Bottom) / 2);
  }

  std::unique_ptr<TtlTreeList> list;
  TtlTreeListColumn *name = nullptr, *note = nullptr;
};

TEST_F(NewItemRowTest, LiesUnderTheHeaderAndPushesTheRowsDown) {
  const TRect row = list->NewItemRowRect();
  EXPECT_EQ(row.Top, list->HeaderHeight());
  EXPECT_EQ(row.Height(), list->RowLineHeight() + 1) << "one row and its separator line";
  EXPECT_EQ(list->RowsRect().Top, row.Bottom);
  EXPECT_EQ(list->GetNodeAt(50, row.Bottom + 5), list->Items(0));
  EXPECT_EQ(list->GetNodeAt(50, row.Top + 5), nullptr);
  list->SetShowNewItemRow(false);
  EXPECT_TRUE(list->NewItemRowRect().IsEmpty());
  EXPECT_EQ(list->RowsRect().Top, list->HeaderHeight());
}

TEST_F(NewItemRowTest, TakesTheFocusFromTheNodesAndGivesItBack) {
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, NewRowPoint(150));
  EXPECT_TRUE(list->NewItemRowFocused());
  EXPECT_EQ(list->FocusedColumn(), note->Index());
  EXPECT_EQ(clicks, 1);
  // The focused cell is highlighted there, and the focused node no longer is.
  const QImage img = list->grab().toImage();
  EXPECT_EQ(At(img, 180, NewRowPoint(0).y()), ColorToRGB(clHighlight));
  EXPECT_EQ(At(img, 60, NewRowPoint(0).y()), ColorToRGB(clWindow));
  const TRect first = list->RowRect(list->Items(0));
  EXPECT_EQ(At(img, 190, (first.Top + first.Bottom) / 2), ColorToRGB(clWindow));

  struct Step {
    Qt::Key key;
    bool onNewRow;
    int column;
  };
  const Step steps[] = {
      {Qt::Key_Left, true, 0}, {Qt::Key_Right, true, 1}, {Qt::Key_Up, true, 1},
      {Qt::Key_Home, true, 0}, {Qt::Key_Down, false, 0},  // back to the top row
      {Qt::Key_Up, true, 0},                               // Up from the first row
  };
  for (const Step& s : steps) {
    Key(s.key);
    EXPECT_EQ(list->NewItemRowFocused(), s.onNewRow) << "key " << s.key;
    EXPECT_EQ(list->FocusedColumn(), s.column) << "key " << s.key;
  }
  EXPECT_EQ(list->FocusedNode(), list->Items(0));
  // A click on a node takes the focus back to it.
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(50, list->RowRect(list->Items(2)).Top + 5));
  EXPECT_FALSE(list->NewItemRowFocused());
  EXPECT_EQ(list->FocusedNode(), list->Items(2));
}

TEST_F(NewItemRowTest, ThePlainTreeListHasNothingToInsertAndASearchLeavesTheRow) {
  bool asked = false;
  list->OnEditing = [&](TObject*, TtlTreeListNode*, bool&) { asked = true; };
  list->SetNewItemRowFocused(true);
  Key(Qt::Key_F2);
  EXPECT_FALSE(list->Editing());
  EXPECT_FALSE(asked) << "no node to edit is asked about";
  EXPECT_EQ(list->Count(), 3);
  EXPECT_TRUE(list->NewItemRowFocused());

  list->OptionsBehavior = OptB(etoAutoSearch);
  QTest::keyClick(list.get(), 'g');
  EXPECT_FALSE(list->NewItemRowFocused());
  EXPECT_EQ(list->FocusedNode(), list->Items(2));
}

}  // namespace

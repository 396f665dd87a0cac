// The skinned list box's selection modes, sorting, type-ahead without
// AutoComplete, the window-created hook and the default font, by real
// clicks and keys on the inner list.

#include <gtest/gtest.h>

#include <QTest>

#include "skin/controls/list_box.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {
// The selected items of a multiple-selection list.
std::vector<int> SelectedOf(const TsfListBox* list) {
  std::vector<int> out;
  for (int i = 0; i < list->Count(); ++i)
    if (list->Selected(i)) out.push_back(i);
  return out;
}

QPoint RowPoint(int row) { return QPoint(20, row * 20 + 10); }
}  // namespace

TEST(ListBoxSelect, ExtendedSelectionByClicksAndKeys) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({"a", "b", "c", "d", "e"});
  box.SetMultiSelect(true);
  ASSERT_TRUE(box.ExtandedSelect());
  TsfListBox* list = box.ListBox();
  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(1));
  QTest::mouseClick(list, Qt::LeftButton, Qt::ShiftModifier, RowPoint(3));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list->SelCount(), 3);
  QTest::mouseClick(list, Qt::LeftButton, Qt::ControlModifier, RowPoint(2));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{1, 3}));
  QTest::mouseClick(list, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, RowPoint(4));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{1, 2, 3, 4})) << "Ctrl+Shift adds the run from the anchor";
  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(0));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{0}));
  QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{0, 1, 2}));
  QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(box.ItemIndex(), 3);
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{0, 1, 2})) << "Ctrl+arrow only moves";
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{4}));
}

TEST(ListBoxSelect, SimpleSelectionTogglesByClickAndSpace) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({"a", "b", "c"});
  box.SetMultiSelect(true);
  box.SetExtandedSelect(false);
  TsfListBox* list = box.ListBox();
  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(0));
  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(2));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{0, 2}));
  QTest::mouseClick(list, Qt::LeftButton, {}, RowPoint(0));
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{2}));
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(box.ItemIndex(), 1);
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{2})) << "the arrows only move";
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(SelectedOf(list), (std::vector<int>{1, 2}));
  EXPECT_EQ(box.ItemIndex(), 1) << "the space toggles and searches nothing";
}

TEST(ListBoxSort, SortedKeepsCaseInsensitiveOrderAndTheCurrentItem) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({"pear", "Apple", "fig", "apple", "Banana"});
  box.SetItemIndex(2);  // fig
  box.SetSorted(true);
  EXPECT_EQ(box.Items(), QStringList({"Apple", "apple", "Banana", "fig", "pear"})) << "equal items keep their order";
  EXPECT_EQ(box.ItemIndex(), 3);
  box.AddItem(QStringLiteral("cherry"));
  EXPECT_EQ(box.Items().indexOf("cherry"), 3);
  box.SetSorted(false);
  box.AddItem(QStringLiteral("avocado"));
  EXPECT_EQ(box.Items().last(), QStringLiteral("avocado"));
}

TEST(ListBoxSearch, WithoutAutoCompleteEachKeySearchesItsOwnCharacter) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({"apple", "banana", "blueberry", "lime", "lemon"});
  TsfListBox* list = box.ListBox();
  qint64 now = 0;
  list->Clock = [&] { return now; };
  box.SetAutoComplete(false);
  QTest::keyClick(list, Qt::Key_B);
  EXPECT_EQ(box.ItemIndex(), 1);
  QTest::keyClick(list, Qt::Key_L);
  EXPECT_EQ(box.ItemIndex(), 3) << "\"l\" alone, not \"bl\"";
  QTest::keyClick(list, Qt::Key_L);
  EXPECT_EQ(box.ItemIndex(), 4) << "the same key goes on to the next";
  box.SetAutoComplete(true);
  now += 2000;
  QTest::keyClick(list, Qt::Key_B);
  QTest::keyClick(list, Qt::Key_L);
  EXPECT_EQ(box.ItemIndex(), 2) << "\"bl\"";
}

namespace {
class CountingListBox : public TsfSkinListBox {
 public:
  using TsfSkinListBox::TsfSkinListBox;
  void ListWindowCreated() override { ++created; }
  int created = 0;
};
}  // namespace

TEST(ListBoxHooks, TheWindowCreatedHookRunsOnceWhenTheListFirstShows) {
  CountingListBox box;
  EXPECT_EQ(box.created, 0);
  box.show();
  EXPECT_EQ(box.created, 1);
  box.hide();
  box.show();
  EXPECT_EQ(box.created, 1);
}

TEST(ListBoxFont, WithoutARecordTheFontFollowsTheDefaultFont) {
  TsfSkinListBox plain;
  plain.DefaultFont()->SetHeight(22);
  EXPECT_EQ(plain.Font()->Height(), 22);

  TinySkin skin;
  auto& r = skin.Add<TsfDataSkinListBox>("listbox");
  r.pictureindex = skin.AddPicture(Distinct(40, 40));
  r.skinrect = TRect(0, 0, 40, 40);
  TsfSkinListBox skinned;
  skinned.SetSkinData(skin.data);
  const int before = skinned.Font()->Height();
  skinned.DefaultFont()->SetHeight(30);
  EXPECT_EQ(skinned.Font()->Height(), before) << "the record's font is used instead";
}

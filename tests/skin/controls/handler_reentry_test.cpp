// Handlers that tear down what raised them (the control, its parent or its
// items) in the middle of real input, extreme values set from code, and a
// skin destroyed under controls that still paint.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <limits>

#include "platform/form.h"
#include "skin/controls/list_box.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_panel.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

namespace {

struct Window : ActiveForm {
  Window() : ActiveForm(400, 300) {}
};

TsfSkinRadioGroup* MakeGroup(QWidget* parent, int columns = 2) {
  auto* group = new TsfSkinRadioGroup(parent);
  group->SetBounds(0, 0, 300, 80);
  group->SetColumns(columns);
  group->SetItems({"A", "B", "C", "D"});
  group->show();
  return group;
}

}  // namespace

TEST(HandlerReentry, RadioGroupClickThatReplacesOrDropsItsItems) {
  for (const QStringList& items : {QStringList{}, QStringList{"X"}, QStringList{"P", "Q", "R", "S", "T"}}) {
    Window w;
    TsfSkinRadioGroup* group = MakeGroup(&w.form);
    int clicks = 0;
    group->OnClick = [&](TObject*) {
      ++clicks;
      group->SetItems(items);
    };
    QTest::mouseClick(group->Button(1), Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(group->ButtonCount(), items.size());
    EXPECT_LT(group->ItemIndex(), int(items.size()));
    Shot(group);
  }
}

TEST(HandlerReentry, RadioGroupClickThatDeletesTheGroup) {
  Window w;
  QPointer<TsfSkinRadioGroup> group = MakeGroup(&w.form);
  group->OnClick = [&](TObject*) { delete group.data(); };
  QTest::mouseClick(group->Button(2), Qt::LeftButton, {}, QPoint(8, 10));
  EXPECT_TRUE(group.isNull());
  Shot(&w.form);
}

TEST(HandlerReentry, ButtonClickThatDeletesItsParentPanel) {
  Window w;
  QPointer<TsfSkinPanel> panel = new TsfSkinPanel(&w.form);
  panel->SetBounds(0, 0, 200, 100);
  auto* button = new TsfSkinButton(panel);
  button->SetBounds(10, 10, 80, 25);
  panel->show();
  int clicks = 0;
  button->OnClick = [&](TObject*) {
    ++clicks;
    delete panel.data();
  };
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(panel.isNull());
}

TEST(HandlerReentry, ScrollBarChangeThatDeletesTheBar) {
  for (QPoint at : {QPoint(190, 9), QPoint(30, 9), QPoint(5, 9)}) {  // arrow, page, arrow
    Window w;
    QPointer<TsfSkinScrollBar> bar = new TsfSkinScrollBar(&w.form);
    bar->SetKind(sbHorizontal);
    bar->SetBounds(0, 0, 200, 19);
    bar->SetRangeAndPosition(0, 100, 10, 50);
    bar->show();
    int changes = 0;
    bar->OnChange = [&](TObject*) {
      ++changes;
      delete bar.data();
    };
    QTest::mousePress(bar, Qt::LeftButton, {}, at);  // the change comes on the press
    EXPECT_EQ(changes, 1) << at.x();
    EXPECT_TRUE(bar.isNull());
  }
}

TEST(HandlerReentry, RadioGroupExtremeColumnsIndexAndSize) {
  constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
  for (int columns : {0, 1, 1000, kMin, kMax}) {
    for (QSize size : {QSize(300, 80), QSize(0, 0), QSize(1, 1)}) {
      Window w;
      TsfSkinRadioGroup* group = MakeGroup(&w.form, columns);
      group->SetBounds(0, 0, size.width(), size.height());
      group->SetItemIndex(kMax);
      EXPECT_EQ(group->ItemIndex(), 3);
      group->SetItemIndex(kMin);
      EXPECT_EQ(group->ItemIndex(), -1);
      Shot(&w.form);
    }
  }
}

TEST(HandlerReentry, SkinDestroyedUnderPaintingControls) {
  Window w;
  auto skin = std::make_unique<TinySkin>();
  auto* button = new TsfSkinButton(&w.form);
  button->SetBounds(0, 0, 80, 25);
  auto* group = MakeGroup(&w.form);
  group->SetBounds(0, 30, 300, 80);
  auto* bar = new TsfSkinScrollBar(&w.form);
  bar->SetBounds(0, 120, 200, 19);
  auto* list = new TsfSkinListBox(&w.form);
  list->SetBounds(0, 150, 200, 100);
  for (TsfSkinCustomControl* c : std::initializer_list<TsfSkinCustomControl*>{button, group, bar, list})
    c->SetSkinData(skin->data);
  Shot(&w.form);
  skin.reset();
  Shot(&w.form);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(190, 9));
  Shot(&w.form);
}

TEST(HandlerReentry, ListBoxHandlersThatClearOrDeleteTheList) {
  const QStringList items{"one", "two", "three", "four", "five"};
  {
    Window w;
    auto* list = new TsfSkinListBox(&w.form);
    list->SetBounds(0, 0, 200, 100);
    list->SetItems(items);
    list->show();
    list->OnListBoxMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { list->Clear(); };
    list->OnListBoxKeyDown = [&](TObject*, WORD&, TShiftState) { list->Clear(); };
    QTest::mouseClick(list->ListBox(), Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(list->ListBox()->ItemIndex(), -1);
    list->SetItems(items);
    QTest::keyClick(list->ListBox(), Qt::Key_End);
    EXPECT_EQ(list->ListBox()->ItemIndex(), -1);
    Shot(list);
  }
  {
    Window w;
    QPointer<TsfSkinListBox> list = new TsfSkinListBox(&w.form);
    list->SetBounds(0, 0, 200, 100);
    list->SetItems(items);
    list->show();
    list->OnListBoxClick = [&](TObject*) { delete list.data(); };
    QTest::mouseClick(list->ListBox(), Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_TRUE(list.isNull());
  }
}

// Check boxes, radio buttons and the radio group: the grayed cycle, space,
// accelerators, groups, the group's layout and ItemIndex, and the marks.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/form.h"
#include "skin/controls/skin_check_radio.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {

struct BoxWindow {
  BoxWindow() {
    form.SetClientSize(400, 300);
    form.show();
    form.activateWindow();
    QApplication::setActiveWindow(&form);
  }
  TForm form;
};

}  // namespace

TEST(SkinCheckBox, AllowGrayedCyclesThroughThreeStates) {
  BoxWindow w;
  TsfSkinCheckRadioBox box(&w.form);
  box.SetBounds(10, 10, 150, 25);
  box.show();
  box.SetAllowGrayed(true);
  int clicks = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  const TCheckBoxState expected[] = {cbGrayed, cbChecked, cbUnchecked};
  for (TCheckBoxState s : expected) {
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, 12));
    EXPECT_EQ(box.State(), s);
  }
  EXPECT_EQ(clicks, 3);
  EXPECT_TRUE(box.hasFocus());

  // Space toggles without the grayed step.
  QTest::keyClick(&box, Qt::Key_Space);
  EXPECT_EQ(box.State(), cbChecked);
  QTest::keyClick(&box, Qt::Key_Space);
  EXPECT_EQ(box.State(), cbUnchecked);
  EXPECT_EQ(clicks, 5);

  // Released outside: nothing.
  QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(8, 12));
  QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(300, 100));
  EXPECT_EQ(box.State(), cbUnchecked);
}

TEST(SkinCheckBox, HeldSpaceTogglesOnceWhenLetGo) {
  BoxWindow w;
  TsfSkinCheckRadioBox box(&w.form);
  box.SetBounds(10, 10, 150, 25);
  box.show();
  box.SetFocus();
  int clicks = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  HoldKey(&box, Qt::Key_Space, " ", 4);
  EXPECT_FALSE(box.Checked());
  QTest::keyRelease(&box, Qt::Key_Space);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
}

TEST(SkinCheckBox, AcceleratorFocusesAndToggles) {
  BoxWindow w;
  TsfSkinCheckRadioBox box(&w.form);
  box.SetCaption("&Next");
  box.SetBounds(10, 10, 150, 25);
  box.show();
  TCustomControl other(&w.form);
  other.SetTabStop(true);
  other.SetBounds(10, 60, 50, 50);
  other.show();
  other.SetFocus();
  QTest::keyClick(&other, Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(w.form.focusWidget(), &box);
}

TEST(SkinRadioButton, CheckedRadioRaisesNothingAndGroupsExclude) {
  BoxWindow w;
  TsfSkinCheckRadioBox a(&w.form), b(&w.form);
  for (auto* r : {&a, &b}) {
    r->SetRadio(true);
    r->GroupIndex = 1;
    r->show();
  }
  a.SetBounds(10, 10, 100, 25);
  b.SetBounds(10, 40, 100, 25);
  int clicksA = 0, clicksB = 0;
  a.OnClick = [&](TObject*) { ++clicksA; };
  b.OnClick = [&](TObject*) { ++clicksB; };
  QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(8, 12));
  QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(8, 12));
  EXPECT_TRUE(a.Checked());
  EXPECT_EQ(clicksA, 1);
  QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(8, 12));
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(a.Checked());
  EXPECT_EQ(clicksA, 1);
  EXPECT_EQ(clicksB, 1);
}

TEST(SkinRadioGroup, FourColumnsOneRow) {
  TsfSkinRadioGroup group;
  group.SetBounds(0, 0, 410, 55);
  group.SetColumns(4);
  group.SetItems({"A", "B", "C", "D"});
  ASSERT_EQ(group.ButtonCount(), 4);
  // Default look with caption mode: client (1, 23, 409, 54).
  const int bw = 408 / 4 - 2;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    TsfGroupButton* b = group.Button(i);
    EXPECT_EQ(b->Width(), bw);
    EXPECT_EQ(b->Height(), 54 - 23);
    EXPECT_EQ(b->Left(), i * bw + 1 + 1);
    EXPECT_EQ(b->Top(), 23);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(b->Caption(), QString(QChar('A' + i)));
  }
  group.SetColumns(0);
  EXPECT_EQ(group.Columns(), 1);
  group.SetColumns(40);
  EXPECT_EQ(group.Columns(), 16);
  group.SetColumns(2);  // two rows: the items run down the first column first
  EXPECT_EQ(group.Button(1)->Left(), group.Button(0)->Left());
  EXPECT_GT(group.Button(2)->Left(), group.Button(0)->Left());
}

TEST(SkinRadioGroup, ItemIndexClampsAndClicksOncePerChange) {
  BoxWindow w;
  TsfSkinRadioGroup group(&w.form);
  group.SetBounds(0, 0, 300, 60);
  group.SetColumns(4);
  group.SetItems({"A", "B", "C", "D"});
  group.show();
  int clicks = 0;
  group.OnClick = [&](TObject*) { ++clicks; };

  group.SetItemIndex(7);
  EXPECT_EQ(group.ItemIndex(), 3);
  EXPECT_TRUE(group.Button(3)->Checked());
  EXPECT_EQ(clicks, 1);
  group.SetItemIndex(3);
  EXPECT_EQ(clicks, 1);

  group.SetItemIndex(-5);
  EXPECT_EQ(group.ItemIndex(), -1);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(group.Button(i)->Checked());
  EXPECT_EQ(clicks, 1);

  // The user picks an item: one click, the index follows.
  QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, QPoint(8, 10));
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  QTest::mouseClick(group.Button(1), Qt::LeftButton, {}, QPoint(8, 10));
  EXPECT_EQ(clicks, 2);

  // Fewer items: the index is clamped and the buttons rebuilt without a click.
  group.SetItems({"X"});
  EXPECT_EQ(group.ButtonCount(), 1);
  EXPECT_EQ(group.ItemIndex(), 0);
  EXPECT_TRUE(group.Button(0)->Checked());
  EXPECT_EQ(clicks, 2);
}

TEST(SkinRadioGroup, ArrowKeysMoveTheCheckAlongTheItems) {
  BoxWindow w;
  TsfSkinRadioGroup group(&w.form);
  group.SetBounds(10, 10, 300, 60);
  group.SetColumns(4);
  group.SetItems({"A", "B", "C", "D"});
  group.show();
  group.SetItemIndex(0);
  int clicks = 0;
  group.OnClick = [&](TObject*) { ++clicks; };
  group.Button(0)->SetFocus();
  struct Step { Qt::Key key; int index; };
  const Step steps[] = {{Qt::Key_Right, 1}, {Qt::Key_Down, 2}, {Qt::Key_Left, 1},
                        {Qt::Key_Up, 0}, {Qt::Key_Up, 3}, {Qt::Key_Right, 0}};
  for (const Step& s : steps) {
    QTest::keyClick(w.form.focusWidget(), s.key);
    EXPECT_EQ(group.ItemIndex(), s.index);
    EXPECT_EQ(w.form.focusWidget(), group.Button(s.index));
  }
  EXPECT_EQ(clicks, 6);
}

TEST(SkinCheckBox, ArrowKeysMoveTheFocusWithoutToggling) {
  BoxWindow w;
  TsfSkinCheckRadioBox first(&w.form), second(&w.form);
  first.SetBounds(10, 10, 150, 25);
  second.SetBounds(10, 40, 150, 25);
  first.show();
  second.show();
  first.SetFocus();
  QTest::keyClick(&first, Qt::Key_Down);
  EXPECT_EQ(w.form.focusWidget(), &second);
  EXPECT_FALSE(first.Checked());
  EXPECT_FALSE(second.Checked());
}

TEST(SkinRadioGroup, SettingsReachEveryButton) {
  TinySkin skin;
  TsfSkinRadioGroup group;
  group.SetItems({"A", "B"});
  group.SetSkinData(skin.data);
  group.SetButtonSkinDataName("option");
  group.ButtonDefaultFont()->SetHeight(20);
  group.SetEnabled(false);
  for (int i = 0; i < 2; ++i) {
    TsfGroupButton* b = group.Button(i);
    EXPECT_EQ(b->SkinData(), skin.data.data());
    EXPECT_EQ(b->SkinDataName(), "option");
    EXPECT_EQ(b->DefaultFont()->Height(), 20);
    EXPECT_FALSE(b->Enabled());
    EXPECT_TRUE(b->Radio());
    EXPECT_TRUE(b->Flat());
  }
  group.SetItems({"A", "B", "C"});
  EXPECT_EQ(group.Button(2)->SkinDataName(), "option");
  EXPECT_FALSE(group.Button(2)->Enabled());
}

namespace {
// Marks of a tiny check record: 8 x 8 solid squares on a magenta key,
// checked red, unchecked green, active checked blue.
TsfDataSkinCheckRadioControl& AddChecks(TinySkin& skin, bool withGrayed) {
  QImage img(40, 8, QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(100, 100, 100)};
  for (int i = 0; i < 4; ++i)
    for (int y = 1; y < 7; ++y)
      for (int x = 1; x < 7; ++x) img.setPixel(i * 8 + x, y, colours[i]);
  auto& r = skin.Add<TsfDataSkinCheckRadioControl>("checkbox");
  r.pictureindex = skin.AddPicture(TBitmap(img));
  r.skinrect = TRect(32, 0, 40, 8);
  r.checkimagerect = TRect(0, 0, 8, 8);
  r.uncheckimagerect = TRect(8, 0, 16, 8);
  r.activecheckimagerect = TRect(16, 0, 24, 8);
  if (withGrayed) r.grayedcheckimagerect = TRect(24, 0, 32, 8);
  return r;
}
}  // namespace

TEST(SkinCheckBox, FlatMarksDrawnKeyedOverTheParent) {
  BoxWindow w;
  TinySkin skin;
  AddChecks(skin, false);
  TCustomControl parent(&w.form);
  parent.SetColor(RGB(1, 2, 3));
  parent.SetBounds(0, 0, 200, 50);
  parent.show();
  TsfSkinCheckRadioBox box(&parent);
  box.SetBounds(10, 10, 150, 24);
  box.show();
  box.SetSkinData(skin.data);
  EXPECT_EQ(box.Width(), 150);  // a flat box keeps its size
  // The mark sits at x = 3, centred: (24 - 8) / 2 = 8.
  QImage shot = Shot(&box);
  EXPECT_EQ(At(shot, 6, 11), qRgb(0, 200, 0));    // unchecked
  EXPECT_EQ(At(shot, 3, 8), qRgb(1, 2, 3));       // the key colour shows the parent
  box.SetChecked(true);
  EXPECT_EQ(At(Shot(&box), 6, 11), qRgb(200, 0, 0));
  HoverOver(&box, QPoint(5, 5));
  EXPECT_EQ(At(Shot(&box), 6, 11), qRgb(0, 0, 200));  // hot
  box.Perform(CM_MOUSELEAVE);
  // Grayed without a grayed picture: the checked one halfway to white.
  box.SetAllowGrayed(true);
  box.SetState(cbGrayed);
  EXPECT_EQ(At(Shot(&box), 6, 11), qRgb(228, 128, 128));
}

TEST(SkinCheckBox, DefaultFlatLook) {
  BoxWindow w;
  TsfSkinCheckRadioBox box(&w.form);
  box.SetBounds(10, 10, 150, 24);
  box.show();
  QImage shot = Shot(&box);
  EXPECT_EQ(At(shot, 3, 5), Rgb(clBtnShadow));  // the 14 x 14 box at (3, 5)
  EXPECT_EQ(At(shot, 16, 18), Rgb(clBtnShadow));
  box.SetRadio(true);
  box.SetChecked(true);
  EXPECT_EQ(At(Shot(&box), 8, 10), qRgb(0, 0, 0));  // the dot at (7, 9)
}

// Check boxes, radio buttons and the radio group: the grayed cycle, space,
// accelerators, groups, the group's layout and ItemIndex, and the marks.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

#include "platform/form.h"
#include "skin/controls/skin_check_radio.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

namespace {

struct BoxWindow : ActiveForm {
  BoxWindow() : ActiveForm(400, 300) {}
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

  // The keys reach the group's own key events after the button's, before
  // the focus moves: the group can take an arrow for itself.
  QString typed;
  group.OnKeyPress = [&](TObject*, QChar& c) { typed += c; };
  group.OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
    if (key == VK_RIGHT) key = 0;
  };
  QTest::keyClicks(w.form.focusWidget(), "ab");
  EXPECT_EQ(typed, "ab");
  QTest::keyClick(w.form.focusWidget(), Qt::Key_Right);
  EXPECT_EQ(group.ItemIndex(), 0);
  EXPECT_EQ(w.form.focusWidget(), group.Button(0));
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
// Four 8 x 8 marks (checked red, unchecked green, active checked blue,
// grayed grey) with a one-pixel magenta (key colour) border, and a magenta
// 8 x 8 piece after them.
QImage AddChecksMarks() {
  QImage img(40, 8, QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(100, 100, 100)};
  for (int i = 0; i < 4; ++i)
    for (int y = 1; y < 7; ++y)
      for (int x = 1; x < 7; ++x) img.setPixel(i * 8 + x, y, colours[i]);
  return img;
}

TsfDataSkinCheckRadioControl& AddChecks(TinySkin& skin, bool withGrayed) {
  auto& r = skin.Add<TsfDataSkinCheckRadioControl>("checkbox");
  r.pictureindex = skin.AddPicture(TBitmap(AddChecksMarks()));
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

namespace {
const QRgb kFace = qRgb(10, 20, 30), kActiveFace = qRgb(40, 50, 60);
const TColor kInk = RGB(250, 250, 0), kActiveInk = RGB(0, 250, 250), kDisabledInk = RGB(250, 0, 250);

// A non-flat record: the marks of AddChecks, a normal face (y 10..30) and an
// active face (y 30..50) 60 pixels wide, three parts side by side (ends of
// 4 pixels), the mark area at the left and the text area after it.
TsfDataSkinCheckRadioControl& AddFacedChecks(TinySkin& skin) {
  TsfDataSkinCheckRadioControl& r = AddChecks(skin, false);
  QImage img(100, 50, QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  QPainter p(&img);
  p.drawImage(0, 0, AddChecksMarks());
  p.fillRect(QRect(40, 10, 60, 20), kFace);
  p.fillRect(QRect(40, 30, 60, 20), kActiveFace);
  p.end();
  *skin.data->PictureList.back() = TBitmap(img);
  r.skinrect = TRect(40, 10, 100, 30);
  r.activeskinrect = TRect(40, 30, 100, 50);
  r.lefttoppoint = TPoint(4, 0);
  r.righttoppoint = TPoint(56, 0);
  r.checkimagearea = TRect(2, 2, 18, 18);
  r.textarea = TRect(20, 0, 58, 20);
  r.fontheight = 16;
  r.fontcolor = kInk;
  r.activefontcolor = kActiveInk;
  r.unenabledfontcolor = kDisabledInk;
  return r;
}

// Pixels of exactly `colour` inside and outside `area`.
std::pair<int, int> InkInside(const QImage& shot, QRgb colour, const QRect& area) {
  int in = 0, out = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (At(shot, x, y) == (colour | 0xFF000000u)) (area.contains(x, y) ? in : out)++;
  return {in, out};
}
}  // namespace

TEST(SkinCheckBox, NonFlatLooksFromTheRecord) {
  BoxWindow w;
  TinySkin skin;
  AddFacedChecks(skin);
  TsfSkinCheckRadioBox box(&w.form);
  box.SetFlat(false);
  box.SetCaption("Wide");
  box.SetBounds(10, 10, 120, 40);
  box.show();
  box.SetSkinData(skin.data);
  EXPECT_EQ(box.Height(), 20);  // three parts side by side keep the skin's height
  EXPECT_EQ(box.Width(), 120);

  // The mark (8 x 8) centred in the mark area (2, 2, 18, 18): at (6, 6); its
  // key-coloured border shows the face. The text area grows with the width.
  const QRect textArea(20, 0, 98, 20);
  struct Look { const char* name; QRgb face, mark; TColor ink; };
  auto expect = [&](const Look& k) {
    SCOPED_TRACE(k.name);
    const QImage shot = Shot(&box);
    EXPECT_EQ(At(shot, 1, 1), k.face | 0xFF000000u);
    EXPECT_EQ(At(shot, 118, 18), k.face | 0xFF000000u);
    EXPECT_EQ(At(shot, 6, 6), k.face | 0xFF000000u);
    EXPECT_EQ(At(shot, 9, 9), k.mark | 0xFF000000u);
    const auto [in, out] = InkInside(shot, Rgb(k.ink), textArea);
    EXPECT_GT(in, 0);
    EXPECT_EQ(out, 0);
  };
  expect({"normal, unchecked", kFace, qRgb(0, 200, 0), kInk});
  box.SetChecked(true);
  expect({"normal, checked", kFace, qRgb(200, 0, 0), kInk});
  HoverOver(&box, QPoint(30, 10));
  expect({"hot, checked", kActiveFace, qRgb(0, 0, 200), kActiveInk});
  box.Perform(CM_MOUSELEAVE);
  box.SetFocus();
  // Focused: the active face and colour; the mark follows the mouse only.
  expect({"focused, checked", kActiveFace, qRgb(200, 0, 0), kActiveInk});
  w.form.SetFocus();
  box.clearFocus();
  box.SetAllowGrayed(true);
  box.SetState(cbGrayed);
  expect({"grayed: the checked mark brightened", kFace, qRgb(228, 128, 128), kInk});
  box.SetState(cbChecked);
  box.SetEnabled(false);
  expect({"disabled: the checked mark, the disabled colour", kFace, qRgb(200, 0, 0), kDisabledInk});
}

TEST(SkinCheckBox, WordWrapBreaksTheCaptionAndCentresTheBlock) {
  BoxWindow w;
  TCustomControl parent(&w.form);
  parent.SetColor(RGB(255, 255, 255));
  parent.SetBounds(0, 0, 200, 120);
  parent.show();
  TsfSkinCheckRadioBox box(&parent);
  box.SetCaption("one two three four five six");
  box.DefaultFont()->SetColor(clBlack);
  box.SetBounds(0, 0, 90, 100);
  box.show();
  // Rows and columns right of the mark that hold caption ink.
  auto inkRows = [&](int* firstRow, int* lastRow, int* lastColumn) {
    const QImage shot = Shot(&box);
    *firstRow = -1;
    *lastRow = -1;
    *lastColumn = -1;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 22; x < shot.width(); ++x)
        if (At(shot, x, y) != qRgb(255, 255, 255) && At(shot, x, y) != Rgb(clBtnFace)) {
          if (*firstRow < 0) *firstRow = y;
          *lastRow = y;
          *lastColumn = std::max(*lastColumn, x);
        }
  };
  int top, bottom, right;
  inkRows(&top, &bottom, &right);
  const int line = QFontMetrics(box.DefaultFont()->ToQFont()).height();
  ASSERT_GE(top, 0);
  EXPECT_LT(bottom - top, line);  // one line, cut at the right edge
  box.SetWordWrap(true);
  inkRows(&top, &bottom, &right);
  ASSERT_GE(top, 0);
  EXPECT_GT(bottom - top, 2 * line);  // at least three lines
  EXPECT_LE(right, 90 - 2);
  EXPECT_NEAR(top, 100 - 1 - bottom, line);  // the block centred vertically
}

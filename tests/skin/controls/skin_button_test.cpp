// Skinned button: click rules with real input, repeat by counted timer
// ticks, groups, dialog keys, and the looks of each state.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/form.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_panel.h"
#include "skin/render/layer_window.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

namespace {

struct ButtonWindow : ActiveForm {
  TsfSkinButton* Add(const QString& caption, int x = 10, int y = 10) {
    auto* b = new TsfSkinButton(&form);
    b->SetCaption(caption);
    b->SetBounds(x, y, 75, 25);
    b->show();
    b->OnClick = [this, b](TObject*) { clicks << b; };
    return b;
  }
  int ClicksOf(TsfSkinButton* b) const { return int(clicks.count(b)); }
  QList<TsfSkinButton*> clicks;
};

// Fires a timer's tick as the event loop would.
void Tick(TTimer* t) {
  ASSERT_NE(t, nullptr);
  t->OnTimer(t);
}

}  // namespace

TEST(SkinButton, ClickComesOnReleaseInside) {
  ButtonWindow w;
  TsfSkinButton* b = w.Add("OK");
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(w.ClicksOf(b), 1);

  // Press, move out, release outside: no click.
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(b, QPoint(200, 100));
  EXPECT_FALSE(b->MouseInside());
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(200, 100));
  EXPECT_EQ(w.ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());

  // A quick double click clicks twice: the second press counts as a press.
  // Sent to the window as the system would: press, release, press, release;
  // Qt makes the second press a double click.
  QTest::mouseDClick(w.form.windowHandle(), Qt::LeftButton, {}, b->mapTo(&w.form, QPoint(10, 10)));
  EXPECT_EQ(w.ClicksOf(b), 3);
}

TEST(SkinButton, PressOnUnfocusedButtonTakesTheFocusFirst) {
  ButtonWindow w;
  TsfSkinButton* a = w.Add("A", 10, 10);
  TsfSkinButton* b = w.Add("B", 100, 10);
  a->SetFocus();
  ASSERT_EQ(w.form.focusWidget(), a);
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(w.form.focusWidget(), b);
  EXPECT_EQ(w.ClicksOf(b), 1);
}

TEST(SkinButton, SpaceClicksOnReleaseEnterAtOnce) {
  ButtonWindow w;
  TsfSkinButton* b = w.Add("OK");
  b->SetFocus();
  QTest::keyPress(b, Qt::Key_Space);
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(w.ClicksOf(b), 0);
  QTest::keyRelease(b, Qt::Key_Space);
  EXPECT_EQ(w.ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());
  QTest::keyClick(b, Qt::Key_Return);
  EXPECT_EQ(w.ClicksOf(b), 2);
}

TEST(SkinButton, HeldSpaceClicksOnceWhenLetGo) {
  ButtonWindow w;
  TsfSkinButton* b = w.Add("OK");
  b->SetFocus();
  HoldKey(b, Qt::Key_Space, " ", 5);
  EXPECT_EQ(w.ClicksOf(b), 0);
  EXPECT_TRUE(b->Down());
  QTest::keyRelease(b, Qt::Key_Space);
  EXPECT_EQ(w.ClicksOf(b), 1);
  EXPECT_FALSE(b->Down());

  // In repeat mode every repeated key down clicks, as the held mouse does.
  b->RepeatMode = true;
  HoldKey(b, Qt::Key_Space, " ", 3);
  EXPECT_EQ(w.ClicksOf(b), 1 + 4);
  QTest::keyRelease(b, Qt::Key_Space);
  EXPECT_EQ(w.ClicksOf(b), 1 + 4 + 1);
}

TEST(SkinButton, ArrowKeysMoveTheFocusAmongTheParentsControls) {
  ButtonWindow w;
  TsfSkinButton* a = w.Add("A", 10, 10);
  TsfSkinButton* b = w.Add("B", 100, 10);
  TsfSkinButton* off = w.Add("off", 190, 10);
  TsfSkinButton* c = w.Add("C", 10, 50);
  TsfSkinButton* hidden = w.Add("hidden", 100, 50);
  TsfSkinButton* grouped = w.Add("grouped", 190, 50);
  off->SetEnabled(false);
  hidden->SetVisible(false);
  grouped->SetGroupIndex(1);  // takes no focus
  a->SetFocus();
  struct Step { Qt::Key key; TsfSkinButton* to; };
  const Step steps[] = {{Qt::Key_Right, b}, {Qt::Key_Down, c}, {Qt::Key_Right, a},
                        {Qt::Key_Left, c}, {Qt::Key_Up, b}, {Qt::Key_Up, a}};
  for (const Step& s : steps) {
    QTest::keyClick(w.form.focusWidget(), s.key);
    EXPECT_EQ(w.form.focusWidget(), s.to) << s.to->Caption().toStdString();
  }
  EXPECT_TRUE(w.clicks.isEmpty());

  // With a modifier, or when OnKeyDown takes the key, the focus stays.
  QTest::keyClick(a, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(w.form.focusWidget(), a);
  a->OnKeyDown = [](TObject*, WORD& key, TShiftState) { key = 0; };
  QTest::keyClick(a, Qt::Key_Right);
  EXPECT_EQ(w.form.focusWidget(), a);
}

TEST(SkinButton, RepeatClicksAfterTheFirstDelayThenEachInterval) {
  ButtonWindow w;
  TsfSkinButton* b = w.Add("+");
  b->RepeatMode = true;
  b->RepeatInterval = 100;
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
  ASSERT_NE(b->RepeatTimer(), nullptr);
  EXPECT_EQ(b->RepeatTimer()->Interval(), 500);
  Tick(b->RepeatTimer());  // 500 ms: only switches the interval
  EXPECT_EQ(w.ClicksOf(b), 0);
  EXPECT_EQ(b->RepeatTimer()->Interval(), 100);
  Tick(b->RepeatTimer());  // 600 ms
  Tick(b->RepeatTimer());  // 700 ms
  EXPECT_EQ(w.ClicksOf(b), 2);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(w.ClicksOf(b), 3);  // the release inside clicks once more
  EXPECT_EQ(b->RepeatTimer(), nullptr);
}

TEST(SkinButton, GroupsAndAllowAllUp) {
  ButtonWindow w;
  TsfSkinButton* a = w.Add("A", 10, 10);
  TsfSkinButton* b = w.Add("B", 100, 10);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  EXPECT_FALSE(a->CanFocused());

  QTest::mousePress(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(w.ClicksOf(a), 1);  // at once, on the press
  QTest::mouseRelease(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(w.ClicksOf(a), 1);

  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));  // AllowAllUp off
  EXPECT_TRUE(a->Down());
  EXPECT_EQ(w.ClicksOf(a), 1);

  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());

  b->AllowAllUp = true;
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(b->Down());
  EXPECT_EQ(w.ClicksOf(b), 2);
}

TEST(SkinButton, DialogKeysAcceleratorAndModalResult) {
  ButtonWindow w;
  TsfSkinButton* ok = w.Add("OK", 10, 10);
  TsfSkinButton* cancel = w.Add("Cancel", 100, 10);
  TsfSkinButton* save = w.Add("&Save", 190, 10);
  TCustomControl other(&w.form);
  other.SetTabStop(true);
  other.SetBounds(10, 60, 50, 50);
  other.show();
  ok->SetDefault(true);
  cancel->Cancel = true;
  cancel->ModalResult = mrCancel;

  other.SetFocus();
  EXPECT_TRUE(ok->IsActive());
  QTest::keyClick(&other, Qt::Key_Return);
  EXPECT_EQ(w.ClicksOf(ok), 1);
  QTest::keyClick(&other, Qt::Key_Escape);
  EXPECT_EQ(w.ClicksOf(cancel), 1);
  EXPECT_EQ(w.form.ModalResult(), mrCancel);

  // Another button with the focus takes Enter: the default one does not.
  save->SetFocus();
  EXPECT_FALSE(ok->IsActive());
  QTest::keyClick(save, Qt::Key_Return);
  EXPECT_EQ(w.ClicksOf(save), 1);
  EXPECT_EQ(w.ClicksOf(ok), 1);

  other.SetFocus();
  QTest::keyClick(&other, Qt::Key_S, Qt::AltModifier);
  EXPECT_EQ(w.ClicksOf(save), 2);
  EXPECT_EQ(w.form.focusWidget(), save);
}

// A plain character reaches the window's accelerators only from a control
// that takes no text: a button or a check box, not a control of its own.
TEST(SkinButton, PlainKeysAreAcceleratorsOnlyOnControlsThatTakeNoText) {
  ButtonWindow w;
  TsfSkinButton* save = w.Add("&Save", 10, 10);
  TsfSkinButton* ok = w.Add("OK", 100, 10);
  auto* box = new TsfSkinCheckRadioBox(&w.form);
  box->SetBounds(10, 50, 120, 25);
  box->show();
  auto* other = new TCustomControl(&w.form);
  other->SetTabStop(true);
  other->SetBounds(10, 90, 50, 50);
  other->show();
  const struct {
    const char* what;
    QWidget* focused;
    int clicks;
  } cases[] = {{"a button", ok, 1}, {"a check box", box, 1}, {"a control of its own", other, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w.clicks.clear();
    c.focused->setFocus();
    ASSERT_TRUE(c.focused->hasFocus());
    QTest::keyClick(c.focused, Qt::Key_S);
    EXPECT_EQ(w.ClicksOf(save), c.clicks);
    EXPECT_EQ(w.ClicksOf(ok), 0);
    EXPECT_FALSE(box->Checked());
  }
}

TEST(SkinButton, DefaultLookFollowsTheState) {
  ButtonWindow w;
  TsfSkinButton* b = w.Add("");
  b->SetCanFocused(false);
  QImage shot = Shot(b);
  EXPECT_EQ(At(shot, 0, 0), Rgb(clBtnShadow));
  EXPECT_EQ(At(shot, 10, 10), Rgb(clBtnFace));

  HoverOver(b, QPoint(10, 10));
  ASSERT_TRUE(b->MouseInside());
  shot = Shot(b);
  EXPECT_EQ(At(shot, 0, 0), Rgb(clNavy));
  EXPECT_EQ(At(shot, 10, 10), qRgb(182, 189, 210));

  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(At(Shot(b), 10, 10), qRgb(133, 147, 181));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
}

namespace {
// Five 20 x 10 states stacked: normal, active, down, focused, disabled; each
// a solid colour so a pixel names the state drawn.
const QRgb kStates[5] = {qRgb(10, 0, 0), qRgb(20, 0, 0), qRgb(30, 0, 0), qRgb(40, 0, 0), qRgb(50, 0, 0)};

TsfDataSkinButtonControl& AddStates(TinySkin& skin) {
  QImage img(20, 50, QImage::Format_RGB32);
  for (int i = 0; i < 5; ++i)
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) img.setPixel(x, i * 10 + y, kStates[i]);
  auto& r = skin.Add<TsfDataSkinButtonControl>("button");
  r.pictureindex = skin.AddPicture(TBitmap(img));
  r.skinrect = TRect(0, 0, 20, 10);
  r.activeskinrect = TRect(0, 10, 20, 20);
  r.downskinrect = TRect(0, 20, 20, 30);
  r.focusedskinrect = TRect(0, 30, 20, 40);
  r.disabledskinrect = TRect(0, 40, 20, 50);
  r.clientrect = TRect(2, 2, 18, 8);
  return r;
}
}  // namespace

TEST(SkinButton, SkinnedLookOfEachState) {
  ButtonWindow w;
  TinySkin skin;
  auto& r = AddStates(skin);
  TsfSkinButton* b = w.Add("");
  b->SetSkinData(skin.data);
  EXPECT_EQ(b->Width(), 20);  // the fixed-size skin gives its size at once
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[0]);
  HoverOver(b, QPoint(5, 5));
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[1]);
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[2]);
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(b->hasFocus());
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[3]);
  b->SetEnabled(false);
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[4]);
  // Without a disabled rect: the normal picture.
  r.disabledskinrect = TRect();
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[0]);
}

TEST(SkinButton, MorphRisesInFifthsPerTick) {
  ButtonWindow w;
  TinySkin skin;
  auto& r = AddStates(skin);
  r.morphing = true;
  TsfSkinButton* b = w.Add("");
  b->SetCanFocused(false);
  b->SetSkinData(skin.data);
  HoverOver(b, QPoint(5, 5));
  ASSERT_NE(b->MorphTimer(), nullptr);
  EXPECT_EQ(b->MorphTimer()->Interval(), 20);
  Tick(b->MorphTimer());
  Tick(b->MorphTimer());
  EXPECT_NEAR(b->MorphFactor(), 0.4, 1e-9);
  // Half way the picture is a blend of normal and active.
  const QRgb mid = At(Shot(b), 1, 1);
  EXPECT_GT(qRed(mid), qRed(kStates[0]));
  EXPECT_LT(qRed(mid), qRed(kStates[1]));
  for (int i = 0; i < 3; ++i) Tick(b->MorphTimer());
  EXPECT_EQ(b->MorphFactor(), 1.0);
  EXPECT_EQ(b->MorphTimer(), nullptr);
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[1]);

  // Effects switched off: no blending, the look follows the mouse at once.
  skin.data->EnableSkinEffects = false;
  b->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(b->MorphTimer(), nullptr);
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[0]);
}

TEST(SkinButton, FrameAnimationStepsThroughTheStrip) {
  ButtonWindow w;
  TinySkin skin;
  auto& r = AddStates(skin);
  r.animateskinrect = TRect(0, 0, 20, 40);  // four frames stacked: the first four states
  r.framecount = 4;
  r.animateinterval = 30;
  TsfSkinButton* b = w.Add("");
  b->SetCanFocused(false);
  b->SetSkinData(skin.data);
  b->Perform(CM_MOUSEENTER);
  ASSERT_NE(b->AnimationTimer(), nullptr);
  EXPECT_EQ(b->AnimationTimer()->Interval(), 30);
  EXPECT_EQ(b->AnimationFrame(), 1);
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[0]);
  Tick(b->AnimationTimer());
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[1]);
  Tick(b->AnimationTimer());
  Tick(b->AnimationTimer());
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[3]);
  Tick(b->AnimationTimer());
  EXPECT_EQ(b->AnimationTimer(), nullptr);
  EXPECT_EQ(At(Shot(b), 1, 1), kStates[1]);  // the active picture again
}

TEST(SkinButton, DefaultAndFocusLeaveOtherControlsAlone) {
  ButtonWindow w;
  TsfSkinPanel panel(&w.form);  // not a button: must not be taken for one
  panel.SetBounds(0, 100, 100, 50);
  panel.show();
  TsfSkinButton* b = w.Add("OK");
  b->SetDefault(true);
  b->SetFocus();
  EXPECT_EQ(w.form.findChildren<TsfSkinButton*>().size(), 1);
  EXPECT_TRUE(b->IsActive());
}

TEST(SkinButton, GlowShownOnlyWithLayeredWindows) {
  ButtonWindow w;
  TinySkin skin;
  auto& r = AddStates(skin);
  r.glowlayerpictureindex = skin.AddPicture(Filled(28, 18, qRgb(0, 120, 255)));
  r.glowlayeralphablendvalue = 200;
  TsfSkinButton* b = w.Add("");
  b->SetCanFocused(false);
  b->SetSkinData(skin.data);
  auto glowShowing = [&] {
    auto* m = b->findChild<TsfLayerManager*>();
    return m && m->Showing();
  };

  OverrideLayeredWindows(false);
  HoverOver(b, QPoint(5, 5));
  QCoreApplication::processEvents();  // the glow is posted
  EXPECT_FALSE(glowShowing());

  OverrideLayeredWindows(true);
  b->Perform(CM_MOUSELEAVE);
  b->Perform(CM_MOUSEENTER);
  QCoreApplication::processEvents();
  EXPECT_TRUE(glowShowing());
  skin.data->ShowButtonGlowFrames = false;  // switched off unless the button insists
  b->Perform(CM_MOUSELEAVE);
  QCoreApplication::processEvents();
  EXPECT_FALSE(glowShowing());
  b->Perform(CM_MOUSEENTER);
  QCoreApplication::processEvents();
  EXPECT_FALSE(glowShowing());
  b->AlwaysShowLayeredFrame = true;
  b->Perform(CM_MOUSELEAVE);
  b->Perform(CM_MOUSEENTER);
  QCoreApplication::processEvents();
  EXPECT_TRUE(glowShowing());
  OverrideLayeredWindows(std::nullopt);
}

// Panels and group boxes: default border and caption band, where aligned
// children sit, the record's caption, roll-up and checked mode.

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/skin/controls/panel_fixture.h"

using namespace ctltest;

namespace {

// The framed panel with a caption rect, caption text left-justified in black.
TsfDataSkinPanelControl& AddPanelRecord(TinySkin& skin, const QString& name, TRect caption) {
  auto& r = AddFramedPanel(skin, name);
  r.captionrect = caption;
  r.alignment = taLeftJustify;
  r.fontcolor = clBlack;
  return r;
}

bool SameInside(const QImage& a, const QImage& b, const TRect& r) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

}  // namespace

TEST(SkinPanel, DefaultLookFramesAndLaysChildrenInsideOnePixel) {
  TsfSkinPanel panel;
  panel.SetBounds(0, 0, 100, 80);
  TsfSkinPanel child(&panel);
  child.SetAlign(alClient);
  const QImage shot = Shot(&panel);
  EXPECT_EQ(At(shot, 0, 0), Rgb(clBtnShadow));
  EXPECT_EQ(At(shot, 99, 79), Rgb(clBtnShadow));
  EXPECT_EQ(child.BoundsRect(), TRect(1, 1, 99, 79));

  panel.SetBorderStyle(bvNone);
  EXPECT_EQ(child.BoundsRect(), TRect(0, 0, 100, 80));
}

TEST(SkinPanel, GroupBoxChildrenStartBelowTheCaptionBand) {
  TsfSkinGroupBox box;
  box.SetBounds(0, 0, 120, 90);
  TsfSkinPanel child(&box);
  child.SetAlign(alClient);
  EXPECT_EQ(child.Top(), 23);
  EXPECT_EQ(child.Left(), 1);

  // Skinned: the child sits in the record's client rect laid out for the size.
  TinySkin skin;
  AddPanelRecord(skin, "groupbox", TRect(8, 0, 40, 17));
  box.SetSkinData(skin.data);
  EXPECT_EQ(child.BoundsRect(), TRect(4, 18, 120 - 4, 90 - 4));
}

TEST(SkinPanel, RecordCaptionIsDrawnWhateverTheCaptionMode) {
  TinySkin skin;
  AddPanelRecord(skin, "withcaption", TRect(6, 2, 60, 16));
  AddPanelRecord(skin, "nocaption", TRect());
  const TRect band(6, 2, 60, 16);
  for (bool captionMode : {false, true}) {
    SCOPED_TRACE(captionMode);
    TsfSkinPanel panel;
    panel.SetCaptionMode(captionMode);
    panel.SetSkinDataName("withcaption");
    panel.SetSkinData(skin.data);
    panel.SetBounds(0, 0, 120, 60);
    panel.SetCaption("");
    const QImage blank = Shot(&panel);
    panel.SetCaption("WWWW");
    EXPECT_FALSE(SameInside(blank, Shot(&panel), band));

    panel.SetSkinDataName("nocaption");
    panel.SetCaption("");
    const QImage blank2 = Shot(&panel);
    panel.SetCaption("WWWW");
    EXPECT_TRUE(SameInside(blank2, Shot(&panel), TRect(0, 0, 120, 60)));
  }
}

TEST(SkinPanel, SkinnedFramePiecesComeFromThePicture) {
  TinySkin skin;
  AddPanelRecord(skin, "panel", TRect());
  TsfSkinPanel panel;
  panel.SetSkinData(skin.data);
  panel.SetBounds(0, 0, 100, 70);
  const QImage shot = Shot(&panel);
  EXPECT_EQ(At(shot, 2, 2), qRgb(2, 2, 7));        // left-top corner
  EXPECT_EQ(At(shot, 98, 68), qRgb(46, 46, 7));    // right-bottom corner
  EXPECT_EQ(At(shot, 5, 19), qRgb(5, 19, 7));      // client piece, first tile
  EXPECT_EQ(At(shot, 45, 19), qRgb(5, 19, 7));     // the next tile repeats it

  // Border style none, no caption mode: the client piece over everything.
  panel.SetBorderStyle(bvNone);
  const QImage flat = Shot(&panel);
  EXPECT_EQ(At(flat, 0, 0), qRgb(4, 18, 7));
  EXPECT_EQ(At(flat, 41, 27), qRgb(5, 19, 7));
}

TEST(SkinPanel, RollUpTwiceIsRollUpOnce) {
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned);
    TinySkin skin;
    AddPanelRecord(skin, "panel", TRect(6, 2, 40, 16));
    TsfSkinPanel panel;
    if (skinned) panel.SetSkinData(skin.data);
    panel.SetBounds(0, 0, 120, 100);
    TsfSkinPanel child(&panel), hidden(&panel);
    hidden.SetVisible(false);
    int changes = 0;
    panel.OnChangeRollUpState = [&](TObject*) { ++changes; };

    panel.SetRollUpState(true);  // not in roll-up mode: nothing
    EXPECT_FALSE(panel.RollUpState());
    EXPECT_EQ(panel.Height(), 100);

    panel.SetRollUpMode(true);
    panel.SetRollUpState(true);
    const int rolled = panel.Height();
    EXPECT_EQ(rolled, skinned ? 100 - (100 - 18 - 4) : 23);
    EXPECT_EQ(panel.RealHeight(), 100);
    EXPECT_FALSE(child.Visible());
    panel.SetRollUpState(true);
    EXPECT_EQ(panel.Height(), rolled);
    EXPECT_EQ(changes, 1);

    panel.SetRollUpState(false);
    EXPECT_EQ(panel.Height(), 100);
    EXPECT_EQ(panel.RealHeight(), -1);
    EXPECT_TRUE(child.Visible());
    EXPECT_FALSE(hidden.Visible());  // it was hidden before the roll-up
    panel.SetRollUpState(false);
    EXPECT_EQ(changes, 2);
  }
}

TEST(SkinPanel, RollUpLiftsSizeConstraintsUntilUnrolled) {
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned);
    TinySkin skin;
    AddPanelRecord(skin, "panel", TRect(6, 2, 40, 16));
    TsfSkinPanel panel;
    if (skinned) panel.SetSkinData(skin.data);
    panel.SetBounds(0, 0, 120, 100);
    panel.setMinimumSize(60, 80);
    panel.setMaximumSize(300, 140);
    panel.SetRollUpMode(true);
    panel.SetRollUpState(true);
    EXPECT_EQ(panel.Height(), skinned ? 100 - (100 - 18 - 4) : 23);  // below the minimum
    // A new skin while rolled up rolls up again and keeps what to restore.
    panel.ApplySkinChange();
    panel.SetRollUpState(false);
    EXPECT_EQ(panel.Height(), 100);
    EXPECT_EQ(panel.minimumSize(), QSize(60, 80));
    EXPECT_EQ(panel.maximumSize(), QSize(300, 140));
    panel.SetHeight(20);  // the constraints hold again
    EXPECT_EQ(panel.Height(), 80);
  }
}

namespace {
// Counts the parent-background notices and the paints it receives.
class Watcher : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int notices = 0;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_SKINCTRL_PARENTBGCHANGED) ++notices;
    TCustomControl::WndProc(m);
  }
};

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};
}  // namespace

TEST(SkinPanel, MovedTransparentPanelRepaintsAndTellsItsChildren) {
  TCustomControl window;
  window.setGeometry(0, 0, 300, 200);
  TsfSkinPanel panel(&window);
  panel.SetBounds(10, 10, 100, 80);
  Watcher child(&panel);
  child.SetBounds(5, 5, 20, 20);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  PaintCounter counter;
  panel.installEventFilter(&counter);

  for (bool transparent : {false, true}) {
    SCOPED_TRACE(transparent);
    panel.SetTransparentMode(transparent);
    QApplication::processEvents();
    child.notices = 0;
    counter.paints = 0;
    panel.SetLeft(panel.Left() + 30);
    QApplication::processEvents();
    EXPECT_EQ(child.notices, transparent ? 1 : 0);
    if (transparent) {
      EXPECT_GE(counter.paints, 1);
    }
  }
}

TEST(SkinPanel, CaptionClickRollsUpAndChecks) {
  TsfSkinGroupBox box;
  box.SetBounds(0, 0, 120, 100);
  box.show();
  box.SetRollUpMode(true);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(30, 10));
  EXPECT_TRUE(box.RollUpState());
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(30, 10));
  EXPECT_FALSE(box.RollUpState());
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(30, 60));  // below the band
  EXPECT_FALSE(box.RollUpState());
}

TEST(SkinPanel, CheckedModeEnablesDirectChildrenOnly) {
  TsfSkinGroupBox box;
  box.SetCheckedMode(true);
  TsfSkinPanel child(&box);
  TsfSkinPanel grandchild(&child);
  grandchild.SetEnabled(false);
  int checks = 0;
  box.OnChecked = [&](TObject*) { ++checks; };
  box.SetChecked(false);
  EXPECT_FALSE(child.Enabled());
  box.SetChecked(true);
  EXPECT_TRUE(child.Enabled());
  EXPECT_FALSE(grandchild.Enabled());  // its own setting is untouched
  EXPECT_EQ(checks, 2);

  box.AutoEnabledControls = false;
  box.SetChecked(false);
  EXPECT_TRUE(child.Enabled());
}

namespace {
// The default look as a bitmap of the panel's size shows it: button face,
// then the look drawn on the bitmap's own fresh canvas.
class BitmapPaintedPanel : public TsfSkinPanel {
 public:
  using TsfSkinPanel::TsfSkinPanel;
  QImage OnBitmap() {
    TBitmap picture(Width(), Height());
    picture.Canvas()->Brush.Color = clBtnFace;
    picture.Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    PaintDefaultImage(picture);
    return picture.Image().convertToFormat(QImage::Format_RGB32);
  }
};
}  // namespace

TEST(SkinPanel, DefaultLookOnThePanelIsTheLookOnABitmap) {
  struct Look {
    const char* name;
    TsfSkinBorderStyle border;
    bool captionMode, ribbon, checkedMode, rollUp;
    TAlignment alignment;
  };
  const Look looks[] = {
      {"frame", bvFrame, false, false, false, false, taLeftJustify},
      {"raised", bvRaised, false, false, false, false, taLeftJustify},
      {"lowered caption", bvLowered, true, false, false, false, taCenter},
      {"no border caption", bvNone, true, false, false, false, taRightJustify},
      {"ribbon checked roll-up", bvRaised, true, true, true, true, taLeftJustify},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    BitmapPaintedPanel panel;
    panel.SetBounds(0, 0, 160, 90);
    panel.SetBorderStyle(look.border);
    panel.SetCaption(QStringLiteral("题目 Caption"));
    panel.SetCaptionMode(look.captionMode);
    panel.SetRibbonStyle(look.ribbon);
    panel.SetCheckedMode(look.checkedMode);
    panel.SetChecked(look.checkedMode);
    panel.SetRollUpMode(look.rollUp);
    panel.SetDefaultAlignment(look.alignment);
    // What the panel's own canvas held from other drawing must not show.
    panel.Font()->SetColor(clRed);
    panel.Font()->SetHeight(-30);
    const QImage first = Shot(&panel);
    EXPECT_EQ(first, panel.OnBitmap());
    EXPECT_EQ(Shot(&panel), first) << "a second paint looks the same";
  }
}

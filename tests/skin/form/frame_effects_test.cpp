// The livelier frame objects offscreen with real input: animated caption
// buttons and the caption's own animation stepped by counted timer ticks,
// caption morphing, glow pictures beside hot buttons, custom buttons and the
// object events, quick buttons on the caption, the fade-in on show, magnetic
// edges while moving, and switching between the skinned and the system frame.

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "skin/data/resource_strings.h"
#include "skin/form/skin_form.h"
#include "skin/render/layer_window.h"
#include "skin/render/window_helpers.h"
#include "tests/skin/form/form_fixture.h"

namespace {

using formtest::Centre;
using formtest::Hover;
using formtest::PixelAt;

using formtest::AnimColour;
using formtest::CaptionColour;

using formtest::LayeredWindows;

class FrameEffectsTest : public ::testing::Test {
 protected:
  explicit FrameEffectsTest(const char* captionKeys = "")
      : skin(formtest::EffectsSkinText(captionKeys)) {}

  void SetUp() override {
    form = new TForm();
    form->OnClose = [this](TObject*, TCloseAction&) { ++closes; };
    skinner = new TsfSkinForm(form);
    Prepare();
    skinner->SetSkinData(skin.data.get());
    form->setGeometry(100, 100, 300, 200);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }
  void TearDown() override { delete form.data(); }
  virtual void Prepare() {}

  TsfActiveSkinObject* Object(const char* name) {
    return skinner->FindObject(QLatin1String(name));
  }
  TRect Rect(const char* name) {
    TsfActiveSkinObject* o = Object(name);
    return o ? o->ObjectRect : TRect();
  }
  void Tick(TTimer* timer) { timer->OnTimer(nullptr); }
  // Deactivates the window by activating another.
  void Deactivate() {
    other = std::make_unique<TForm>();
    other->setGeometry(600, 450, 100, 100);
    other->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other.get()));
    ASSERT_FALSE(skinner->WindowActive());
  }

  formtest::TinySkin skin;
  QPointer<TForm> form;
  TsfSkinForm* skinner = nullptr;
  std::unique_ptr<TForm> other;
  int closes = 0;
};

TEST_F(FrameEffectsTest, AnimatedButtonStepsItsFramesByTicksAndRunsItsCommandOnRelease) {
  auto* anim = dynamic_cast<TsfSkinAnimateObject*>(Object("animbutton"));
  ASSERT_NE(anim, nullptr);
  const TRect r = anim->ObjectRect;
  // Laid out left of the close button, one buttons offset apart.
  EXPECT_EQ(r, Rect("closebutton").Offset(-18, 0));
  EXPECT_EQ(PixelAt(form, r.Left + 3, r.Top + 3), AnimColour(1));

  // Forward at a 50 ms frame interval: one frame every second 25 ms tick,
  // stopping at the last frame.
  Hover(form, Centre(r));
  ASSERT_TRUE(skinner->AnimateTimer()->Enabled());
  const int forward[] = {1, 2, 2, 3, 3, 4};
  for (int expected : forward) {
    Tick(skinner->AnimateTimer());
    EXPECT_EQ(anim->Frame, expected);
    EXPECT_EQ(PixelAt(form, r.Left + 3, r.Top + 3), AnimColour(expected));
  }
  EXPECT_FALSE(anim->Running);
  Tick(skinner->AnimateTimer());
  EXPECT_FALSE(skinner->AnimateTimer()->Enabled());

  // Leaving runs the frames back to the first and the button goes cold.
  Hover(form, QPoint(150, 60));
  const int backward[] = {4, 3, 3, 2, 2, 1};
  for (int expected : backward) {
    Tick(skinner->AnimateTimer());
    EXPECT_EQ(anim->Frame, expected);
  }
  EXPECT_FALSE(anim->Active);

  // A press shows the down image; moving off and releasing runs nothing.
  Hover(form, Centre(r));
  QTest::mousePress(form, Qt::LeftButton, {}, Centre(r));
  EXPECT_EQ(PixelAt(form, r.Left + 3, r.Top + 3), AnimColour(5));
  Hover(form, QPoint(150, 60));
  QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(150, 60));
  EXPECT_EQ(skinner->SkinWindowState(), wsNormal);
  // Released over it, the maximise command runs.
  Hover(form, Centre(r));
  QTest::mouseClick(form, Qt::LeftButton, {}, Centre(r));
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
}

TEST_F(FrameEffectsTest, AnimatedButtonFollowsTheBorderIconsAndHideCaptionButtons) {
  auto* anim = Object("animbutton");
  skinner->SetBorderIcons(biSystemMenu | biMinimize);
  EXPECT_FALSE(anim->Enabled);
  EXPECT_FALSE(anim->Visible);  // its picture is its own: it disappears
  skinner->SetBorderIcons(biSystemMenu | biMaximize);
  EXPECT_TRUE(anim->Visible);
  EXPECT_EQ(anim->ObjectRect, Rect("closebutton").Offset(-18, 0));
  skinner->HideCaptionButtons = true;
  skinner->SetBorderIcons(skinner->BorderIcons());
  EXPECT_FALSE(anim->Visible);
  EXPECT_FALSE(Object("closebutton")->Visible);
}

TEST_F(FrameEffectsTest, GlowPictureOnlyWhereTranslucentWindowsExist) {
  const TRect close = Rect("closebutton");
  struct Case {
    bool layered, glowFrames, shown;
  } cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
  for (const Case& c : cases) {
    LayeredWindows layered(c.layered);
    skin.data->ShowCaptionButtonGlowFrames = c.glowFrames;
    Hover(form, QPoint(150, 60));
    Hover(form, Centre(close));
    ASSERT_EQ(skinner->Objects()[size_t(skinner->HotObject())].get(), Object("closebutton"));
    TsfLayerManager* glow = skinner->ButtonGlowLayer();
    ASSERT_EQ(glow->Showing(), c.shown) << c.layered << c.glowFrames;
    if (!c.shown) continue;
    // At the button's screen place less the skin's offsets, fading in.
    EXPECT_EQ(glow->Window()->pos(),
              form->pos() + QPoint(close.Left - 4, close.Top - 5));
    EXPECT_EQ(glow->Window()->size(), QSize(24, 24));
    EXPECT_TRUE(glow->Fading());
    EXPECT_FALSE(skinner->MenuGlowLayer()->Showing());
    Hover(form, QPoint(150, 60));
    EXPECT_FALSE(glow->Showing());
    // Deactivation takes it away too.
    Hover(form, Centre(close));
    ASSERT_TRUE(glow->Showing());
    Deactivate();
    EXPECT_FALSE(glow->Showing());
  }
}

TEST_F(FrameEffectsTest, CustomButtonShowsOnRequestAndReportsItsEvents) {
  TsfActiveSkinObject* custom = Object("custombutton");
  EXPECT_FALSE(custom->Visible);  // no OnActivateCustomObject: hidden

  QStringList events;
  skinner->OnActivateCustomObject = [](const QString& name, bool& visible) {
    visible = name == QLatin1String("custombutton");
  };
  skinner->OnMouseEnterEvent = [&](const QString& n) { events << "enter " + n; };
  skinner->OnMouseLeaveEvent = [&](const QString& n) { events << "leave " + n; };
  skinner->OnMouseDownEvent = [&](const QString& n, int, int, const TRect&, TMouseButton b) {
    events << QStringLiteral("down %1 %2").arg(n).arg(int(b));
  };
  skinner->OnMouseUpEvent = [&](const QString& n, int, int, const TRect& r, TMouseButton) {
    events << "up " + n;
    EXPECT_EQ(r, custom->ObjectRect);
  };
  skinner->SetBorderIcons(skinner->BorderIcons());
  ASSERT_TRUE(custom->Visible);
  // Custom buttons follow the standard ones.
  EXPECT_EQ(custom->ObjectRect, Rect("animbutton").Offset(-18, 0));

  const QPoint at = Centre(custom->ObjectRect);
  Hover(form, at);
  QTest::mouseClick(form, Qt::LeftButton, {}, at);
  // Pressed, moved off and released elsewhere: no up event.
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  Hover(form, QPoint(150, 60));
  QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(150, 60));
  EXPECT_EQ(events, QStringList({"enter custombutton", "down custombutton 0", "up custombutton",
                                 "down custombutton 0", "leave custombutton"}));
  // No window command ran.
  EXPECT_EQ(closes, 0);
  EXPECT_EQ(skinner->SkinWindowState(), wsNormal);
  EXPECT_FALSE(skinner->RollUpState());
}

TEST_F(FrameEffectsTest, AButtonUnderThePointerWhenTheWindowIsActivatedStillClicks) {
  const QPoint close = Centre(Rect("closebutton"));
  Hover(form, close);
  ASSERT_EQ(skinner->Objects()[size_t(skinner->HotObject())].get(), Object("closebutton"));
  // The platform activates the window again (a pop-up of ours closed, say)
  // with the pointer still resting on the button.
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(form, &activate);
  ASSERT_TRUE(form);
  QTest::mouseClick(form, Qt::LeftButton, {}, close);
  EXPECT_EQ(closes, 1);
}

TEST_F(FrameEffectsTest, AnEnterOrLeaveHandlerMayReloadTheSkin) {
  int reloads = 0;
  const QString file = skin.dir.filePath("skin.ini");
  skinner->OnMouseLeaveEvent = [&](const QString&) {
    ++reloads;
    skin.data->LoadSkinFile(file);
  };
  skinner->OnMouseEnterEvent = [&](const QString&) {
    ++reloads;
    skin.data->LoadSkinFile(file);
  };
  // Every enter reloads (so the next move finds a fresh, cold button and
  // enters again); from one button straight onto its neighbour the leave
  // reloads before the enter.
  Hover(form, Centre(Rect("closebutton")));
  const int before = reloads;
  EXPECT_GE(before, 1);
  QTest::mouseMove(form, Centre(Rect("animbutton")));
  EXPECT_GT(reloads, before);
  ASSERT_NE(Object("closebutton"), nullptr);
  Hover(form, QPoint(150, 60));
  EXPECT_TRUE(form->isVisible());
}

TEST_F(FrameEffectsTest, QuickButtonsSitLeftOnTheCaptionAndClick) {
  TCustomImageList images(12, 12);
  TBitmap glyph(12, 12);
  glyph.Canvas()->Brush.Color = clRed;
  glyph.Canvas()->FillRect(TRect(0, 0, 12, 12));
  images.Add(glyph, false);
  int clicks[2] = {0, 0};
  skinner->QuickImageList = &images;
  skinner->QuickButtons.resize(2);
  for (int i = 0; i < 2; ++i) {
    skinner->QuickButtons[size_t(i)].ImageIndex = 0;
    skinner->QuickButtons[size_t(i)].OnClick = [&clicks, i](TObject*) { ++clicks[i]; };
  }
  form->resize(301, 200);  // lay out again
  const TRect caption = Rect("caption");
  const TRect first = skinner->QuickButtons[0].Rect, second = skinner->QuickButtons[1].Rect;
  const int top = caption.Top + caption.Height() / 2 - 6 - 2;
  EXPECT_EQ(first, TRect(caption.Left, top, caption.Left + 16, top + 16));
  EXPECT_EQ(second, first.Offset(20, 0));
  // The image is centred in its square.
  EXPECT_EQ(PixelAt(form, first.Left + 2, first.Top + 2), qRgb(255, 0, 0));
  // The strip is no caption: it neither drags nor double-click maximises.
  EXPECT_EQ(skinner->HitTest(second.Left + 3, second.Top + 3), HTOBJECT);
  EXPECT_EQ(skinner->HitTest(caption.Left + 45, caption.Top + 10), HTCAPTION);

  const QPoint pos = form->pos();
  Hover(form, Centre(second));
  EXPECT_TRUE(skinner->QuickButtons[1].Hot);
  QTest::mousePress(form, Qt::LeftButton, {}, Centre(second));
  EXPECT_TRUE(skinner->QuickButtons[1].Pressed);
  QTest::mouseMove(form, Centre(second) + QPoint(1, 0));
  QTest::mouseRelease(form, Qt::LeftButton, {}, Centre(second) + QPoint(1, 0));
  EXPECT_EQ(clicks[1], 1);
  EXPECT_EQ(clicks[0], 0);
  EXPECT_FALSE(skinner->QuickButtons[1].Pressed);
  EXPECT_EQ(form->pos(), pos);
  // Pressed on one and released off it: no click.
  Hover(form, Centre(first));
  QTest::mousePress(form, Qt::LeftButton, {}, Centre(first));
  Hover(form, Centre(first) + QPoint(40, 0));
  QTest::mouseRelease(form, Qt::LeftButton, {}, Centre(first) + QPoint(40, 0));
  EXPECT_EQ(clicks[0], 0);
  EXPECT_EQ(form->pos(), pos);
}

TEST_F(FrameEffectsTest, SwitchingToTheSystemFrameAndBack) {
  skinner->SetSkinWindowState(wsMaximized);
  skin.data->SetSkinnableForm(false);
  EXPECT_FALSE(skinner->Skinnable());
  EXPECT_FALSE(form->HasCustomFrame());
  EXPECT_TRUE(form->mask().isEmpty());
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(QPoint(0, 0), form->size()));
  EXPECT_TRUE(skinner->Objects().empty());
  EXPECT_EQ(form->Perform(WM_SKINFORM_QUERYSKINNABLE), kFrameIsSystem);
  // With the system's frame the window's own state changes.
  EXPECT_TRUE(form->isMaximized());
  skinner->SetSkinWindowState(wsNormal);
  EXPECT_FALSE(form->isMaximized());
  EXPECT_EQ(skinner->SkinWindowState(), wsNormal);
  skinner->SetSkinWindowState(wsMaximized);
  EXPECT_TRUE(form->isMaximized());
  skin.data->SetSkinnableForm(true);
  EXPECT_TRUE(form->HasCustomFrame());
  EXPECT_EQ(form->Perform(WM_SKINFORM_QUERYSKINNABLE), kFrameIsSkinned);
  EXPECT_EQ(form->ClientArea()->geometry().topLeft(), QPoint(10, 30));
  EXPECT_NE(Object("closebutton"), nullptr);
  // Maximised before, maximised again in the skinned frame.
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
}

TEST_F(FrameEffectsTest, ACustomButtonDropsItsMenuAndIsReleasedWhenItCloses) {
  skinner->OnActivateCustomObject = [](const QString&, bool& visible) { visible = true; };
  skinner->SetBorderIcons(skinner->BorderIcons());
  auto* custom = dynamic_cast<TsfSkinStdButtonObject*>(Object("custombutton"));
  ASSERT_TRUE(custom && custom->Visible);
  TPopupMenu menu;
  int runs = 0;
  menu.Items()->Add(NewMenuItem(menu.Items(), QStringLiteral("one"), QStringLiteral("&One"),
                                [&runs](TObject*) { ++runs; }));
  custom->MenuItem = menu.Items();
  const QPoint at = Centre(custom->ObjectRect);
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  ASSERT_TRUE(skinner->SkinMenu()->IsShowing());
  EXPECT_TRUE(skinner->InMenu());
  EXPECT_TRUE(custom->Down);
  // Below the button.
  const QRect popup = skinner->SkinMenu()->Deepest()->geometry();
  EXPECT_EQ(popup.top(), form->pos().y() + custom->ObjectRect.Bottom);
  QTest::mouseRelease(form, Qt::LeftButton, {}, at);
  EXPECT_TRUE(custom->Down);  // held down while its menu shows
  QTest::keyClick(skinner->SkinMenu()->Deepest(), Qt::Key_Return);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(skinner->InMenu());
  EXPECT_FALSE(custom->Down);
  EXPECT_FALSE(custom->MenuShown);
}

TEST_F(FrameEffectsTest, ButtonHintsComeFromTheSkinsTextsOrTheBuiltInOnes) {
  auto* close = dynamic_cast<TsfSkinStdButtonObject*>(Object("closebutton"));
  auto* anim = dynamic_cast<TsfSkinAnimateObject*>(Object("animbutton"));
  EXPECT_EQ(close->Hint, QStringLiteral("Close"));
  EXPECT_EQ(anim->SavedHint, QStringLiteral("Maximize"));
  EXPECT_EQ(anim->RestoreHint, QStringLiteral("Restore"));
  TsfResourceStrData texts;
  texts.ResStrings = QStringList{"CLOSEBUTTON_HINT=Schliessen", "RESTORE_HINT=Wiederherstellen"};
  skin.data->SetResourceStrData(&texts);
  EXPECT_EQ(close->Hint, QStringLiteral("Schliessen"));
  EXPECT_EQ(anim->SavedHint, QStringLiteral("Maximize"));  // no text of its own: built in
  EXPECT_EQ(anim->RestoreHint, QStringLiteral("Wiederherstellen"));
  // A maximised window's maximise button offers to restore.
  skinner->SetSkinWindowState(wsMaximized);
  Hover(form, Centre(anim->ObjectRect));
  EXPECT_EQ(anim->Hint, QStringLiteral("Wiederherstellen"));
  skin.data->SetResourceStrData(nullptr);
}

TEST_F(FrameEffectsTest, LogoAndFrameQueries) {
  TBitmap logo(10, 6);
  logo.Canvas()->Brush.Color = clBlue;
  logo.Canvas()->FillRect(TRect(0, 0, 10, 6));
  logo.SetPixel(0, 5, clLime);  // the transparent colour
  logo.SetPixel(4, 2, clLime);
  skinner->LogoBitMap = logo;
  form->update();
  const QRect client = form->ClientArea()->geometry();
  const QPoint origin = client.topLeft() + QPoint(client.width() / 2 - 5, client.height() / 2 - 3);
  EXPECT_EQ(PixelAt(form, origin.x() + 1, origin.y() + 1), qRgb(0, 0, 255));
  EXPECT_EQ(PixelAt(form, origin.x() + 4, origin.y() + 2), qRgb(0, 255, 0));
  skinner->LogoBitMapTransparent = true;
  form->update();
  EXPECT_NE(PixelAt(form, origin.x() + 4, origin.y() + 2), qRgb(0, 255, 0));
  EXPECT_EQ(PixelAt(form, origin.x() + 1, origin.y() + 1), qRgb(0, 0, 255));

  // Other components may have the frame painted onto a canvas of their own.
  TBitmap target(form->width(), form->height());
  EXPECT_EQ(form->Perform(WM_SKINFORM_PAINTFRAME, reinterpret_cast<intptr_t>(target.Canvas()),
                          kFrameQueryTag),
            kFrameQueryTag);
  EXPECT_EQ(target.Pixel(2, 40), TColor(RGB(2, 40, 77)));  // the left border
  EXPECT_EQ(form->Perform(WM_SKINFORM_PAINTBACKGROUND, 0), kBackgroundPainted);
}

TEST_F(FrameEffectsTest, ShowIconPutsTheWindowsIconOnTheSystemMenuButton) {
  // The effects skin has no system-menu button: one is laid out from the tiny skin.
  formtest::TinySkin tiny;
  QPixmap icon(32, 32);
  icon.fill(QColor(0, 128, 255));
  form->setWindowIcon(QIcon(icon));
  skinner->SetShowIcon(true);
  skinner->SetSkinData(tiny.data.get());
  TsfSkinStdButtonObject* sys = skinner->FindButton(3);
  ASSERT_NE(sys, nullptr);
  const int size = SmallIconSize();
  EXPECT_EQ(sys->ObjectRect.Width(), size);
  EXPECT_EQ(sys->ObjectRect.Left, 10);  // at the caption's left
  EXPECT_EQ(PixelAt(form, sys->ObjectRect.Left + size / 2, sys->ObjectRect.Top + size / 2),
            qRgb(0, 128, 255));
  skinner->SetSkinData(skin.data.get());
}

using formtest::PaintLog;

TEST_F(FrameEffectsTest, ShowIconSizesAndRepaintsTheSystemMenuButtonOfEitherFrame) {
  // A system-menu button of 24 x 20: the icon's square differs from it.
  formtest::TinySkin tiny(QByteArray(formtest::kSkinText)
                              .replace("skinrect=0,64,16,80", "skinrect=0,60,24,80"));
  TsfSkinData empty;  // no skin: the default frame
  const int icon = SmallIconSize();
  ASSERT_GT(icon, 0);
  const QRgb appColour = qRgb(255, 64, 0), formColour = qRgb(0, 128, 255);
  auto iconOf = [](QRgb colour) {
    QPixmap p(32, 32);
    p.fill(QColor(colour));
    return QIcon(p);
  };
  struct Case {
    const char* name;
    TsfSkinData* data;
    TRect plain;      // the system-menu button without the icon
    int captionLeft;  // where the caption starts without the icon
    TRect withIcon;
    int captionLeftWithIcon;
  };
  // Skinned: centred on the caption rect (10, 0, 290, 30), buttons offset 2.
  // Default: a 17-pixel square at (3, 4), the caption after it.
  const Case cases[] = {
      {"skinned", tiny.data.get(), TRect(10, 5, 34, 25), 34,
       TRect(10, 15 - icon / 2, 10 + icon, 15 - icon / 2 + icon), 10 + icon},
      {"default", &empty, TRect(3, 4, 20, 21), 20, TRect(3, 4, 3 + icon, 4 + icon), 3 + icon},
  };
  QApplication::setWindowIcon(iconOf(appColour));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form->setWindowIcon(QIcon());
    skinner->SetShowIcon(false);
    skinner->SetSkinData(c.data);
    PixelAt(form, 0, 0);  // the first paint of the default frame makes its buttons
    TsfSkinStdButtonObject* sys = skinner->FindButton(3);
    ASSERT_NE(sys, nullptr);
    // The caption (a move handle) begins right after the button.
    auto captionStartsAt = [&](int x) {
      return skinner->HitTest(x, 10) == HTCAPTION && skinner->HitTest(x - 1, 10) != HTCAPTION;
    };
    EXPECT_EQ(sys->ObjectRect, c.plain);
    EXPECT_TRUE(captionStartsAt(c.captionLeft));
    const QPoint middle = Centre(c.withIcon);
    EXPECT_NE(PixelAt(form, middle.x(), middle.y()), appColour);

    // Setting it lays the button out at once and repaints it.
    QCoreApplication::processEvents();
    PaintLog log(form);
    skinner->SetShowIcon(true);
    EXPECT_EQ(sys->ObjectRect, c.withIcon);
    EXPECT_TRUE(captionStartsAt(c.captionLeftWithIcon));
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.painted.contains(c.withIcon.toQRect())) << "the frame was not repainted";
    // Without an icon of its own the window shows the application's.
    sys->MorphFactor = 1.0;
    EXPECT_EQ(PixelAt(form, middle.x(), middle.y()), appColour);
    EXPECT_EQ(sys->MorphFactor, 0.0);
    form->setWindowIcon(iconOf(formColour));
    EXPECT_EQ(PixelAt(form, middle.x(), middle.y()), formColour);
    EXPECT_EQ(PixelAt(form, sys->ObjectRect.Left, sys->ObjectRect.Top), formColour);
  }
  QApplication::setWindowIcon(QIcon());
  form->setWindowIcon(QIcon());
  skinner->SetShowIcon(false);
  skinner->SetSkinData(skin.data.get());
}

// The caption's frame animation: frames 1..3 while activating, 3..0 while
// deactivating (inactiveanimation), at one frame per 50 ms.
class CaptionAnimationTest : public FrameEffectsTest {
 protected:
  CaptionAnimationTest()
      : FrameEffectsTest(
            "animateskinrect=0,0,240,30\r\nframecount=3\r\nanimateinterval=50\r\n"
            "inactiveanimation=1\r\n") {}
};

TEST_F(CaptionAnimationTest, FramesRunOnActivationAndBackOnDeactivation) {
  auto* caption = dynamic_cast<TsfSkinCaptionObject*>(Object("caption"));
  ASSERT_NE(caption, nullptr);
  const QPoint probe(caption->ObjectRect.Left + 70, caption->ObjectRect.Top + 3);
  // Activation started the animation at frame 1.
  ASSERT_TRUE(skinner->AnimateTimer()->Enabled());
  EXPECT_EQ(caption->AnimFrame, 1);
  EXPECT_EQ(PixelAt(form, probe.x(), probe.y()), CaptionColour(1));
  const int up[] = {1, 2, 2, 3};
  for (int expected : up) {
    Tick(skinner->AnimateTimer());
    EXPECT_EQ(caption->AnimFrame, expected);
    EXPECT_EQ(PixelAt(form, probe.x(), probe.y()), CaptionColour(expected));
  }
  Tick(skinner->AnimateTimer());
  EXPECT_FALSE(skinner->AnimateTimer()->Enabled());

  Deactivate();
  ASSERT_TRUE(skinner->AnimateTimer()->Enabled());
  EXPECT_EQ(caption->AnimFrame, 3);
  const int down[] = {3, 2, 2, 1, 1, 0};
  for (int expected : down) {
    Tick(skinner->AnimateTimer());
    EXPECT_EQ(caption->AnimFrame, expected);
  }
  // Back at frame 0 the inactive frame picture shows under the caption.
  EXPECT_EQ(qBlue(PixelAt(form, probe.x(), probe.y())), 150);
  Tick(skinner->AnimateTimer());
  EXPECT_FALSE(skinner->AnimateTimer()->Enabled());
}

class CaptionMorphTest : public FrameEffectsTest {
 protected:
  CaptionMorphTest() : FrameEffectsTest("morphing=1\r\n") {}
};

TEST_F(CaptionMorphTest, DeactivationBlendsFromTheActiveImageInFiveSteps) {
  auto* caption = Object("caption");
  ASSERT_TRUE(caption->Morphing);
  const TRect r = caption->ObjectRect;
  // Object column 5 lies in the caption's fixed left end: form picture (15, 15).
  const QPoint probe(r.Left + 5, r.Top + 15);
  // The activation morphed it to the active image.
  for (int i = 0; i < 10 && skinner->BlendTimer()->Enabled(); ++i) Tick(skinner->BlendTimer());
  EXPECT_EQ(caption->MorphFactor, 1.0);
  EXPECT_EQ(PixelAt(form, probe.x(), probe.y()), CaptionColour(4));
  Deactivate();
  ASSERT_TRUE(skinner->BlendTimer()->Enabled());
  const QRgb normal = formtest::Src(15, 15), active = CaptionColour(4);
  for (double k : {0.8, 0.6, 0.4, 0.2}) {
    Tick(skinner->BlendTimer());
    EXPECT_NEAR(caption->MorphFactor, k, 1e-9);
    const QRgb p = PixelAt(form, probe.x(), probe.y());
    EXPECT_NEAR(qRed(p), (1 - k) * qRed(normal) + k * qRed(active), 1.0) << k;
    EXPECT_NEAR(qBlue(p), (1 - k) * qBlue(normal) + k * qBlue(active), 1.0) << k;
  }
  Tick(skinner->BlendTimer());
  EXPECT_EQ(caption->MorphFactor, 0.0);
  Tick(skinner->BlendTimer());
  EXPECT_FALSE(skinner->BlendTimer()->Enabled());
}

// ---- fade-in -------------------------------------------------------------------

TEST(SkinFormFadeIn, RisesToItsTargetOneStepPerTick) {
  formtest::TinySkin skin;
  struct Case {
    bool layered, alphaBlend, animation;
    int value;
    int ticks;    // ticks until the target (0: no fade)
    int target;
  } cases[] = {
      {true, false, true, 200, 15, 255},   // animation alone: to opaque, 255 div 15 a step
      {true, true, true, 200, 16, 200},    // to the value, 200 div 15 = 13 a step
      {true, true, false, 120, 1, 120},    // no animation: the value at once
      {false, true, true, 200, 0, 255},    // no translucent windows: no fade
  };
  for (const Case& c : cases) {
    LayeredWindows layered(c.layered);
    TForm form;
    form.setGeometry(50, 50, 200, 150);
    TsfSkinForm skinner(&form);
    skinner.AlphaBlend = c.alphaBlend;
    skinner.AlphaBlendAnimation = c.animation;
    skinner.AlphaBlendValue = c.value;
    skinner.SetSkinData(skin.data.get());
    form.Show();
    if (c.ticks == 0) {
      EXPECT_FALSE(skinner.FadeTimer()->Enabled());
      EXPECT_EQ(form.windowOpacity(), 1.0);
      continue;
    }
    ASSERT_TRUE(skinner.FadeTimer()->Enabled());
    EXPECT_EQ(skinner.FadeOpacity(), 0);
    EXPECT_EQ(form.windowOpacity(), 0.0);
    int ticks = 0;
    while (skinner.FadeTimer()->Enabled() && ticks < 100) {
      skinner.FadeTimer()->OnTimer(nullptr);
      ++ticks;
    }
    EXPECT_EQ(ticks, c.ticks) << c.value;
    EXPECT_EQ(skinner.FadeOpacity(), c.target);
    EXPECT_NEAR(form.windowOpacity(), c.target / 255.0, 0.01);
  }
}

// ---- magnetic edges -------------------------------------------------------------

TEST_F(FrameEffectsTest, AWindowMovedNearTheWorkAreaEdgeSticksThere) {
  skinner->Magnetic = true;
  TRect A;
  GetWorkArea(form, true, A);
  const QPoint grip(150, 15);
  Hover(form, grip);
  QTest::mousePress(form, Qt::LeftButton, {}, grip);
  // The window's left was 100: a drag by dx proposes 100 + dx.
  const QPoint start = form->mapToGlobal(grip);
  auto dragTo = [&](int proposedLeft) {
    const QPoint global = start + QPoint(proposedLeft - 100, 0);
    QTest::mouseMove(form, form->mapFromGlobal(global));
  };
  dragTo(A.Left + 4);
  EXPECT_EQ(form->pos().x(), A.Left);  // snapped
  dragTo(A.Left + 2);
  EXPECT_EQ(form->pos().x(), A.Left);  // stays
  dragTo(A.Left + 8);
  EXPECT_EQ(form->pos().x(), A.Left);  // 4 pixels from where it stuck: still there
  dragTo(A.Left + 30);
  EXPECT_EQ(form->pos().x(), A.Left + 30);  // free again
  QTest::mouseRelease(form, Qt::LeftButton, {}, form->mapFromGlobal(start + QPoint(A.Left - 70, 0)));
  EXPECT_EQ(form->pos().x(), A.Left + 30);
}

}  // namespace

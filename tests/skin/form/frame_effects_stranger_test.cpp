// The livelier frame objects handled as an unfriendly caller would: object
// events and quick-button clicks that reload the skin, delete the window or
// the skinner, or drop the handler that is running; animated buttons whose
// skin asks for absurd frame counts; a hundred quick buttons on a short
// caption. Run under the sanitizers these catch use after free and overflow;
// the expectations state what must be left behind.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "skin/render/window_helpers.h"
#include "tests/skin/form/hostile_form_fixture.h"

namespace {

using formtest::Centre;
using formtest::FlushDeletes;
using formtest::Hover;
using formtest::LayeredWindows;

class StrangerEffectsTest : public formtest::HostileFormTest {
 protected:
  explicit StrangerEffectsTest(const QByteArray& text = formtest::EffectsSkinText())
      : HostileFormTest(text) {}

  void Prepare() override {
    form->SetCaption(QStringLiteral("Stranger"));
    skinner->OnActivateCustomObject = [](const QString&, bool& visible) { visible = true; };
  }
  // Hovers `name` at `at` until it is hot: an activation change arriving
  // meanwhile resets the buttons' hover, and only a move over another
  // object (the caption's left end here) makes it hot again.
  void HoverInto(const char* name, QPoint at) {
    for (int i = 0; i < 3 && form; ++i) {
      const TRect caption = Rect("caption");
      Hover(form, QPoint(caption.Left + 20, caption.Top + caption.Height() / 2));
      if (form) Hover(form, QPoint(150, 100));
      QCoreApplication::processEvents();
      if (form) Hover(form, at);
      TsfActiveSkinObject* o = form && skinner ? skinner->FindObject(QLatin1String(name)) : nullptr;
      if (!o || o->MouseIn) return;
    }
  }
  TRect Rect(const char* name) {
    TsfActiveSkinObject* o = skinner->FindObject(QLatin1String(name));
    return o ? o->ObjectRect : TRect();
  }
  void ReloadSkin() { skin.data->LoadSkinFile(skin.dir.filePath("skin.ini")); }
};

// ---- object events that tear down what fired them -----------------------------

TEST_F(StrangerEffectsTest, ObjectEventsMayReloadTheSkinOrDestroyTheWindow) {
  LayeredWindows layered(true);  // the glow beside a hot button is shown and hidden too
  enum Event { Enter, Leave, Down, Up };
  enum Action { Reload, SetSkinAgain, DeleteForm, DeleteSkinner, DropHandler };
  struct Case {
    const char* object;
    Event event;
    Action action;
  } cases[] = {
      {"closebutton", Enter, Reload},       {"closebutton", Leave, Reload},
      {"closebutton", Down, Reload},        {"closebutton", Enter, DeleteForm},
      {"closebutton", Leave, DeleteSkinner}, {"closebutton", Leave, DropHandler},
      {"custombutton", Enter, SetSkinAgain}, {"custombutton", Leave, Reload},
      {"custombutton", Up, DeleteForm},     {"custombutton", Down, DeleteSkinner},
      {"custombutton", Enter, DropHandler}, {"animbutton", Enter, Reload},
      {"animbutton", Leave, SetSkinAgain},  {"animbutton", Enter, DeleteSkinner},
      {"animbutton", Down, Reload},           {"animbutton", Down, DeleteForm},
      {"caption", Down, Reload},            {"caption", Down, DeleteForm},
      {"caption", Enter, Reload},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 event %2 action %3")
                     .arg(QLatin1String(c.object))
                     .arg(int(c.event))
                     .arg(int(c.action))
                     .toStdString());
    if (!form) Open();
    skin.data->ShowCaptionButtonGlowFrames = true;
    const TRect r = Rect(c.object);
    ASSERT_FALSE(IsEmptyArea(r));
    int ran = 0;
    QString after;
    const QString name = QLatin1String(c.object);
    auto act = [this, &c, &ran, &after]() {
      switch (c.action) {
        case Reload: ReloadSkin(); break;
        case SetSkinAgain: skinner->SetSkinData(skin.data.get()); break;
        case DeleteForm: delete form.data(); break;
        case DeleteSkinner: delete skinner.data(); break;
        case DropHandler:
          skinner->OnMouseEnterEvent = nullptr;
          skinner->OnMouseLeaveEvent = nullptr;
          skinner->OnMouseUpEvent = nullptr;
          break;
      }
      // The handler goes on with its own captures after the teardown.
      ++ran;
      after = QStringLiteral("done");
    };
    bool armed = true;
    auto fire = [&](const QString& id, Event e) {
      if (armed && id == name && e == c.event) {
        armed = false;
        act();
      }
    };
    // Each handler goes on with its own captures after the teardown too
    // (it may have dropped or destroyed itself).
    QStringList log;
    skinner->OnMouseEnterEvent = [fire, &log](const QString& id) mutable {
      fire(id, Enter);
      log << id;
    };
    skinner->OnMouseLeaveEvent = [fire, &log](const QString& id) mutable {
      fire(id, Leave);
      log << id;
    };
    skinner->OnMouseDownEvent = [fire, &log](const QString& id, int, int, const TRect&,
                                             TMouseButton) mutable {
      fire(id, Down);
      log << id;
    };
    skinner->OnMouseUpEvent = [fire, &log](const QString& id, int, int, const TRect&,
                                           TMouseButton) mutable {
      fire(id, Up);
      log << id;
    };
    // The caption's events: a point on it clear of the buttons.
    const QPoint at = QLatin1String(c.object) == QLatin1String("caption")
                          ? QPoint(r.Left + 20, r.Top + r.Height() / 2)
                          : Centre(r);
    HoverInto(c.object, at);
    if (form) QTest::mousePress(form, Qt::LeftButton, {}, at);
    if (form) QTest::mouseRelease(form, Qt::LeftButton, {}, at);
    if (form) Hover(form, QPoint(150, 100));
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(after, QStringLiteral("done"));
    if (form && skinner) {
      // The window is left whole: skinned, its objects built from the skin.
      EXPECT_TRUE(skinner->SkinSupport());
      EXPECT_NE(skinner->FindObject(QStringLiteral("closebutton")), nullptr);
      EXPECT_NE(skinner->FindObject(name), nullptr);
      skinner->OnMouseEnterEvent = nullptr;
      skinner->OnMouseLeaveEvent = nullptr;
      skinner->OnMouseDownEvent = nullptr;
      skinner->OnMouseUpEvent = nullptr;
    }
    delete form.data();
    FlushDeletes();
  }
}

TEST_F(StrangerEffectsTest, TheCloseButtonsUpEventMayReloadTheSkin) {
  // Driven on the object itself: the release over the pressed, hot close button.
  TsfSkinStdButtonObject* close = skinner->FindButton(0);
  ASSERT_NE(close, nullptr);
  int ran = 0;
  skinner->OnMouseUpEvent = [this, &ran](const QString&, int, int, const TRect&, TMouseButton) {
    ReloadSkin();
    ++ran;
  };
  close->MouseIn = close->Active = close->Down = true;
  close->MouseUp(mbLeft, 1, 1);
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(skinner->SkinSupport());
  EXPECT_NE(skinner->FindButton(0), nullptr);
}

TEST_F(StrangerEffectsTest, QuickButtonClicksMayClearTheListOrDestroyTheWindow) {
  TCustomImageList images(12, 12);
  TBitmap glyph(12, 12);
  images.Add(glyph, false);
  enum Action { Clear, Grow, DeleteForm, DeleteSkinner, ReloadTheSkin };
  for (Action action : {Clear, Grow, DeleteForm, DeleteSkinner, ReloadTheSkin}) {
    SCOPED_TRACE(int(action));
    if (!form) Open();
    skinner->QuickImageList = &images;
    int ran = 0;
    QString after;
    skinner->QuickButtons.resize(1);
    skinner->QuickButtons[0].ImageIndex = 0;
    skinner->QuickButtons[0].OnClick = [this, action, &ran, &after](TObject*) {
      switch (action) {
        case Clear: skinner->QuickButtons.clear(); break;
        case Grow: skinner->QuickButtons.resize(50); break;
        case DeleteForm: delete form.data(); break;
        case DeleteSkinner: delete skinner.data(); break;
        case ReloadTheSkin: ReloadSkin(); break;
      }
      ++ran;
      after = QStringLiteral("done");
    };
    form->resize(301, 200);  // lay out again
    const QPoint at = Centre(skinner->QuickButtons[0].Rect);
    Hover(form, at);
    QTest::mouseClick(form, Qt::LeftButton, {}, at);
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(after, QStringLiteral("done"));
    if (form) {
      // Still answers the mouse on its caption.
      Hover(form, at);
      QTest::mouseClick(form, Qt::LeftButton, {}, at);
    }
    delete form.data();
    FlushDeletes();
  }
}

TEST_F(StrangerEffectsTest, ActivationAndMenuOpenHandlersMayDestroyWhatAPressUses) {
  // The first press on an inactive window activates it; OnActivate deletes it.
  {
    TForm other;
    other.setGeometry(600, 450, 100, 100);
    other.Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_FALSE(skinner->WindowActive());
    int ran = 0;
    skinner->OnActivate = [this, &ran](TObject*) {
      ++ran;
      delete form.data();
    };
    const QPoint at = Centre(Rect("closebutton"));
    QTest::mouseMove(form, at);
    if (form) QTest::mousePress(form, Qt::LeftButton, {}, at);
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(form.isNull());
  }
  // A custom button's menu deleted by OnSkinMenuOpen: nothing opens, menu mode ends.
  Open();
  auto* custom =
      dynamic_cast<TsfSkinStdButtonObject*>(skinner->FindObject(QStringLiteral("custombutton")));
  ASSERT_TRUE(custom && custom->Visible);
  QPointer<TPopupMenu> menu = new TPopupMenu(form);
  menu->Items()->Add(NewMenuItem(menu->Items(), QStringLiteral("one"), QStringLiteral("&One")));
  custom->MenuItem = menu->Items();
  int opened = 0;
  skinner->OnSkinMenuOpen = [&menu, &opened](TObject*) {
    ++opened;
    delete menu.data();
  };
  const QPoint at = Centre(custom->ObjectRect);
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  QTest::mouseRelease(form, Qt::LeftButton, {}, at);
  FlushDeletes();
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(skinner->SkinMenu()->IsShowing());
  EXPECT_FALSE(skinner->InMenu());
  EXPECT_FALSE(custom->Down);
}

// ---- hostile counts ---------------------------------------------------------------

TEST_F(StrangerEffectsTest, QuickButtonsThatDoNotFitTheCaptionAreLeftOut) {
  TCustomImageList images(12, 12);
  TBitmap glyph(12, 12);
  images.Add(glyph, false);
  skinner->QuickImageList = &images;
  skinner->QuickButtons.resize(1000);
  for (TsfQuickButtonItem& q : skinner->QuickButtons) q.ImageIndex = 0;
  form->resize(301, 200);
  const TRect caption = Rect("caption");
  int laidOut = 0;
  for (const TsfQuickButtonItem& q : skinner->QuickButtons) {
    if (IsEmptyArea(q.Rect)) continue;
    ++laidOut;
    EXPECT_GE(q.Rect.Left, caption.Left);
    EXPECT_LE(q.Rect.Right, caption.Right);
  }
  EXPECT_GT(laidOut, 0);
  EXPECT_LT(laidOut, 1000);
  // None of them covers a caption button, which still closes the window.
  const TRect close = Rect("closebutton");
  Hover(form, Centre(close));
  QTest::mouseClick(form, Qt::LeftButton, {}, Centre(close));
  EXPECT_EQ(closes, 1);
  form->grab();  // paints without trouble
}

// ---- the fade-in cut short ---------------------------------------------------------

TEST(SkinFormFadeCutShort, RemovingTheSkinnerMidFadeLeavesTheWindowAtItsTarget) {
  formtest::TinySkin skin;
  const struct {
    bool alphaBlend;
    int value;
    double opacity;  // of the window left behind
  } cases[] = {{false, 200, 1.0}, {true, 120, 120 / 255.0}};
  for (const auto& c : cases) {
    LayeredWindows layered(true);
    TForm form;
    form.setGeometry(50, 50, 200, 150);
    auto* skinner = new TsfSkinForm(&form);
    skinner->AlphaBlend = c.alphaBlend;
    skinner->AlphaBlendAnimation = true;
    skinner->AlphaBlendValue = c.value;
    skinner->SetSkinData(skin.data.get());
    form.Show();
    ASSERT_TRUE(skinner->FadeTimer()->Enabled());
    for (int i = 0; i < 3; ++i) skinner->FadeTimer()->OnTimer(nullptr);
    ASSERT_LT(form.windowOpacity(), c.opacity);
    delete skinner;
    EXPECT_NEAR(form.windowOpacity(), c.opacity, 0.01) << c.alphaBlend;
    // Destroyed mid-fade along with its window: nothing is left running.
    auto* other = new TForm();
    auto* second = new TsfSkinForm(other);
    second->AlphaBlendAnimation = true;
    second->SetSkinData(skin.data.get());
    other->Show();
    second->FadeTimer()->OnTimer(nullptr);
    delete other;
    FlushDeletes();
  }
}

class HostileAnimationTest : public StrangerEffectsTest {
 protected:
  HostileAnimationTest() : StrangerEffectsTest(Text()) {}
  // The animated button of the effects skin, 3000 pixels wide with a million frames.
  static QByteArray Text() {
    QByteArray t = formtest::EffectsSkinText(
        "animateskinrect=0,0,240,30\r\nframecount=1000000\r\nanimateinterval=-5\r\n"
        "inactiveanimation=1\r\n");
    t.replace("skinrect=0,0,16,16\r\ncountframes=4", "skinrect=0,0,3000,16\r\ncountframes=1000000");
    return t;
  }
};

TEST_F(HostileAnimationTest, AMillionFramesOfAWideButtonStayWithinThePicture) {
  auto* anim = dynamic_cast<TsfSkinAnimateObject*>(skinner->FindObject(QStringLiteral("animbutton")));
  ASSERT_NE(anim, nullptr);
  // The picture holds no second frame of that width.
  EXPECT_EQ(anim->CountFrames, 1);
  for (int i : {1, 2, 1000000}) {
    const TRect f = anim->FrameRect(i);
    EXPECT_EQ(f.Left, 0) << i;
    EXPECT_EQ(f.Width(), 3000) << i;
  }
  // Pressed (the down image) and hovered (the frames) it paints.
  const QPoint at = Centre(anim->ObjectRect);
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  form->grab();
  Hover(form, QPoint(150, 100));
  QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(150, 100));
  int ticks = 0;
  // (The caption's own animation shares the timer: a few hundred ticks.)
  while (skinner->AnimateTimer()->Enabled() && ticks < 5000) {
    skinner->AnimateTimer()->OnTimer(nullptr);
    ++ticks;
  }
  EXPECT_LT(ticks, 1000) << "the animation ends";
  form->grab();
}

TEST_F(HostileAnimationTest, AMillionCaptionFramesEndWithinTheStripsPixels) {
  auto* caption = dynamic_cast<TsfSkinCaptionObject*>(skinner->FindObject(QStringLiteral("caption")));
  ASSERT_NE(caption, nullptr);
  // Activation and deactivation each run to their end, at most one frame a
  // pixel of the 240-pixel strip, and it paints on the way.
  for (bool activate : {false, true}) {
    if (activate) {
      form->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    } else {
      TForm other;
      other.setGeometry(600, 450, 100, 100);
      other.Show();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    int ticks = 0;
    while (skinner->AnimateTimer()->Enabled() && ticks < 5000) {
      skinner->AnimateTimer()->OnTimer(nullptr);
      if (ticks % 97 == 0) form->grab();
      ++ticks;
    }
    EXPECT_LE(ticks, 241) << activate;
  }
}

}  // namespace

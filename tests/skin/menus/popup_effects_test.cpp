// The moving looks of skinned pop-ups on a tiny synthetic skin: the line
// morph and frame animation counted tick by tick, the frame copy behind
// inactive transparent lines, the first pop-up's opacity fade and the drop
// shadow beside a pop-up where translucent windows exist.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "skin/menus/popup_effects.h"
#include "skin/menus/skin_menu.h"
#include "skin/render/layer_window.h"
#include "tiny_menu_skin.h"

namespace {

// The tiny skin's default colours, which the pixels below tell apart.
using SkinOptions = TinyMenuSkinLook;
const TinyMenuSkinLook kLook;
const QRgb kCentre = kLook.centre;
const QRgb kInactive = kLook.inactive;
const QRgb kActive = kLook.active;
const std::array<QRgb, 3>& kFrames = kLook.frames;

QRgb Mix(QRgb from, QRgb to, double k) {
  auto ch = [k](int a, int b) { return int(std::lround((1 - k) * a + k * b)); };
  return qRgb(ch(qRed(from), qRed(to)), ch(qGreen(from), qGreen(to)), ch(qBlue(from), qBlue(to)));
}

class PopupEffectsTest : public ::testing::Test {
 public:
  void SetUp() override {
    root = new TMenuItem(&owner);
    for (const char* caption : {"&One", "&Two", "T&hree"})
      root->Add(NewMenuItem(root, QString(), QLatin1String(caption)));
  }
  void TearDown() override {
    menu.CloseFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    OverrideLayeredWindows(std::nullopt);
  }
  TsfSkinPopupWindow* Open(const SkinOptions& o) {
    skins.push_back(TinyMenuSkin(o));
    menu.Popup(nullptr, skins.back().get(), false, root, TRect(50, 50, 50, 50), 0);
    return menu.Deepest();
  }
  // The background of line i, at its left end where no text is drawn.
  static QRgb LinePixel(TsfSkinPopupWindow* p, int i) {
    const TRect r = p->Items()[size_t(i)].ItemRect;
    return p->grab().toImage().pixel(r.Left + 1, r.Top + 1) | 0xFF000000u;
  }
  static void Tick(TTimer* t) { t->OnTimer(t); }

  QObject owner;
  TMenuItem* root = nullptr;
  std::vector<std::unique_ptr<TsfSkinData>> skins;
  TsfSkinMenu menu;
};

TEST_F(PopupEffectsTest, InactiveLinesShowTheFrameOrTheirOwnPiece) {
  const struct {
    const char* what;
    bool transparent;
    QRgb inactive;
  } cases[] = {{"transparent: the frame's centre", true, kCentre},
               {"opaque: the record's piece", false, kInactive}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SkinOptions o;
    o.transparent = c.transparent;
    TsfSkinPopupWindow* p = Open(o);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(LinePixel(p, 0), kActive);
    EXPECT_EQ(LinePixel(p, 1), c.inactive);
    EXPECT_EQ(LinePixel(p, 2), c.inactive);
    EXPECT_FALSE(p->AnimationTimer()->Enabled()) << "nothing morphs without the record asking";
    menu.CloseFrom(0);
  }
}

TEST_F(PopupEffectsTest, TheActiveLineMorphsInFromTheFrameBehindItAndBackOut) {
  SkinOptions o;
  o.transparent = true;
  o.morphing = true;
  TsfSkinPopupWindow* p = Open(o);
  ASSERT_NE(p, nullptr);
  TTimer* t = p->AnimationTimer();
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(t->Interval(), 20);
  EXPECT_EQ(LinePixel(p, 0), kCentre) << "k starts at 0";
  for (int tick = 1; tick <= 5; ++tick) {
    Tick(t);
    EXPECT_EQ(LinePixel(p, 0), Mix(kCentre, kActive, 0.2 * tick)) << "tick " << tick;
    EXPECT_EQ(LinePixel(p, 1), kCentre);
  }
  EXPECT_FALSE(t->Enabled()) << "the timer stops once nothing moves";

  // The mouse moves on: the old line fades out while the new one fades in.
  const TRect two = p->Items()[1].ItemRect;
  QTest::mouseMove(p, QPoint(two.Left + 6, two.Top + 6));
  QTest::mouseMove(p, QPoint(two.Left + 5, two.Top + 5));
  ASSERT_EQ(p->ActiveIndex(), 1);
  EXPECT_TRUE(t->Enabled());
  Tick(t);
  EXPECT_EQ(LinePixel(p, 0), Mix(kCentre, kActive, 0.8));
  EXPECT_EQ(LinePixel(p, 1), Mix(kCentre, kActive, 0.2));
  for (int tick = 2; tick <= 5; ++tick) Tick(t);
  EXPECT_EQ(LinePixel(p, 0), kCentre);
  EXPECT_EQ(LinePixel(p, 1), kActive);
  EXPECT_FALSE(t->Enabled());
}

TEST_F(PopupEffectsTest, WithSkinEffectsOffLinesSwitchAtOnce) {
  SkinOptions o;
  o.morphing = true;
  o.animate = true;
  o.effects = false;
  TsfSkinPopupWindow* p = Open(o);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->AnimationTimer()->Enabled());
  EXPECT_EQ(LinePixel(p, 0), kActive);
  p->HandleKey(VK_DOWN);
  EXPECT_FALSE(p->AnimationTimer()->Enabled());
  EXPECT_EQ(LinePixel(p, 0), kInactive);
  EXPECT_EQ(LinePixel(p, 1), kActive);
}

TEST_F(PopupEffectsTest, AnimatedLinesRunTheirFramesForwardsThenBack) {
  SkinOptions o;
  o.animate = true;
  TsfSkinPopupWindow* p = Open(o);
  ASSERT_NE(p, nullptr);
  TTimer* t = p->AnimationTimer();
  EXPECT_TRUE(t->Enabled());
  EXPECT_EQ(t->Interval(), 30) << "the record's animation interval";
  EXPECT_EQ(LinePixel(p, 0), kActive) << "before the first tick";
  for (int f = 0; f < 3; ++f) {
    Tick(t);
    EXPECT_EQ(LinePixel(p, 0), kFrames[f]) << "tick " << f + 1;
  }
  EXPECT_FALSE(t->Enabled()) << "stays on the last frame";
  EXPECT_EQ(LinePixel(p, 0), kFrames[2]);

  p->HandleKey(VK_DOWN);
  ASSERT_EQ(p->ActiveIndex(), 1);
  const struct {
    QRgb left, entered;
  } steps[] = {{kFrames[1], kFrames[0]}, {kFrames[0], kFrames[1]}, {kInactive, kFrames[2]}};
  for (const auto& s : steps) {
    Tick(t);
    EXPECT_EQ(LinePixel(p, 0), s.left);
    EXPECT_EQ(LinePixel(p, 1), s.entered);
  }
  EXPECT_FALSE(t->Enabled());
}

TEST_F(PopupEffectsTest, ClosingStopsTheMotion) {
  SkinOptions o;
  o.morphing = true;
  QPointer<TsfSkinPopupWindow> p = Open(o);
  ASSERT_TRUE(p);
  TTimer* t = p->AnimationTimer();
  ASSERT_TRUE(t->Enabled());
  menu.CloseFrom(0);
  EXPECT_FALSE(t->Enabled());
  Tick(t);  // a tick already queued does nothing to a closed pop-up
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(p.isNull());
}

TEST_F(PopupEffectsTest, ScrollZonesTakeTheMenuItemRecordByEitherName) {
  const struct {
    const char* name;
    bool transparent;
    QRgb zone;
  } cases[] = {
      {"menuitem", false, kInactive},
      {"MENUITEM", false, kInactive},
      {"menuitem", true, kCentre},  // the frame behind
      {"popupline", false, 0xFFFFFFFFu},  // no such record: the plain window colour
  };
  menu.MaxMenuItemsInWindow = 2;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.transparent ? " transparent" : ""));
    SkinOptions o;
    o.transparent = c.transparent;
    skins.push_back(TinyMenuSkin(o));
    skins.back()->ObjectRecords[0]->SectionName = QLatin1String(c.name);
    menu.Popup(nullptr, skins.back().get(), false, root, TRect(50, 50, 50, 50), 0);
    TsfSkinPopupWindow* p = menu.Deepest();
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->NeedsScrolling());
    const TRect items = p->ItemsRect();
    const QImage shown = p->grab().toImage();
    EXPECT_EQ(shown.pixel(items.Left + 1, items.Top + 1) | 0xFF000000u, c.zone) << "top zone";
    EXPECT_EQ(shown.pixel(items.Left + 1, items.Bottom - 2) | 0xFF000000u, c.zone)
        << "bottom zone";
    menu.CloseFrom(0);
  }
}

// ---- translucency -------------------------------------------------------------

TEST_F(PopupEffectsTest, TheFirstPopupFadesInStepByStep) {
  OverrideLayeredWindows(true);
  menu.AlphaBlend = true;
  menu.AlphaBlendAnimation = true;
  const struct {
    int value, step, ticks;
  } cases[] = {{150, 10, 15}, {200, 13, 16}, {7, 1, 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    menu.AlphaBlendValue = c.value;
    TsfSkinPopupWindow* p = Open({});
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(menu.IsFirstPopup());
    EXPECT_DOUBLE_EQ(p->windowOpacity(), 0.0);
    TTimer* t = p->FadeTimer();
    EXPECT_TRUE(t->Enabled());
    int ticks = 0;
    while (t->Enabled() && ticks < 300) {
      Tick(t);
      ++ticks;
      EXPECT_EQ(p->Opacity(), std::min(c.value, ticks * c.step));
      EXPECT_NEAR(p->windowOpacity(), p->Opacity() / 255.0, 1e-3);
    }
    EXPECT_EQ(ticks, c.ticks);
    EXPECT_EQ(p->Opacity(), c.value);
    menu.CloseFrom(0);
  }
}

TEST_F(PopupEffectsTest, OnlyTheFirstPopupOfAShowingFades) {
  OverrideLayeredWindows(true);
  menu.AlphaBlend = true;
  menu.AlphaBlendValue = 180;
  TMenuItem* sub = root->Items(1);
  sub->Add(NewMenuItem(sub, QString(), QStringLiteral("&Inner")));

  // Without the animation: translucent at once.
  TsfSkinPopupWindow* p = Open({});
  EXPECT_FALSE(p->FadeTimer()->Enabled());
  EXPECT_NEAR(p->windowOpacity(), 180 / 255.0, 1e-3);
  menu.CloseFrom(0);

  menu.AlphaBlendAnimation = true;
  p = Open({});
  EXPECT_TRUE(p->FadeTimer()->Enabled());
  p->HandleKey('T');  // opens the submenu at once
  ASSERT_EQ(menu.PopupCount(), 2);
  EXPECT_FALSE(menu.Deepest()->FadeTimer()->Enabled()) << "a submenu does not fade";
  EXPECT_NEAR(menu.Deepest()->windowOpacity(), 180 / 255.0, 1e-3);

  // A new menu while one shows replaces it without a fade.
  p = Open({});
  EXPECT_FALSE(menu.IsFirstPopup());
  EXPECT_FALSE(p->FadeTimer()->Enabled());
  EXPECT_NEAR(p->windowOpacity(), 180 / 255.0, 1e-3);
}

TEST_F(PopupEffectsTest, WithoutTranslucentWindowsPopupsStayOpaqueAndCastNoShadow) {
  OverrideLayeredWindows(false);
  menu.AlphaBlend = true;
  menu.AlphaBlendAnimation = true;
  TsfSkinPopupWindow* p = Open({});
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->FadeTimer()->Enabled());
  EXPECT_DOUBLE_EQ(p->windowOpacity(), 1.0);
  EXPECT_EQ(p->Shadow(), nullptr);
}

TEST_F(PopupEffectsTest, TheShadowLiesBesideThePopupAndGoesWithIt) {
  OverrideLayeredWindows(true);
  QPointer<TsfSkinPopupWindow> p = Open({});
  ASSERT_TRUE(p);
  QPointer<TsfLayerWindow> shadow = p->Shadow();
  ASSERT_TRUE(shadow);
  EXPECT_TRUE(shadow->isVisible());
  EXPECT_EQ(shadow->geometry(), QRect(p->x(), p->y(), p->width() + TsfPopupShadow::Offset,
                                      p->height() + TsfPopupShadow::Offset));
  EXPECT_TRUE(shadow->testAttribute(Qt::WA_TransparentForMouseEvents));
  menu.CloseFrom(0);
  EXPECT_TRUE(shadow.isNull());
}

// The window beside the pop-up shows the shadow picture pixel for pixel,
// at the pop-up's opacity.
TEST_F(PopupEffectsTest, TheShadowWindowShowsTheShadowPicture) {
  OverrideLayeredWindows(true);
  TsfSkinPopupWindow* p = Open({});
  ASSERT_NE(p, nullptr);
  TsfLayerWindow* shadow = p->Shadow();
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->Opacity(), 255);
  const QImage expected = TsfPopupShadow::Picture(p->mask(), p->width(), p->height())
                              .Image()
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QImage shown = shadow->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  ASSERT_EQ(shown.size(), expected.size());
  int darkened = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
      if (qAlpha(shown.pixel(x, y)) > 0) ++darkened;
    }
  EXPECT_GT(darkened, 0);
  menu.CloseFrom(0);

  menu.AlphaBlend = true;
  menu.AlphaBlendValue = 120;
  p = Open({});
  ASSERT_NE(p, nullptr);
  ASSERT_NE(p->Shadow(), nullptr);
  EXPECT_EQ(p->Shadow()->Opacity(), 120);
}

TEST(PopupShadow, DarkensOnlyBelowAndRightOfTheWindowsShape) {
  const int w = 30, h = 20, o = TsfPopupShadow::Offset;
  // A window shape with its bottom-left 6 x 6 corner cut away.
  const QRegion notched = QRegion(0, 0, w, h).subtracted(QRegion(0, h - 6, 6, 6));
  for (const QRegion& shape : {QRegion(), notched}) {
    const TsfBitmap s = TsfPopupShadow::Picture(shape, w, h);
    ASSERT_EQ(s.Width(), w + o);
    ASSERT_EQ(s.Height(), h + o);
    const QRegion window = shape.isEmpty() ? QRegion(0, 0, w, h) : shape;
    int maxAlpha = 0;
    for (int y = 0; y < s.Height(); ++y)
      for (int x = 0; x < s.Width(); ++x) {
        const QRgb px = s.Pixel(x, y);
        if (window.contains(QPoint(x, y))) {
          ASSERT_EQ(qAlpha(px), 0) << x << "," << y;
        }
        ASSERT_EQ(px & 0xFFFFFFu, 0u) << "black";
        maxAlpha = std::max(maxAlpha, qAlpha(px));
      }
    EXPECT_LE(maxAlpha, TsfPopupShadow::Alpha);
    EXPECT_GT(maxAlpha, TsfPopupShadow::Alpha / 2);
    EXPECT_GT(qAlpha(s.Pixel(w, h / 2)), 0) << "right of the window";
    EXPECT_GT(qAlpha(s.Pixel(w / 2, h)), 0) << "below the window";
    EXPECT_LT(qAlpha(s.Pixel(0, h + o - 1)), qAlpha(s.Pixel(w / 2, h))) << "faint at its start";
    EXPECT_LT(qAlpha(s.Pixel(w + o - 1, h / 2)), qAlpha(s.Pixel(w, h / 2))) << "soft outer edge";
  }
  // The cut-away corner shows the shadow of the shape above and right of it.
  const TsfBitmap s = TsfPopupShadow::Picture(notched, w, h);
  EXPECT_GT(qAlpha(s.Pixel(4, h - 3)), 0);
  EXPECT_EQ(qAlpha(s.Pixel(0, h - 1)), 0);
}

}  // namespace

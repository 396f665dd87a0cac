// Skinned pop-ups whose moving looks meet an unfriendly skin or caller: skin
// data freed while the line motion, the fade and the shadow are running, and
// animation records with absurd frame counts and intervals. Run under the
// sanitizers these catch use after free; the expectations state what must be
// left behind.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "skin/menus/skin_menu.h"
#include "skin/render/layer_window.h"
#include "tiny_menu_skin.h"

namespace {

// The tiny skin in one frame colour and one item colour, its lines
// morphing and animating.
std::unique_ptr<TsfSkinData> AnimatedMenuSkin(int frameCount, int interval) {
  TinyMenuSkinLook look;
  look.border = look.centre = qRgb(0, 0, 160);
  look.inactive = look.active = qRgb(0, 160, 0);
  look.frames.fill(qRgb(0, 160, 0));
  look.morphing = true;
  look.animate = true;
  look.frameCount = frameCount;
  look.animateInterval = interval;
  return TinyMenuSkin(look);
}

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class PopupStrangerTest : public ::testing::Test {
 public:
  void SetUp() override {
    root = new TMenuItem(&owner);
    for (const char* caption : {"&One", "-", "&Two", "T&hree"})
      root->Add(NewMenuItem(root, QString(), QLatin1String(caption)));
  }
  void TearDown() override {
    menu.CloseFrom(0);
    FlushDeletes();
    OverrideLayeredWindows(std::nullopt);
  }
  static void Tick(TTimer* t) { t->OnTimer(t); }

  QObject owner;
  TMenuItem* root = nullptr;
  TsfSkinMenu menu;
};

TEST_F(PopupStrangerTest, SkinDataFreedWhileTheLinesMoveAndThePopupFades) {
  OverrideLayeredWindows(true);  // the fade and the shadow run too
  menu.AlphaBlend = true;
  menu.AlphaBlendAnimation = true;
  menu.AlphaBlendValue = 200;
  auto skin = AnimatedMenuSkin(3, 30);
  menu.Popup(nullptr, skin.get(), false, root, TRect(50, 50, 50, 50), 0);
  QPointer<TsfSkinPopupWindow> p = menu.Deepest();
  ASSERT_TRUE(p);
  ASSERT_TRUE(p->AnimationTimer()->Enabled());
  ASSERT_TRUE(p->FadeTimer()->Enabled());
  Tick(p->AnimationTimer());
  skin.reset();
  // The timers run on, lines change, the pop-up paints: all on the plain look.
  for (int i = 0; i < 20; ++i) {
    if (p->AnimationTimer()->Enabled()) Tick(p->AnimationTimer());
    if (p->FadeTimer()->Enabled()) Tick(p->FadeTimer());
    if (i == 5) p->HandleKey(VK_DOWN);
  }
  EXPECT_FALSE(p->AnimationTimer()->Enabled());
  EXPECT_FALSE(p->FadeTimer()->Enabled());
  EXPECT_EQ(p->Opacity(), 200);
  EXPECT_FALSE(p->grab().isNull());
  menu.CloseFrom(0);
  FlushDeletes();
  EXPECT_TRUE(p.isNull());
}

TEST_F(PopupStrangerTest, AbsurdFrameCountsAndIntervalsEndWithinTheStrip) {
  const struct {
    int frames, interval;
    int expectedInterval;  // of the motion timer
  } cases[] = {{1000000, 30, 30}, {1000000, 0, -1}, {7, -5, -1}, {0, 30, -1}, {-4, 30, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1 frames every %2").arg(c.frames).arg(c.interval).toStdString());
    auto skin = AnimatedMenuSkin(c.frames, c.interval);
    menu.Popup(nullptr, skin.get(), false, root, TRect(50, 50, 50, 50), 0);
    TsfSkinPopupWindow* p = menu.Deepest();
    ASSERT_NE(p, nullptr);
    TTimer* t = p->AnimationTimer();
    ASSERT_TRUE(t->Enabled());
    if (c.expectedInterval > 0) {
      EXPECT_EQ(t->Interval(), c.expectedInterval);
    } else {
      EXPECT_GT(t->Interval(), 0) << "a positive default";
    }
    // Lit and then left, the line's motion ends: at most one frame a pixel
    // of the 120-pixel strip each way.
    for (int pass = 0; pass < 2; ++pass) {
      int ticks = 0;
      while (t->Enabled() && ticks < 5000) {
        Tick(t);
        if (ticks % 31 == 0) p->grab();
        ++ticks;
      }
      EXPECT_LE(ticks, 121) << "pass " << pass;
      if (pass == 0) p->HandleKey(VK_DOWN);
    }
    menu.CloseFrom(0);
    FlushDeletes();
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <QTest>

#include "skin/render/layer_window.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

namespace {
// Forces the probe's answer for one test.
struct LayeredOverride {
  explicit LayeredOverride(bool v) { OverrideLayeredWindows(v); }
  ~LayeredOverride() { OverrideLayeredWindows(std::nullopt); }
};
}  // namespace

TEST(TsfFadeSteps, StepsOfATenthUpToTheTarget) {
  struct Case { int target; std::vector<int> steps; };
  const Case cases[] = {
      {255, {25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}},
      {5, {1, 2, 3, 4, 5}},
      {100, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
      {0, {0}},
  };
  for (const Case& c : cases) {
    TsfFadeSteps fade;
    fade.Start(c.target);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const bool done = fade.Tick();
      EXPECT_EQ(fade.Current, c.steps[i]) << c.target << " tick " << i + 1;
      EXPECT_EQ(done, i + 1 == c.steps.size()) << c.target << " tick " << i + 1;
    }
  }
}

TEST(TsfLayerManager, WithoutACompositorNothingIsShown) {
  // The offscreen platform has no compositor: the probe says no.
  ASSERT_FALSE(LayeredWindowsAvailable());
  TsfLayerManager manager;
  manager.Show(10, 10, 200, TBitmap(), Distinct(8, 8));
  EXPECT_FALSE(manager.Showing());
  EXPECT_FALSE(manager.Fading());
  QWidget w;
  EXPECT_FALSE(SetWindowOpacity(&w, 100));
  EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0);
}

TEST(TsfLayerManager, FadesInOnTimerTicksAndHides) {
  LayeredOverride on(true);
  TsfLayerManager manager;
  manager.Show(30, 40, 255, TBitmap(), Distinct(12, 9));
  ASSERT_TRUE(manager.Showing());
  TsfLayerWindow* window = manager.Window();
  EXPECT_EQ(window->size(), QSize(12, 9));
  EXPECT_EQ(window->pos(), QPoint(30, 40));
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
  EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
  // Nothing happens until the timer runs: the fade is not a loop.
  EXPECT_EQ(manager.Opacity(), 0);
  EXPECT_TRUE(manager.Fading());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !manager.Fading(); }, 5000));
  EXPECT_EQ(manager.Ticks(), 11);
  EXPECT_EQ(manager.Opacity(), 255);
  EXPECT_EQ(window->Opacity(), 255);

  manager.StayOnTop = false;
  manager.Show(0, 0, 5, TBitmap(), Distinct(4, 4));  // hides the first window
  EXPECT_FALSE(manager.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !manager.Fading(); }, 5000));
  EXPECT_EQ(manager.Ticks(), 5);
  EXPECT_EQ(manager.Opacity(), 5);
  manager.Hide();
  EXPECT_FALSE(manager.Showing());

  QWidget w;
  EXPECT_TRUE(SetWindowOpacity(&w, 51));
  EXPECT_NEAR(w.windowOpacity(), 0.2, 0.01);
}

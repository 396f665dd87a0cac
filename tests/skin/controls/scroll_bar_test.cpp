// The skinned scroll bar: geometry of the default and the skinned look,
// position clamping with one OnChange, the quiet operations for linked
// controls, and real mouse input with the repeat timer counted in ticks.

#include <gtest/gtest.h>

#include <QApplication>
#include <limits>
#include <QTest>

#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_button.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {

struct BarSetup {
  TScrollBarKind kind;
  int width, height, min, max, page, position;
  bool both = false;
};

std::unique_ptr<TsfSkinScrollBar> MakeBar(const BarSetup& s) {
  auto bar = std::make_unique<TsfSkinScrollBar>();
  bar->SetKind(s.kind);
  bar->SetBounds(0, 0, s.width, s.height);
  bar->SetRangeAndPosition(s.min, s.max, s.page, s.position);
  bar->SetBoth(s.both);
  return bar;
}

void Tick(TsfSkinScrollBar& bar) {
  ASSERT_TRUE(bar.RepeatTimer()->Enabled()) << "no tick is due";
  bar.RepeatTimer()->OnTimer(bar.RepeatTimer());
}

}  // namespace

TEST(ScrollBarGeometry, DefaultLookPlacesButtonsTrackAndThumb) {
  const struct {
    const char* what;
    BarSetup setup;
    TRect track, decrease, increase, thumb;
  } cases[] = {
      // The 16-pixel thumb travels 136 - 17 - 16 = 103 pixels.
      {"vertical, no page, at the start", {sbVertical, 19, 153, 0, 100, 0, 0},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 17, 18, 33}},
      {"vertical, no page, at the end", {sbVertical, 19, 153, 0, 100, 0, 100},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 120, 18, 136}},
      {"a half rounds to the even neighbour above (51.5 -> 52)", {sbVertical, 19, 153, 0, 100, 0, 50},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 69, 18, 85}},
      {"a half rounds to the even neighbour below (24.5 -> 24)", {sbVertical, 19, 148, 0, 100, 0, 25},
       {1, 17, 18, 131}, {1, 1, 18, 17}, {1, 131, 18, 147}, {1, 41, 18, 57}},
      {"Max = Min keeps the thumb at the start", {sbVertical, 19, 153, 5, 5, 0, 5},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 17, 18, 33}},
      // Page: length rnd(119 * 50 / 100) = rnd(59.5) = 60, travel 59, t' = 25 / 50.
      {"vertical with a page", {sbVertical, 19, 153, 0, 99, 50, 25},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 47, 18, 107}},
      {"a small page still gets 16 pixels", {sbVertical, 19, 153, 0, 99, 10, 90},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 120, 18, 136}},
      {"horizontal", {sbHorizontal, 200, 19, 0, 100, 0, 100},
       {17, 1, 183, 18}, {1, 1, 17, 18}, {183, 1, 199, 18}, {167, 1, 183, 18}},
      {"horizontal with the corner square", {sbHorizontal, 200, 19, 0, 100, 0, 0, true},
       {17, 1, 164, 18}, {1, 1, 17, 18}, {164, 1, 180, 18}, {17, 1, 33, 18}},
      // A page as large as the range leaves no travel: vertical thumbs stay at
      // the start, horizontal ones at the end.
      {"vertical, page covers the range", {sbVertical, 19, 153, 0, 9, 10, 0},
       {1, 17, 18, 136}, {1, 1, 18, 17}, {1, 136, 18, 152}, {1, 17, 18, 135}},
      {"horizontal, page covers the range", {sbHorizontal, 200, 19, 0, 9, 10, 0},
       {17, 1, 183, 18}, {1, 1, 17, 18}, {183, 1, 199, 18}, {17, 1, 183, 18}},
  };
  for (const auto& c : cases) {
    auto bar = MakeBar(c.setup);
    const TsfScrollBarLayout L = bar->Layout();
    EXPECT_EQ(L.Track, c.track) << c.what;
    EXPECT_EQ(L.Parts[spDecrease], c.decrease) << c.what;
    EXPECT_EQ(L.Parts[spIncrease], c.increase) << c.what;
    EXPECT_EQ(L.Parts[spThumb], c.thumb) << c.what;
  }
}

TEST(ScrollBarGeometry, SkinnedPartsFollowTheSizeAndTheThumbIsCentred) {
  TinySkin skin;
  const int pic = skin.AddPicture(Distinct(60, 80));
  auto& r = skin.Add<TsfDataSkinScrollBarControl>("vscrollbar");
  r.pictureindex = pic;
  r.skinrect = TRect(0, 0, 17, 60);
  r.lefttoppoint = TPoint(1, 20);
  r.righttoppoint = TPoint(16, 20);
  r.leftbottompoint = TPoint(1, 40);
  r.rightbottompoint = TPoint(16, 40);
  r.clientrect = TRect(1, 20, 16, 40);
  r.trackarea = TRect(0, 16, 17, 44);
  r.downbuttonrect = TRect(0, 0, 17, 16);  // top: the decrease button
  r.upbuttonrect = TRect(0, 44, 17, 60);   // bottom: moves with the height
  r.thumbrect = TRect(20, 0, 31, 12);      // 11 wide, 12 long
  TsfSkinScrollBar bar;
  bar.SetKind(sbVertical);
  bar.SetSkinData(skin.data);
  bar.SetBounds(0, 0, 17, 160);
  bar.SetRangeAndPosition(0, 100, 0, 100);
  const TsfScrollBarLayout L = bar.Layout();
  EXPECT_EQ(L.Track, TRect(0, 16, 17, 144));
  EXPECT_EQ(L.Parts[spDecrease], TRect(0, 0, 17, 16));
  EXPECT_EQ(L.Parts[spIncrease], TRect(0, 144, 17, 160));
  EXPECT_EQ(L.Parts[spThumb], TRect(3, 132, 14, 144)) << "the picture's own length, centred across";
  const QImage shot = Shot(&bar);
  EXPECT_EQ(At(shot, 8, 138), qRgb(20 + 5, 6, 7)) << "the thumb picture at its place";
}

TEST(ScrollBarDefaultLook, ADisabledBarShowsItsButtonsAndNoThumb) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 100, 0, 0});
  EXPECT_EQ(At(Shot(bar.get()), 9, 25), Rgb(clBtnFace));
  EXPECT_EQ(At(Shot(bar.get()), 1, 20), Rgb(clBtnShadow)) << "the thumb's frame";
  bar->SetEnabled(false);
  const QImage shot = Shot(bar.get());
  EXPECT_EQ(At(shot, 1, 20), Rgb(clBtnFace)) << "no thumb";
  EXPECT_EQ(At(shot, 1, 5), Rgb(clBtnShadow)) << "the decrease button";
  EXPECT_EQ(At(shot, 1, 140), Rgb(clBtnShadow)) << "the increase button";
}

TEST(ScrollBarPosition, ClampedWithOneChangePerChange) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 100, 10, 0});
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->SetPosition(500);
  EXPECT_EQ(bar->Position(), 91);
  EXPECT_EQ(changes, 1);
  bar->SetPosition(91);
  bar->SetPosition(95);
  EXPECT_EQ(changes, 1) << "the same clamped value again raises nothing";
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(changes, 2);

  bar->SetRangeAndPosition(10, 50, 5, 100);
  EXPECT_EQ(bar->Position(), 46);
  bar->SetRangeAndPosition(10, 50, 0, 3);
  EXPECT_EQ(bar->Position(), 10);
  bar->MovePositionQuietly(30);
  EXPECT_EQ(bar->Position(), 30);
  bar->MovePositionQuietly(99);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(changes, 2) << "the operations for linked controls raise nothing";
}

TEST(ScrollBarInput, HoldingAnArrowRepeatsAfterTheDelayAndPausesOffTheButton) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 100, 0, 0});
  bar->show();
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  const QPoint increase(9, 144), off(9, 80);
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, increase);
  EXPECT_EQ(bar->Position(), 1) << "one step at once";
  EXPECT_EQ(bar->RepeatTimer()->Interval(), 500);
  Tick(*bar);  // after 500 ms: only switches to 50 ms
  EXPECT_EQ(bar->Position(), 1);
  EXPECT_EQ(bar->RepeatTimer()->Interval(), 50);
  Tick(*bar);
  Tick(*bar);
  EXPECT_EQ(bar->Position(), 3);
  QTest::mouseMove(bar.get(), off);
  EXPECT_FALSE(bar->RepeatTimer()->Enabled()) << "paused off the button";
  QTest::mouseMove(bar.get(), increase);
  EXPECT_TRUE(bar->RepeatTimer()->Enabled());
  EXPECT_EQ(bar->RepeatTimer()->Interval(), 50);
  Tick(*bar);
  EXPECT_EQ(bar->Position(), 4) << "resumes with no second delay";
  QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, increase);
  EXPECT_FALSE(bar->RepeatTimer()->Enabled());
  EXPECT_EQ(changes, 4);
}

TEST(ScrollBarInput, ButtonEventsReplaceTheStepAndStopAtTheEnds) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 100, 0, 0});
  bar->show();
  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(9, 8));
  EXPECT_EQ(bar->Position(), 0) << "the decrease button stops at Min";
  int downs = 0;
  bar->OnDownButtonClick = [&](TObject*) { ++downs; };
  bar->SetPosition(10);
  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(9, 8));
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(bar->Position(), 10) << "the event replaces the step";
}

TEST(ScrollBarInput, APageRepeatStopsWhenTheThumbReachesThePointer) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 99, 10, 0});
  bar->SetLargeChange(10);
  bar->show();
  int pageDowns = 0;
  bar->OnPageDown = [&](TObject*) { ++pageDowns; };
  const QPoint point(9, 90);
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, point);
  EXPECT_EQ(bar->Position(), 10);
  EXPECT_EQ(pageDowns, 1);
  Tick(*bar);  // the delay
  int ticks = 0;
  while (bar->RepeatTimer()->Enabled() && ticks < 50) {
    Tick(*bar);
    ++ticks;
  }
  const TRect thumb = bar->Layout().Parts[spThumb];
  EXPECT_TRUE(thumb.Top <= 90 && 90 < thumb.Bottom) << "the thumb stops under the pointer";
  // At 50 the thumb covers 74..90, so the pointer at 90 is still after it.
  EXPECT_EQ(bar->Position(), 60);
  EXPECT_EQ(pageDowns, 6);
  EXPECT_EQ(ticks, 6) << "five more pages, then the tick that finds the thumb there";
  QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, point);
}

TEST(ScrollBarInput, DraggingTheThumbSetsThePositionAndReportsTheRelease) {
  auto bar = MakeBar({sbVertical, 19, 153, 0, 100, 0, 0});
  bar->show();
  int changes = 0, last = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->OnLastChange = [&](TObject*) { ++last; };
  QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(9, 25));
  EXPECT_TRUE(bar->Dragging());
  QTest::mouseMove(bar.get(), QPoint(9, 76));  // 51 of 103 pixels: rnd(49.51) = 50
  EXPECT_EQ(bar->Position(), 50);
  QTest::mouseMove(bar.get(), QPoint(9, 500));
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(last, 0);
  QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(9, 500));
  EXPECT_FALSE(bar->Dragging());
  EXPECT_EQ(last, 1);
  EXPECT_EQ(changes, 2);
}

TEST(ScrollBarInput, KeysAndWheelOnlyWhenFocusable) {
  auto bar = MakeBar({sbHorizontal, 200, 19, 0, 100, 0, 50});
  bar->show();
  QTest::keyClick(bar.get(), Qt::Key_Right);
  EXPECT_EQ(bar->Position(), 50);
  bar->SetCanFocused(true);
  QApplication::setActiveWindow(bar.get());
  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(60, 9));  // takes the focus, pages up
  EXPECT_TRUE(bar->Focused());
  const int before = bar->Position();
  QTest::keyClick(bar.get(), Qt::Key_Right);
  QTest::keyClick(bar.get(), Qt::Key_Down);
  EXPECT_EQ(bar->Position(), before + 2);
  QTest::keyClick(bar.get(), Qt::Key_Up);
  EXPECT_EQ(bar->Position(), before + 1);
}

TEST(ScrollBarInput, ArrowKeysStepTheBarAndKeepTheFocusAmongButtons) {
  TCustomControl window;
  window.setGeometry(0, 0, 300, 100);
  auto* before = new TsfSkinButton(&window);
  auto* bar = new TsfSkinScrollBar(&window);
  auto* after = new TsfSkinButton(&window);
  before->SetBounds(0, 0, 75, 25);
  bar->SetKind(sbHorizontal);
  bar->SetBounds(0, 40, 200, 19);
  bar->SetRangeAndPosition(0, 100, 0, 50);
  bar->SetCanFocused(true);
  after->SetBounds(100, 0, 75, 25);
  window.show();
  QApplication::setActiveWindow(&window);
  bar->SetFocus();
  ASSERT_TRUE(bar->Focused());
  struct Step { Qt::Key key; int position; };
  for (const Step& s : {Step{Qt::Key_Right, 51}, Step{Qt::Key_Down, 52}, Step{Qt::Key_Left, 51},
                        Step{Qt::Key_Up, 50}}) {
    QTest::keyClick(bar, s.key);
    EXPECT_EQ(bar->Position(), s.position);
    EXPECT_TRUE(bar->Focused());
  }
  // From a button the same keys move the focus, onto the bar among others.
  before->SetFocus();
  QTest::keyClick(before, Qt::Key_Right);
  EXPECT_TRUE(bar->Focused());
  EXPECT_EQ(bar->Position(), 50);
}

// Ranges reaching the ends of int: a step at an end stays there instead of
// wrapping round to the other end, and a page fits a range that wide.
TEST(ScrollBarPosition, ExtremeRangesNeitherWrapNorJump) {
  constexpr int kMin = std::numeric_limits<int>::min(), kMax = std::numeric_limits<int>::max();
  const struct {
    int min, max, page, position;
    Qt::Key key;
    int expected;
  } cases[] = {
      {0, kMax, 0, kMax, Qt::Key_Right, kMax},
      {0, kMax, 0, kMax, Qt::Key_Left, kMax - 1},
      {kMin, kMax, 0, kMin, Qt::Key_Left, kMin},
      {kMin, kMax, 0, kMax, Qt::Key_Right, kMax},
      {kMin, kMax, 0, kMin, Qt::Key_Right, kMin + 1},
  };
  for (const auto& c : cases) {
    auto bar = MakeBar({sbHorizontal, 200, 19, c.min, c.max, c.page, c.position});
    bar->SetCanFocused(true);
    bar->show();
    QTest::keyClick(bar.get(), c.key);
    EXPECT_EQ(bar->Position(), c.expected) << c.min << ".." << c.max << " from " << c.position;
    // The thumb stays on the track.
    const TsfScrollBarLayout layout = bar->Layout();
    EXPECT_GE(layout.Parts[spThumb].Left, layout.Track.Left);
    EXPECT_LE(layout.Parts[spThumb].Right, layout.Track.Right);
    Shot(bar.get());
  }

  auto bar = MakeBar({sbVertical, 19, 153, 0, kMax, 0, 0});
  bar->SetPageSize(10);
  EXPECT_EQ(bar->PageSize(), 10) << "a page fits the widest range";
  bar->SetPosition(kMax);
  EXPECT_EQ(bar->Position(), kMax - 9);
  Shot(bar.get());

  // Min above Max and a page larger than the range keep the position at Min.
  bar->SetRangeAndPosition(50, 10, 0, 30);
  EXPECT_EQ(bar->Position(), 50);
  Shot(bar.get());
  bar->SetRangeAndPosition(0, 5, 100, 3);
  EXPECT_EQ(bar->Position(), 0);
  Shot(bar.get());
}

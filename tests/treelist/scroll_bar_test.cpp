// The plain vertical scroll bar the tree list scrolls with.
#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "platform/scroll_bar.h"

namespace {

TEST(ScrollBar, KeepsThePositionWithinTheRangeLessThePage) {
  TScrollBar bar;
  bar.SetParams(0, 29, 8, 100);
  EXPECT_EQ(bar.Position(), 22);  // 29 - 8 + 1
  bar.SetParams(0, 29, 8, -5);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetParams(0, 0, 5, 3);  // everything fits
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.PageSize(), 1);
}

TEST(ScrollBar, ThumbIsSizedByThePageAndPlacedByThePosition) {
  TScrollBar bar;
  bar.SetBounds(0, 0, 16, 16 * 2 + 100);  // a 100-pixel track
  bar.SetParams(0, 99, 25, 0);
  EXPECT_EQ(bar.ThumbRect(), TRect(0, 16, 16, 16 + 25));
  bar.SetParams(0, 99, 25, 75);  // the last position: the thumb touches the down button
  EXPECT_EQ(bar.ThumbRect(), TRect(0, 16 + 75, 16, 16 + 100));
  bar.SetParams(0, 9, 10, 0);  // the page covers the range: no thumb
  EXPECT_TRUE(bar.ThumbRect().IsEmpty());
}

TEST(ScrollBar, ReportsClicksAsScrollCodes) {
  TScrollBar bar;
  bar.SetBounds(0, 0, 16, 132);
  bar.SetParams(0, 99, 25, 40);
  std::vector<TScrollCode> codes;
  std::vector<int> positions;
  bar.OnScroll = [&](TObject*, TScrollCode code, int pos) {
    codes.push_back(code);
    positions.push_back(pos);
  };
  bar.show();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 4));
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 128));
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 20));   // track above the thumb
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(8, 110));  // track below it
  const std::vector<TScrollCode> expected = {scLineUp, scEndScroll, scLineDown, scEndScroll,
                                             scPageUp, scEndScroll, scPageDown, scEndScroll};
  EXPECT_EQ(codes, expected);
  // Dragging the thumb tracks positions and ends with the final one.
  codes.clear();
  positions.clear();
  const TRect thumb = bar.ThumbRect();
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(8, thumb.Top + 1));
  QTest::mouseMove(&bar, QPoint(8, thumb.Top + 1 + 10));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(8, thumb.Top + 1 + 10));
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes[codes.size() - 3], scTrack);
  EXPECT_EQ(codes[codes.size() - 2], scPosition);
  EXPECT_EQ(positions[positions.size() - 2], 50);  // 10 of 75 free pixels ≈ 10 of 75 positions
  EXPECT_EQ(codes.back(), scEndScroll);
}

TEST(ScrollBar, AHorizontalBarRunsLeftToRight) {
  TScrollBar bar;
  bar.SetHorizontal(true);
  bar.SetBounds(0, 0, 16 * 2 + 100, 16);
  bar.SetParams(0, 99, 25, 75);
  EXPECT_EQ(bar.UpButtonRect(), TRect(0, 0, 16, 16));
  EXPECT_EQ(bar.ThumbRect(), TRect(16 + 75, 0, 16 + 100, 16));
  std::vector<TScrollCode> codes;
  std::vector<int> positions;
  bar.OnScroll = [&](TObject*, TScrollCode code, int pos) {
    if (code == scEndScroll) return;
    codes.push_back(code);
    positions.push_back(pos);
  };
  bar.show();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(4, 8));    // left arrow
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(128, 8));  // right arrow
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(30, 8));   // track left of the thumb
  bar.SetParams(0, 99, 25, 0);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(100, 8));  // track right of it
  const std::vector<TScrollCode> expected = {scLineUp, scLineDown, scPageUp, scPageDown};
  EXPECT_EQ(codes, expected);
  // The thumb follows the pointer sideways; up and down do not count.
  codes.clear();
  positions.clear();
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(17, 8));
  QTest::mouseMove(&bar, QPoint(17 + 30, 40));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(17 + 30, 40));
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes.back(), scPosition);
  EXPECT_EQ(positions.back(), 30) << "30 of 75 free pixels: 30 of 75 positions";
}

}  // namespace

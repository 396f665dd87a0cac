#include <gtest/gtest.h>

#include <QtEndian>

#include "skin/render/mask_region.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

namespace {
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

TBitmap MaskFromRows(const std::vector<const char*>& rows) {
  const int h = int(rows.size()), w = int(strlen(rows[0]));
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, rows[size_t(y)][x] == '#' ? kBlack : kWhite);
  return TBitmap(img);
}

// A 12 x 10 frame mask with rounded corners and a notch in every band;
// client (3, 2, 9, 7); repeats: top 4..8, bottom 3..9, left 3..6, right 4..6.
TBitmap FrameMask() {
  return MaskFromRows({
      "...######...",
      ".##########.",
      "###.####.###",
      "###......###",
      ".##......#.#",
      "###......###",
      "#.#......###",
      "####.##.####",
      ".##########.",
      "...######...",
  });
}
TsfFramePoints FramePoints() {
  TsfFramePoints p;
  p.C = TRect(3, 2, 9, 7);
  p.LT = TPoint(4, 3);
  p.RT = TPoint(8, 4);
  p.LB = TPoint(3, 6);
  p.RB = TPoint(9, 6);
  return p;
}

QRegion BlackOf(const TBitmap& b, const QRegion& except = QRegion()) {
  QRegion r;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if ((b.Image().pixel(x, y) & 0xFFFFFF) == 0 && !except.contains(QPoint(x, y)))
        r += QRect(x, y, 1, 1);
  return r;
}
}  // namespace

TEST(BuildMaskRegionData, OneRectanglePerRunOfBlackPixels) {
  const TBitmap mask = MaskFromRows({"#.##", "...."});
  const auto data = BuildMaskRegionData(mask, 0, 0);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->Rects, (std::vector<TRect>{TRect(0, 0, 1, 1), TRect(2, 0, 4, 1)}));
  EXPECT_EQ(data->Bound, TRect(0, 0, 4, 2));
  EXPECT_EQ(data->ByteSize(), 32 + 2 * 16);

  const QByteArray bytes = data->ToBytes();
  ASSERT_EQ(bytes.size(), 64);
  const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
  const int want[16] = {32, 1, 2, 0, 0, 0, 4, 2, 0, 0, 1, 1, 2, 0, 4, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(qFromLittleEndian<qint32>(p + 4 * i), want[i]) << i;

  // Placed at an offset, rectangles and bound move with it.
  const auto moved = BuildMaskRegionData(mask, 5, -3);
  EXPECT_EQ(moved->Rects.front(), TRect(5, -3, 6, -2));
  EXPECT_EQ(moved->Bound, TRect(5, -3, 9, -1));
}

TEST(BuildMaskRegionData, OnlyPureBlackIsInside) {
  QImage img(3, 1, QImage::Format_RGB32);
  img.setPixel(0, 0, qRgb(1, 1, 1));
  img.setPixel(1, 0, qRgb(0, 0, 0));
  img.setPixel(2, 0, qRgb(0, 0, 1));
  const auto data = BuildMaskRegionData(TBitmap(img), 0, 0);
  EXPECT_EQ(data->Rects, (std::vector<TRect>{TRect(1, 0, 2, 1)}));

  const auto white = BuildMaskRegionData(Filled(5, 4, kWhite), 0, 0);
  ASSERT_TRUE(white);  // a header with no rectangles: an empty region
  EXPECT_EQ(white->Count(), 0);
  EXPECT_EQ(white->ByteSize(), 32);
  EXPECT_FALSE(BuildMaskRegionData(TBitmap(), 0, 0));
  EXPECT_TRUE(BuildMaskRegion(TBitmap()).IsEmpty());
}

TEST(BuildMaskRegionData, HasNoLimitOnTheNumberOfRuns) {
  // A 300 x 80 checkerboard has 150 runs a row: 12000 rectangles.
  QImage img(300, 80, QImage::Format_RGB32);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 300; ++x) img.setPixel(x, y, (x + y) % 2 ? kWhite : kBlack);
  const TsfRegion region = BuildMaskRegion(TBitmap(img));
  EXPECT_EQ(region.Rects.size(), 12000u);
  EXPECT_TRUE(region.Contains(TPoint(299, 79)));
  EXPECT_FALSE(region.Contains(TPoint(298, 79)));
  EXPECT_EQ(region.ToQRegion().rectCount(), 12000);
}

TEST(BuildFrameRegion, OwnSizeReproducesTheMaskBandsPlusTheClient) {
  const TBitmap mask = FrameMask();
  const TsfFramePoints k = FramePoints();
  const auto region = BuildFrameRegion(k, k, 12, 10, mask, QSize(12, 10));
  ASSERT_TRUE(region);
  const QRegion client(k.C.toQRect());
  EXPECT_EQ(region->ToQRegion(), BlackOf(mask, client) + client);
}

TEST(BuildFrameRegion, LargerSizesMatchTheMaskComposedAsAFrame) {
  const TBitmap mask = FrameMask();
  const TsfFramePoints k = FramePoints();
  const struct { int W, H; } sizes[] = {{13, 11}, {30, 17}, {57, 41}};
  for (const auto& sz : sizes) {
    const TsfFramePoints n = ScaleFramePoints(k, 12, 10, sz.W, sz.H);
    const auto region = BuildFrameRegion(k, n, sz.W, sz.H, mask);
    ASSERT_TRUE(region);
    // The mask composed as a tiled frame has the same bands.
    TBitmap frame;
    ComposeFrameBitmap(frame, k, n, sz.W, sz.H, TRect(0, 0, 12, 10), mask, TsfStretchFlags{},
                       false);
    const QRegion client(n.C.toQRect());
    EXPECT_EQ(region->ToQRegion(), BlackOf(frame, client) + client) << sz.W << "x" << sz.H;
  }
}

TEST(BuildFrameRegion, NoRegionForInvertedLayoutsEmptyClientsOrUnfitMasks) {
  const TBitmap mask = FrameMask();
  const TsfFramePoints k = FramePoints();
  // Narrower than the corners: RT'.x < LT'.x.
  EXPECT_FALSE(BuildFrameRegion(k, ScaleFramePoints(k, 12, 10, 7, 10), 7, 10, mask));
  // A client rect with no area.
  TsfFramePoints flat = ScaleFramePoints(k, 12, 10, 12, 10);
  flat.C.Bottom = flat.C.Top;
  EXPECT_FALSE(BuildFrameRegion(k, flat, 12, 10, mask));
  // A mask of the wrong size counts as no mask.
  EXPECT_FALSE(BuildFrameRegion(k, k, 12, 10, mask, QSize(14, 10)));
  EXPECT_FALSE(BuildFrameRegion(k, k, 12, 10, MaskFromRows({"####", "####"})));
  EXPECT_FALSE(BuildFrameRegion(k, k, 12, 10, TBitmap()));
}

TEST(ComposeMaskBorders, LaysThePartsOutAtTheNewSize) {
  const TBitmap mask = FrameMask();
  const TsfFramePoints k = FramePoints();
  const TsfFramePoints n = ScaleFramePoints(k, 12, 10, 20, 15);
  TsfMaskBorders parts;
  ComposeMaskBorders(parts, k, n, 20, mask);
  EXPECT_EQ(QSize(parts.Top.Width(), parts.Top.Height()), QSize(20, 2));
  EXPECT_EQ(QSize(parts.Bottom.Width(), parts.Bottom.Height()), QSize(20, 3));
  EXPECT_EQ(QSize(parts.Left.Width(), parts.Left.Height()), QSize(3, 10));
  EXPECT_EQ(QSize(parts.Right.Width(), parts.Right.Height()), QSize(3, 10));
  // Top band: left end 0..4, piece 4..8 repeated from 4 to RT'.x = 16, right end.
  for (int x = 0; x < 20; ++x) {
    const int sx = x < 4 ? x : x >= 16 ? x - 8 : 4 + (x - 4) % 4;
    EXPECT_EQ(parts.Top.Image().pixel(x, 0), mask.Image().pixel(sx, 0)) << x;
  }
  // Left band rows: C.top..LT.y (row 2), piece rows 3..5 repeated, LB.y..C.bottom at LB'.y.
  for (int r = 0; r < 10; ++r) {
    const int sy = r == 0 ? 2 : r >= 9 ? 6 : 3 + (r - 1) % 3;
    EXPECT_EQ(parts.Left.Image().pixel(0, r), mask.Image().pixel(0, sy)) << r;
  }
}

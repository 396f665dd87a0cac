#include <gtest/gtest.h>

#include <limits>

#include "skin/render/compose.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

namespace {

// A 20 x 16 skin rect at (2, 3) of a 30 x 25 picture. Top repeat 6..13 (7),
// bottom repeat 5..14 (9), left repeat 5..10 (5), right repeat 6..9 (3),
// client 12 x 9.
const TRect kS(2, 3, 22, 19);
TsfFramePoints SkinPoints() {
  TsfFramePoints p;
  p.LT = TPoint(6, 5);
  p.RT = TPoint(13, 6);
  p.LB = TPoint(5, 10);
  p.RB = TPoint(14, 9);
  p.C = TRect(4, 3, 16, 12);
  return p;
}

// Where pixel (x, y) of the frame tiled at W x H comes from, zone by zone.
QRgb TiledFrameOracle(int x, int y, int W, int H) {
  const TsfFramePoints k = SkinPoints();
  const int dx = W - kS.Width(), dy = H - kS.Height();
  auto s = [](int sx, int sy) { return Src(kS.Left + sx, kS.Top + sy); };
  if (y < k.C.Top) {
    if (x < k.LT.X) return s(x, y);
    if (x >= k.RT.X + dx) return s(x - dx, y);
    return s(k.LT.X + (x - k.LT.X) % 7, y);
  }
  if (y >= k.C.Bottom + dy) {
    const int sy = y - dy;
    if (x < k.LB.X) return s(x, sy);
    if (x >= k.RB.X + dx) return s(x - dx, sy);
    return s(k.LB.X + (x - k.LB.X) % 9, sy);
  }
  if (x < k.C.Left) {
    if (y < k.LT.Y) return s(x, y);
    if (y >= k.LB.Y + dy) return s(x, y - dy);
    return s(x, k.LT.Y + (y - k.LT.Y) % 5);
  }
  if (x >= k.C.Right + dx) {
    const int sx = x - dx;
    if (y < k.RT.Y) return s(sx, y);
    if (y >= k.RB.Y + dy) return s(sx, y - dy);
    return s(sx, k.RT.Y + (y - k.RT.Y) % 3);
  }
  return s(k.C.Left + (x - k.C.Left) % 12, k.C.Top + (y - k.C.Top) % 9);
}

TBitmap Frame(int W, int H, const TsfStretchFlags& flags, bool centre = true) {
  const TBitmap src = Distinct(30, 25);
  const TsfFramePoints k = SkinPoints();
  TBitmap out;
  ComposeFrameBitmap(out, k, ScaleFramePoints(k, kS.Width(), kS.Height(), W, H), W, H, kS, src,
                     flags, centre);
  return out;
}

}  // namespace

TEST(ScaleFramePoints, OwnSizeKeepsPointsAndMovesByTheGrowth) {
  const TsfFramePoints k = SkinPoints();
  EXPECT_EQ(ScaleFramePoints(k, 20, 16, 20, 16), k);
  const TsfFramePoints n = ScaleFramePoints(k, 20, 16, 27, 21);
  EXPECT_EQ(n.LT, TPoint(6, 5));
  EXPECT_EQ(n.RT, TPoint(20, 6));
  EXPECT_EQ(n.LB, TPoint(5, 15));
  EXPECT_EQ(n.RB, TPoint(21, 14));
  EXPECT_EQ(n.C, TRect(4, 3, 23, 17));
}

TEST(ComposeFrameBitmap, OwnSizeReproducesTheSkinRect) {
  // Whatever is stretched, at its own size every piece is a 1:1 copy.
  for (int mask = 0; mask < 64; ++mask) {
    TsfStretchFlags f;
    f.Left = mask & 1;
    f.Top = mask & 2;
    f.Right = mask & 4;
    f.Bottom = mask & 8;
    f.Effect = mask & 16;
    f.Mode = (mask & 32) ? smHorizontal : smFull;
    const TBitmap out = Frame(20, 16, f);
    ASSERT_EQ(out.Width(), 20);
    ASSERT_EQ(out.Height(), 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 20; ++x)
        ASSERT_EQ(At(out, x, y), Src(kS.Left + x, kS.Top + y)) << mask << " at " << x << "," << y;
  }
}

TEST(ComposeFrameBitmap, TiledFrameAtLargerSizesFollowsItsZones) {
  const struct { int W, H; } sizes[] = {{20, 16}, {21, 17}, {37, 27}, {63, 40}, {26, 16}};
  for (const auto& sz : sizes) {
    const TBitmap out = Frame(sz.W, sz.H, TsfStretchFlags{});
    for (int y = 0; y < sz.H; ++y)
      for (int x = 0; x < sz.W; ++x)
        ASSERT_EQ(At(out, x, y), TiledFrameOracle(x, y, sz.W, sz.H))
            << sz.W << "x" << sz.H << " at " << x << "," << y;
  }
}

TEST(ComposeFrameBitmap, StretchedPiecesUseThePlainScalingRule) {
  TsfStretchFlags f;
  f.Top = f.Left = f.Effect = true;
  f.Mode = smFull;
  const int W = 34, H = 23;  // dx = 14, dy = 7
  const TBitmap out = Frame(W, H, f);
  const TsfFramePoints k = SkinPoints();
  // Top edge: 7 source columns into 21, each repeated three times.
  for (int x = 6; x < 27; ++x)
    EXPECT_EQ(At(out, x, 1), Src(kS.Left + 6 + (x - 6) * 7 / 21, kS.Top + 1)) << x;
  // Left edge: 5 source rows into 12.
  for (int y = 5; y < 17; ++y)
    EXPECT_EQ(At(out, 2, y), Src(kS.Left + 2, kS.Top + 5 + (y - 5) * 5 / 12)) << y;
  // Centre: 12 x 9 into 26 x 16.
  for (int y = 3; y < 19; ++y)
    for (int x = 4; x < 30; ++x)
      ASSERT_EQ(At(out, x, y), Src(kS.Left + 4 + (x - 4) * 12 / 26, kS.Top + 3 + (y - 3) * 9 / 16));
  // The tiled right edge is untouched by the other flags.
  EXPECT_EQ(At(out, 31, 9), Src(kS.Left + 17, kS.Top + k.RT.Y + (9 - 6) % 3));
}

TEST(ComposeFrameBitmap, DegenerateSkinsGiveABlankResultOfTheRequestedSize) {
  const TBitmap src = Distinct(30, 25);
  TsfFramePoints k = SkinPoints();
  k.RB.X = k.LT.X;
  TBitmap out = Distinct(5, 5);
  ComposeFrameBitmap(out, k, ScaleFramePoints(k, 20, 16, 40, 30), 40, 30, kS, src,
                     TsfStretchFlags{}, true);
  ASSERT_EQ(out.Width(), 40);
  ASSERT_EQ(out.Height(), 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(At(out, x, y), qRgb(0, 0, 0));

  // An empty source likewise.
  ComposeFrameBitmap(out, SkinPoints(), SkinPoints(), 20, 16, kS, TBitmap(), TsfStretchFlags{},
                     true);
  EXPECT_EQ(out.Width(), 20);
  EXPECT_EQ(At(out, 0, 0), qRgb(0, 0, 0));
}

TEST(ComposeFrameBitmap, ZeroLengthRepeatPiecesAreLeftBlankNotDividedBy) {
  const TBitmap src = Distinct(30, 25);
  TsfFramePoints k = SkinPoints();
  k.RT.X = k.LT.X;  // empty top piece
  k.C.Right = k.C.Left;  // empty client piece
  TBitmap out;
  const int W = 40, H = 30;
  ComposeFrameBitmap(out, k, ScaleFramePoints(k, 20, 16, W, H), W, H, kS, src, TsfStretchFlags{},
                     true);
  ASSERT_EQ(out.Width(), W);
  EXPECT_EQ(At(out, 3, 0), Src(kS.Left + 3, kS.Top));  // corner still there
  EXPECT_EQ(At(out, 6, 1), qRgb(0, 0, 0));  // the empty top piece leaves its run blank
  EXPECT_EQ(At(out, 26, 1), Src(kS.Left + 6, kS.Top + 1));  // right corner at RT'.x = 6 + 20
  EXPECT_EQ(At(out, 10, 8), qRgb(0, 0, 0));  // empty client piece: no centre
}

TEST(ComposeFrameBitmap, SmallerThanItsFixedPartsKeepsCornersInPlace) {
  // 9 x 7 is below both the left and right corner pieces and the bands.
  const TBitmap out = Frame(9, 7, TsfStretchFlags{});
  ASSERT_EQ(out.Width(), 9);
  ASSERT_EQ(out.Height(), 7);
  // Corner pieces at their places; later pieces overlap earlier ones.
  EXPECT_EQ(At(out, 1, 0), Src(kS.Left + 1, kS.Top));
  EXPECT_EQ(At(out, 2, 0), Src(kS.Left + 13, kS.Top));      // top-right piece from RT'.x = 2
  EXPECT_EQ(At(out, 2, 2), Src(kS.Left + 2, kS.Top + 11));  // lower-left piece from LB'.y = 1
  EXPECT_EQ(At(out, 8, 6), Src(kS.Left + 19, kS.Top + 15));
}

TEST(ComposeFrameBitmap, SourceRectOutsideThePictureIsClipped) {
  // The skin rect reaches 6 columns and 4 rows past a 16 x 15 picture.
  const TBitmap src = Distinct(16, 15);
  const TsfFramePoints k = SkinPoints();
  TBitmap out;
  ComposeFrameBitmap(out, k, ScaleFramePoints(k, 20, 16, 50, 40), 50, 40, kS, src,
                     TsfStretchFlags{}, true);
  ASSERT_EQ(out.Width(), 50);
  EXPECT_EQ(At(out, 0, 0), Src(2, 3));
  EXPECT_EQ(At(out, 49, 39), qRgb(0, 0, 0));  // bottom-right corner lies outside the picture
}

TEST(ComposeFrameBitmap, HorizontalCentreModeRepeatsAScaledPiece) {
  TsfStretchFlags f;
  f.Effect = true;
  f.Mode = smVertical;
  const int W = 20 + 13, H = 16 + 11;  // client 25 x 20
  const TBitmap out = Frame(W, H, f);
  // Vertical: scaled to the client width (25) and its own height (9), repeated down.
  for (int y = 3; y < 23; ++y)
    for (int x = 4; x < 29; ++x)
      ASSERT_EQ(At(out, x, y), Src(kS.Left + 4 + (x - 4) * 12 / 25, kS.Top + 3 + (y - 3) % 9));
}

TEST(ComposeFrameBitmapOpenRight, EdgesRunToTheRightBorder) {
  const TBitmap src = Distinct(30, 25);
  const TsfFramePoints k = SkinPoints();
  const int W = 41, H = 16;
  TBitmap out;
  ComposeFrameBitmapOpenRight(out, k, ScaleFramePoints(k, 20, 16, W, H), W, H, kS, src,
                              TsfStretchFlags{}, true);
  for (int x = 6; x < W; ++x) EXPECT_EQ(At(out, x, 0), Src(kS.Left + 6 + (x - 6) % 7, kS.Top));
  for (int x = 5; x < W; ++x) EXPECT_EQ(At(out, x, 15), Src(kS.Left + 5 + (x - 5) % 9, kS.Top + 15));
  // The centre reaches the right border; no right edge or right corners.
  for (int x = 4; x < W; ++x)
    EXPECT_EQ(At(out, x, 7), Src(kS.Left + 4 + (x - 4) % 12, kS.Top + 7)) << x;
}

TEST(ComposeWholeBitmap, KeepsTheBorderAndStretchesTheRest) {
  const TBitmap src = Distinct(30, 25);
  const TRect C(4, 3, 16, 12);
  TBitmap out = Filled(20, 16, qRgb(1, 2, 3));
  ComposeWholeBitmap(out, src, kS, C, true);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(out, x, y), Src(kS.Left + x, kS.Top + y));

  out = Filled(44, 25, qRgb(1, 2, 3));  // client 36 x 18
  ComposeWholeBitmap(out, src, kS, C, false);
  EXPECT_EQ(At(out, 0, 0), Src(kS.Left, kS.Top));
  EXPECT_EQ(At(out, 43, 24), Src(kS.Right - 1, kS.Bottom - 1));
  EXPECT_EQ(At(out, 40, 0), Src(kS.Left + 16, kS.Top));  // top-right corner piece
  EXPECT_EQ(At(out, 4 + 35, 1), Src(kS.Left + 4 + 35 * 12 / 36, kS.Top + 1));
  EXPECT_EQ(At(out, 10, 10), qRgb(0, 0, 0));  // no centre drawn
}

TEST(ComposeHStrip, TilesTheMiddleAndCutsTheLastPiece) {
  // L = 4, a 10-pixel middle, R = 3; W = 30 tiles the middle from 4 to 27:
  // pieces at 4, 14 and 24, the last cut to 3 pixels.
  const TBitmap src = Distinct(20, 6);
  const TRect S(1, 1, 18, 5);
  TBitmap out;
  ComposeHStrip(4, 3, out, src, S, 30, false);
  ASSERT_EQ(out.Width(), 30);
  ASSERT_EQ(out.Height(), 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(At(out, x, y), Src(1 + x, 1 + y));
    for (int x = 4; x < 27; ++x) EXPECT_EQ(At(out, x, y), Src(5 + (x - 4) % 10, 1 + y)) << x;
    for (int x = 27; x < 30; ++x) EXPECT_EQ(At(out, x, y), Src(15 + x - 27, 1 + y));
  }
  // The cut piece keeps its near side: columns 24..26 are the piece's first three.
  EXPECT_EQ(At(out, 26, 0), Src(7, 1));
}

TEST(ComposeHStrip, VariantsAndStretch) {
  const TBitmap src = Distinct(20, 6);
  const TRect S(1, 1, 18, 5);  // L 4, middle 10 (5..15), R 3
  TBitmap out;
  ComposeHStripLeft(4, 3, out, src, S, 25, false);
  for (int x = 4; x < 25; ++x) EXPECT_EQ(At(out, x, 2), Src(5 + (x - 4) % 10, 3));
  ComposeHStripMiddle(4, 3, out, src, S, 25, false);
  for (int x = 0; x < 25; ++x) EXPECT_EQ(At(out, x, 2), Src(5 + x % 10, 3));
  ComposeHStrip(4, 3, out, src, S, 27, true);  // middle 10 -> 20
  for (int x = 4; x < 24; ++x) EXPECT_EQ(At(out, x, 0), Src(5 + (x - 4) / 2, 1));
  EXPECT_EQ(At(out, 26, 0), Src(17, 1));
}

TEST(ComposeHStrip, EmptyMiddleRepeatsOneColumn) {
  const TBitmap src = Distinct(20, 6);
  const TRect S(0, 0, 7, 3);
  TBitmap out;
  ComposeHStrip(4, 3, out, src, S, 15, false);  // L + R = 7: the middle has width 0
  for (int x = 4; x < 12; ++x) EXPECT_EQ(At(out, x, 1), Src(4, 1)) << x;
  EXPECT_EQ(At(out, 12, 1), Src(4, 1));
  EXPECT_EQ(At(out, 14, 1), Src(6, 1));
  // Narrower than its ends: both ends at their places, the right one wins the overlap.
  ComposeHStrip(4, 3, out, src, S, 5, false);
  ASSERT_EQ(out.Width(), 5);
  EXPECT_EQ(At(out, 0, 0), Src(0, 0));
  EXPECT_EQ(At(out, 2, 0), Src(4, 0));
}

TEST(ComposeVStrip, TilesTheMiddleDownwards) {
  const TBitmap src = Distinct(6, 20);
  const TRect S(1, 2, 5, 14);  // T 3, middle 6, B 3
  TBitmap out;
  ComposeVStrip(3, 3, out, src, S, 25, false);
  ASSERT_EQ(out.Width(), 4);
  ASSERT_EQ(out.Height(), 25);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(At(out, 1, y), Src(2, 2 + y));
  for (int y = 3; y < 22; ++y) EXPECT_EQ(At(out, 1, y), Src(2, 5 + (y - 3) % 6)) << y;
  for (int y = 22; y < 25; ++y) EXPECT_EQ(At(out, 1, y), Src(2, 11 + y - 22));
  ComposeVStrip(3, 3, out, src, S, 18, true);  // middle 6 -> 12
  for (int y = 3; y < 15; ++y) EXPECT_EQ(At(out, 0, y), Src(1, 5 + (y - 3) / 2));
}

TEST(ComposeClientFill, HorizontalModeLaysScaledCopiesSideBySide) {
  // A 16 x 16 client piece in a 40 x 30 area: three 16 x 30 copies at 0, 16, 32.
  const TBitmap src = Distinct(24, 24);
  const TRect S(2, 2, 22, 22);
  const TRect C(2, 2, 18, 18);
  TBitmap out;
  ComposeClientFill(C, TRect(0, 0, 40, 30), out, 40, 30, S, src, true, smHorizontal);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(At(out, x, y), Src(4 + x % 16, 4 + y * 16 / 30)) << x << "," << y;
}

TEST(ComposeClientFill, TilesFromTheOriginOverTheTargetSize) {
  const TBitmap src = Distinct(24, 24);
  const TRect S(2, 2, 22, 22);
  const TRect C(2, 2, 7, 5);  // 5 x 3 piece at (4, 4)
  TBitmap out;
  // The target's left and top do not move the tiling; its size bounds it.
  ComposeClientFill(C, TRect(10, 10, 22, 17), out, 20, 12, S, src, false, smFull);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      const QRgb want = (x < 12 && y < 7) ? Src(4 + x % 5, 4 + y % 3) : qRgb(0, 0, 0);
      ASSERT_EQ(At(out, x, y), want) << x << "," << y;
    }
  // Full stretch into the target rect, vertical mode repeats downwards.
  ComposeClientFill(C, TRect(2, 1, 12, 7), out, 20, 12, S, src, true, smFull);
  EXPECT_EQ(At(out, 2, 1), Src(4, 4));
  EXPECT_EQ(At(out, 11, 6), Src(8, 6));
  EXPECT_EQ(At(out, 1, 1), qRgb(0, 0, 0));
  ComposeClientFill(C, TRect(2, 1, 12, 9), out, 20, 12, S, src, true, smVertical);
  for (int y = 1; y < 9; ++y) EXPECT_EQ(At(out, 11, y), Src(8, 4 + (y - 1) % 3));
  // An empty target draws nothing.
  ComposeClientFill(C, TRect(2, 1, 2, 9), out, 20, 12, S, src, true, smFull);
  EXPECT_EQ(At(out, 2, 1), qRgb(0, 0, 0));
}

TEST(ComposeFrameBorders, OwnSizeGivesTheFourBandsOfTheSkinRect) {
  const TBitmap src = Distinct(30, 25);
  const TsfFramePoints k = SkinPoints();
  TsfFrameBorders b;
  ComposeFrameBorders(b, k, k, 20, 16, kS, src, TsfStretchFlags{});
  ASSERT_EQ(b.Top.Width(), 20);
  ASSERT_EQ(b.Top.Height(), 3);
  ASSERT_EQ(b.Bottom.Width(), 20);
  ASSERT_EQ(b.Bottom.Height(), 4);
  ASSERT_EQ(b.Left.Width(), 4);
  ASSERT_EQ(b.Left.Height(), 9);
  ASSERT_EQ(b.Right.Width(), 4);
  ASSERT_EQ(b.Right.Height(), 9);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(b.Top, x, y), Src(kS.Left + x, kS.Top + y));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(At(b.Bottom, x, y), Src(kS.Left + x, kS.Top + 12 + y));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 4; ++x) {
      ASSERT_EQ(At(b.Left, x, y), Src(kS.Left + x, kS.Top + 3 + y));
      ASSERT_EQ(At(b.Right, x, y), Src(kS.Left + 16 + x, kS.Top + 3 + y));
    }
}

TEST(ComposeFrameBorders, LargerSizeMatchesTheComposedFrame) {
  const TBitmap src = Distinct(30, 25);
  const TsfFramePoints k = SkinPoints();
  const int W = 47, H = 33;
  TsfFrameBorders b;
  ComposeFrameBorders(b, k, ScaleFramePoints(k, 20, 16, W, H), W, H, kS, src, TsfStretchFlags{});
  const int bottomTop = H - b.Bottom.Height();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      QRgb got;
      if (y < 3) got = At(b.Top, x, y);
      else if (y >= bottomTop) got = At(b.Bottom, x, y - bottomTop);
      else if (x < 4) got = At(b.Left, x, y - 3);
      else if (x >= W - 4) got = At(b.Right, x - (W - 4), y - 3);
      else continue;
      ASSERT_EQ(got, TiledFrameOracle(x, y, W, H)) << x << "," << y;
    }
}

TEST(ComposeFrameBorders, PartsThatCannotBeMadeAreEmptied) {
  const TBitmap src = Distinct(30, 25);
  TsfFramePoints k = SkinPoints();
  k.RT.X = k.LT.X;  // no top repeat piece
  k.RB.Y = k.RT.Y;  // no right repeat piece
  TsfFrameBorders b;
  b.Top = Distinct(9, 9);
  b.Right = Distinct(9, 9);
  ComposeFrameBorders(b, k, ScaleFramePoints(k, 20, 16, 30, 20), 30, 20, kS, src,
                      TsfStretchFlags{});
  EXPECT_TRUE(b.Top.Empty());
  EXPECT_TRUE(b.Right.Empty());
  EXPECT_FALSE(b.Left.Empty());
  // With no top part the left part spans from the window's top.
  EXPECT_EQ(b.Left.Height(), 20 - b.Bottom.Height());
  EXPECT_EQ(At(b.Left, 1, 3), Src(kS.Left + 1, kS.Top + 3));
}

TEST(DrawStripGlyph, DrawsTheNthGlyphKeyedOnItsBottomLeftPixel) {
  // A 64 x 8 strip of four glyphs; glyph 2 is columns 16..31.
  TBitmap strip = Distinct(64, 8);
  const QRgb key = qRgb(200, 100, 50);
  strip.Image().setPixel(16, 7, key);
  strip.Image().setPixel(20, 3, key);
  TBitmap canvasBmp = Filled(40, 20, qRgb(255, 255, 255));
  DrawStripGlyph(canvasBmp.Canvas(), 5, 6, 2, 4, strip);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      const QRgb want = (x == 0 && y == 7) || (x == 4 && y == 3) ? qRgb(255, 255, 255)
                                                                   : Src(16 + x, y);
      ASSERT_EQ(At(canvasBmp, 5 + x, 6 + y), want) << x << "," << y;
    }
  EXPECT_EQ(At(canvasBmp, 4, 6), qRgb(255, 255, 255));
  EXPECT_EQ(At(canvasBmp, 21, 6), qRgb(255, 255, 255));

  // Out-of-range glyph numbers and empty strips draw nothing.
  TBitmap blank = Filled(10, 10, qRgb(255, 255, 255));
  DrawStripGlyph(blank.Canvas(), 0, 0, 5, 4, strip);
  DrawStripGlyph(blank.Canvas(), 0, 0, 1, 0, strip);
  DrawStripGlyph(blank.Canvas(), 0, 0, 1, 1, TBitmap());
  EXPECT_EQ(At(blank, 0, 0), qRgb(255, 255, 255));
}

TEST(ComposeClientFill, PiecesAreClippedToThePictureBeforeAnythingIsSized) {
  // clientrect=2,2,2000000,14 on a 16 x 16 picture: the piece is the part
  // inside the picture, in every mode, and a huge target costs only what
  // the result shows.
  const TBitmap src = Distinct(16, 16);
  const TRect S(0, 0, 16, 16);
  const TRect huge(2, 2, 2000000, 14), inside(2, 2, 16, 14);
  struct Case {
    const char* name;
    bool stretch;
    TsfStretchMode mode;
  };
  const Case cases[] = {{"tile", false, smFull},
                        {"full", true, smFull},
                        {"horizontal", true, smHorizontal},
                        {"vertical", true, smVertical}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap got, want;
    ComposeClientFill(huge, TRect(0, 0, 40, 30), got, 40, 30, S, src, c.stretch, c.mode);
    ComposeClientFill(inside, TRect(0, 0, 40, 30), want, 40, 30, S, src, c.stretch, c.mode);
    EXPECT_EQ(got.Image(), want.Image());
  }
  // A target far larger than the result: the horizontal mode scales the
  // piece to the target's height (rows 2..13 over 2,000,000 rows), so the
  // 30 rows shown all come from the piece's first row.
  TBitmap tall;
  ComposeClientFill(inside, TRect(0, 0, 40, 2000000), tall, 40, 30, S, src, true, smHorizontal);
  for (int y = 0; y < 30; ++y) ASSERT_EQ(At(tall, 17, y), Src(5, 2)) << y;
  TBitmap wide;
  ComposeClientFill(inside, TRect(0, 0, 2000000, 30), wide, 40, 30, S, src, true, smVertical);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(At(wide, x, 13), Src(2, 3)) << x;
}

TEST(Compose, ValuesNearTheIntLimitsDrawWithoutOverflow) {
  // Run under the undefined-behaviour sanitizer: every sum below would
  // overflow an int without the caps.
  const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
  const TBitmap src = Distinct(16, 16);
  TsfFramePoints k;
  k.LT = TPoint(big, big);
  k.RT = TPoint(small, 4);
  k.LB = TPoint(4, small);
  k.RB = TPoint(big, big);
  k.C = TRect(small, small, big, big);
  const TRect S(small, small, big, big);
  TsfStretchFlags flags;
  flags.Effect = true;
  for (TsfStretchMode mode : {smFull, smHorizontal, smVertical}) {
    flags.Mode = mode;
    TBitmap out;
    const TsfFramePoints laid = ScaleFramePoints(k, big, small, 20, 10);
    ComposeFrameBitmap(out, k, laid, 20, 10, S, src, flags, true);
    EXPECT_EQ(out.Width(), 20);
    ComposeFrameBitmapOpenRight(out, k, laid, 20, 10, S, src, flags, true);
    TsfFrameBorders borders;
    ComposeFrameBorders(borders, k, laid, 20, 10, S, src, flags);
    ComposeClientFill(k.C, TRect(small, small, big, big), out, 20, 10, S, src, true, mode);
    EXPECT_EQ(out.Height(), 10);
  }
  TBitmap out(20, 10);
  ComposeWholeBitmap(out, src, S, TRect(small, 2, big, 3), true);
  ComposeHStrip(big, small, out, src, TRect(0, 0, big, 16), 30, false);
  ComposeHStripLeft(small, big, out, src, TRect(small, 0, big, 16), 40, true);
  ComposeVStrip(big, big, out, src, TRect(0, small, 16, big), 30, true);
  EXPECT_EQ(TRect(big - 1, 0, big, 1).Intersect(TRect(0, 0, 16, 16)), TRect());
}

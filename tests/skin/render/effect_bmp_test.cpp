#include <gtest/gtest.h>

#include <limits>

#include "skin/render/effect_bmp.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

namespace {
TsfEffectBmp Solid(int w, int h, QRgb c) { return TsfEffectBmp(Filled(w, h, c)); }
int Red(const TsfEffectBmp& b, int x, int y) { return qRed(b.Pixel(x, y)); }

TsfEffectBmp Grey(const std::vector<std::vector<int>>& rows) {
  TsfEffectBmp b(int(rows[0].size()), int(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x)
      b.SetPixel(int(x), int(y), qRgb(rows[y][x], rows[y][x], rows[y][x]));
  return b;
}
}  // namespace

TEST(TsfEffectBmp, KeepsPaddedBgrRowsAndRoundTrips) {
  const TBitmap src = Distinct(5, 3);
  const TsfEffectBmp b(src);
  EXPECT_EQ(b.RowSize(), 16);  // 5 x 3 bytes + 1 padding byte
  EXPECT_EQ(b.ScanLine(1)[3 * 2], 7);      // blue of (2, 1)
  EXPECT_EQ(b.ScanLine(1)[3 * 2 + 1], 1);  // green
  EXPECT_EQ(b.ScanLine(1)[3 * 2 + 2], 2);  // red
  EXPECT_EQ(b.ToImage(), src.Image());
  EXPECT_EQ(TsfEffectBmp(4, 1).RowSize(), 12);
  const TsfFBitmap fast(src);
  EXPECT_EQ(fast.Row(2) - fast.Row(0), 2 * 16);
  EXPECT_EQ(fast.Row(2)[3 * 4 + 2], 4);  // red of (4, 2)
}

TEST(TsfEffectBmp, PointEffectsAtTheirStatedValues) {
  struct Case {
    const char* name;
    QRgb in;
    void (*apply)(TsfEffectBmp&);
    QRgb out;
  };
  const Case cases[] = {
      {"brighten black", qRgb(0, 0, 0), [](TsfEffectBmp& b) { b.Brighten(0.5); }, qRgb(128, 128, 128)},
      {"brighten white", qRgb(255, 255, 255), [](TsfEffectBmp& b) { b.Brighten(0.5); }, qRgb(255, 255, 255)},
      {"brighten 1", qRgb(1, 3, 5), [](TsfEffectBmp& b) { b.Brighten(0.5); }, qRgb(128, 129, 130)},
      {"darken 100", qRgb(100, 100, 100), [](TsfEffectBmp& b) { b.Darken(0.3); }, qRgb(70, 70, 70)},
      {"darken 255", qRgb(255, 10, 0), [](TsfEffectBmp& b) { b.Darken(0.3); }, qRgb(178, 7, 0)},
      {"grey red", qRgb(255, 0, 0), [](TsfEffectBmp& b) { b.Grayscale(); }, qRgb(76, 76, 76)},
      {"grey mix", qRgb(10, 100, 200), [](TsfEffectBmp& b) { b.Grayscale(); }, qRgb(84, 84, 84)},
      {"invert", qRgb(0, 100, 255), [](TsfEffectBmp& b) { b.Invert(); }, qRgb(255, 155, 0)},
      {"inactive 0", qRgb(0, 0, 0), [](TsfEffectBmp& b) { b.ApplyInactiveEffect(0); }, qRgb(128, 128, 128)},
      {"inactive 1", qRgb(100, 100, 100), [](TsfEffectBmp& b) { b.ApplyInactiveEffect(1); }, qRgb(70, 70, 70)},
      {"inactive 2", qRgb(255, 0, 0), [](TsfEffectBmp& b) { b.ApplyInactiveEffect(2); }, qRgb(76, 76, 76)},
      {"inactive 5", qRgb(1, 2, 3), [](TsfEffectBmp& b) { b.ApplyInactiveEffect(5); }, qRgb(254, 253, 252)},
  };
  for (const Case& c : cases) {
    TsfEffectBmp b = Solid(3, 2, c.in);
    c.apply(b);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) ASSERT_EQ(b.Pixel(x, y), c.out) << c.name;
  }
}

TEST(TsfEffectBmp, InvertTwiceGivesTheImageBack) {
  const TBitmap src = Distinct(7, 5);
  TsfEffectBmp b(src);
  b.Invert();
  EXPECT_EQ(b.Pixel(3, 2), qRgb(255 - 3, 255 - 2, 255 - 7));
  b.Invert();
  EXPECT_EQ(b.ToImage(), src.Image());
}

TEST(TsfEffectBmp, NoiseMovesAllChannelsOfAPixelByOneDrawInRange) {
  TsfEffectBmp b = Solid(20, 20, qRgb(100, 120, 140));
  b.AddNoise(50);
  bool varied = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) {
      const int r = qRed(b.Pixel(x, y)) - 100;
      ASSERT_GE(r, -25);
      ASSERT_LE(r, 24);
      ASSERT_EQ(qGreen(b.Pixel(x, y)) - 120, r);
      ASSERT_EQ(qBlue(b.Pixel(x, y)) - 140, r);
      varied = varied || r != qRed(b.Pixel(0, 0)) - 100;
    }
  EXPECT_TRUE(varied);
  TsfEffectBmp same = Solid(2, 2, qRgb(9, 9, 9));
  same.AddNoise(0);
  EXPECT_EQ(same.Pixel(1, 1), qRgb(9, 9, 9));
}

TEST(TsfEffectBmp, SplitBlurWorksInPlaceTopDown) {
  TsfEffectBmp b = Grey({{0, 40, 80}, {120, 160, 200}});
  b.SplitBlur(1);
  // Row 0 from the original rows; row 1 from the blurred row 0 and itself.
  const int want[2][3] = {{80, 100, 120}, {115, 130, 145}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Red(b, x, y), want[y][x]) << x << "," << y;
}

TEST(TsfEffectBmp, BlendClampsItsFactorAndRoundsHalvesToEven) {
  TsfEffectBmp own = Grey({{0, 0, 10}});
  const TsfEffectBmp other = Grey({{1, 3, 20}});
  TsfEffectBmp half = own;
  half.Blend(other, 0.5);
  EXPECT_EQ(Red(half, 0, 0), 0);   // 0.5
  EXPECT_EQ(Red(half, 1, 0), 2);   // 1.5
  EXPECT_EQ(Red(half, 2, 0), 15);
  TsfEffectBmp over = own;
  over.Blend(other, 1.5);
  EXPECT_EQ(over.ToImage(), other.ToImage());
  TsfEffectBmp under = own;
  under.Blend(other, -1);
  EXPECT_EQ(under.ToImage(), own.ToImage());
  // Different sizes: nothing happens, for every blend.
  for (int kind = 0; kind <= 6; ++kind) {
    TsfEffectBmp b = own;
    b.Morph(kind, Grey({{1, 3}}), 0.5);
    EXPECT_EQ(b.ToImage(), own.ToImage()) << kind;
  }
}

TEST(TsfEffectBmp, GradientsMixByTheirWeights) {
  struct Case {
    const char* name;
    int kind, w, h;
    double k;
    std::vector<int> line;  // red along the first row (or column when h > w)
  };
  // own is black, other is 200 (210 for the centre ones, divisible by 3).
  const Case cases[] = {
      {"left k=0", 2, 100, 1, 0.0, {200, 0, 0, 0}},
      {"left k=.5", 2, 10, 1, 0.5, {200, 160, 120, 80, 40, 0, 0, 0, 0, 0}},
      {"right k=.5", 3, 10, 1, 0.5, {0, 0, 0, 0, 0, 40, 80, 120, 160, 200}},
      {"centre h", 1, 10, 2, 0.4, {0, 70, 140, 210, 210, 210, 210, 210, 140, 70}},
      {"centre v", 1, 2, 10, 0.4, {0, 0, 105, 210, 210, 210, 210, 210, 105, 0}},
      {"centre v step 0", 1, 1, 3, 0.5, {210, 210, 210}},
  };
  for (const Case& c : cases) {
    const int value = c.kind == 1 ? 210 : 200;
    TsfEffectBmp own = Solid(c.w, c.h, qRgb(0, 0, 0));
    own.Morph(c.kind, Solid(c.w, c.h, qRgb(value, value, value)), c.k);
    for (size_t i = 0; i < c.line.size(); ++i) {
      const int x = c.h > c.w ? 0 : int(i), y = c.h > c.w ? int(i) : 0;
      EXPECT_EQ(Red(own, x, y), c.line[i]) << c.name << " at " << i;
    }
  }
}

TEST(TsfEffectBmp, SlidesAndPushMoveColumns) {
  const TsfEffectBmp own(Distinct(10, 2, 1));
  const TsfEffectBmp other(Distinct(10, 2, 2));
  struct Case {
    const char* name;
    int kind;
    double k;
    std::vector<QRgb> row;
  };
  auto O = [](int x) { return qRgb(x, 0, 1); };
  auto T = [](int x) { return qRgb(x, 0, 2); };
  const Case cases[] = {
      {"slide left", 4, 0.5, {T(5), T(6), T(7), T(8), T(9), O(5), O(6), O(7), O(8), O(9)}},
      {"slide right", 5, 0.3, {O(0), O(1), O(2), O(3), O(4), O(5), O(6), T(0), T(1), T(2)}},
      {"slide left k=0 is one column", 4, 0.0,
       {T(9), O(1), O(2), O(3), O(4), O(5), O(6), O(7), O(8), O(9)}},
      {"push", 6, 0.3, {T(6), T(7), T(8), T(9), O(0), O(1), O(2), O(3), O(4), O(5)}},
      {"push k=0", 6, 0.0, {T(9), O(0), O(1), O(2), O(3), O(4), O(5), O(6), O(7), O(8)}},
  };
  for (const Case& c : cases) {
    TsfEffectBmp b = own;
    b.Morph(c.kind, other, c.k);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(b.Pixel(x, 0), c.row[size_t(x)]) << c.name << " at " << x;
  }
}

TEST(TsfEffectBmp, OnePixelWideBlendsDoNotDivideByZero) {
  // The gradients, slides and push on one column (the plain blend mixes).
  for (int kind = 1; kind <= 6; ++kind) {
    for (double k : {0.0, 0.4, 1.0}) {
      TsfEffectBmp b = Solid(1, 3, qRgb(0, 0, 0));
      b.Morph(kind, Solid(1, 3, qRgb(200, 200, 200)), k);
      const int r = Red(b, 0, 1);
      EXPECT_TRUE(r == 0 || r == 200) << kind << " " << k << " gave " << r;
    }
  }
  TsfEffectBmp b = Solid(1, 1, qRgb(0, 0, 0));
  b.SlideFromLeft(Solid(1, 1, qRgb(9, 9, 9)), 1.0);
  EXPECT_EQ(Red(b, 0, 0), 9);
  b = Solid(1, 1, qRgb(0, 0, 0));
  b.LeftGradient(Solid(1, 1, qRgb(9, 9, 9)), 0.4);
  EXPECT_EQ(Red(b, 0, 0), 0);
}

TEST(TsfEffectBmp, FactorsOutsideZeroToOneActAsTheNearestEnd) {
  // The morphs pass their factor unclamped; beyond the ends (and NaN, which
  // counts as 0) every blend stays inside the picture.
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Factor {
    double k, same;
  };
  const Factor factors[] = {{-0.5, 0}, {-5, 0}, {-1e300, 0}, {-inf, 0}, {nan, 0},
                            {1.5, 1},  {7, 1},  {1e300, 1},  {inf, 1}};
  const QSize sizes[] = {{10, 2}, {2, 10}, {1, 1}, {3, 3}, {1, 4}};
  for (const QSize& size : sizes)
    for (int kind = 0; kind <= 6; ++kind)
      for (const Factor& f : factors) {
        const TsfEffectBmp own(Distinct(size.width(), size.height(), 1));
        const TsfEffectBmp other(Distinct(size.width(), size.height(), 2));
        TsfEffectBmp got = own, want = own;
        got.Morph(kind, other, f.k);
        want.Morph(kind, other, f.same);
        EXPECT_EQ(got.ToImage(), want.ToImage())
            << "kind " << kind << " k " << f.k << " size " << size.width() << "x" << size.height();
      }
}

#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>
#include <random>

#include "skin/render/alpha_bitmap.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

TEST(TsfBitmap, SizeRules) {
  TsfBitmap b;
  b.SetSize(0, 5);
  EXPECT_TRUE(b.Empty());
  b.SetSize(-4, 3);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.Pixel(3, 2), 0u);  // a new size starts transparent black
  b.SetPixel(1, 1, 0x80112233u);
  b.SetSize(4, 3);  // same size: kept
  EXPECT_EQ(b.Pixel(1, 1), 0x80112233u);
  b.SetSize(0, 0);
  EXPECT_EQ(b.Width(), 4);
  try {
    b.SetSize(200000, 200000);
    FAIL() << "no error for an impossible size";
  } catch (const ESkinBitmapError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Can't allocate the DIB handle"));
  }
}

TEST(TsfBitmap, AlphaDrawingUsesItsOwnFormula) {
  TsfBitmap b(4, 1);
  b.SetPixel(0, 0, qRgba(200, 10, 255, 0));
  b.SetPixel(1, 0, qRgba(200, 10, 255, 255));
  b.SetPixel(2, 0, qRgba(200, 10, 255, 128));
  b.SetPixel(3, 0, qRgba(200, 10, 255, 1));
  b.UseAlpha = true;
  TBitmap target = Filled(6, 3, qRgb(100, 100, 100));
  b.Draw(target.Canvas(), 1, 1);
  EXPECT_EQ(At(target, 1, 1), qRgb(100, 100, 100));  // alpha 0 keeps the destination
  EXPECT_EQ(At(target, 2, 1), qRgb(200, 10, 255));   // alpha 255 replaces it
  // (a * s + (255 - a) * d) div 256
  EXPECT_EQ(At(target, 3, 1), qRgb((128 * 200 + 127 * 100) / 256, (128 * 10 + 127 * 100) / 256,
                                   (128 * 255 + 127 * 100) / 256));
  EXPECT_EQ(At(target, 4, 1), qRgb((200 + 254 * 100) / 256, (10 + 254 * 100) / 256,
                                   (255 + 254 * 100) / 256));
  EXPECT_EQ(At(target, 0, 1), qRgb(100, 100, 100));
}

TEST(TsfBitmap, ColorKeyAndPlainCopies) {
  TsfBitmap b(2, 2);
  b.Fill(qRgba(10, 20, 30, 0));
  b.SetPixel(1, 0, qRgba(127, 0, 127, 255));
  b.SetPixel(0, 1, qRgba(127, 0, 128, 255));
  b.UseColorKey = true;
  TBitmap target = Filled(4, 4, qRgb(1, 2, 3));
  b.Draw(target.Canvas(), 0, 0);
  EXPECT_EQ(At(target, 0, 0), qRgb(10, 20, 30));  // copied with alpha 255
  EXPECT_EQ(At(target, 1, 0), qRgb(1, 2, 3));     // exactly the key: skipped
  EXPECT_EQ(At(target, 0, 1), qRgb(127, 0, 128));

  // Neither flag: a plain scaled copy, honouring the canvas's origin.
  TsfBitmap plain(2, 1);
  plain.SetPixel(0, 0, qRgba(50, 0, 0, 0));
  plain.SetPixel(1, 0, qRgba(0, 60, 0, 0));
  TBitmap wide = Filled(8, 2, qRgb(1, 2, 3));
  TCanvas* c = wide.Canvas();
  c->Painter()->translate(2, 1);
  plain.Draw(c, TRect(0, 0, 4, 1), TRect(0, 0, 2, 1));
  c->Painter()->resetTransform();
  const QRgb want[8] = {qRgb(1, 2, 3),  qRgb(1, 2, 3),  qRgb(50, 0, 0), qRgb(50, 0, 0),
                        qRgb(0, 60, 0), qRgb(0, 60, 0), qRgb(1, 2, 3),  qRgb(1, 2, 3)};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(At(wide, x, 1), want[x]) << x;
}

TEST(TsfBitmap, DrawsThroughThePainterOnOtherSurfaces) {
  // A pixmap is not an image the bitmap can read back: the painter composes.
  TsfBitmap b(3, 1);
  b.SetPixel(0, 0, qRgba(200, 0, 0, 0));
  b.SetPixel(1, 0, qRgba(0, 200, 0, 255));
  b.SetPixel(2, 0, qRgba(127, 0, 127, 255));
  QPixmap pixmap(3, 1);
  for (int mode = 0; mode < 2; ++mode) {
    b.UseAlpha = mode == 0;
    b.UseColorKey = mode == 1;
    pixmap.fill(QColor(10, 10, 10));
    {
      QPainter p(&pixmap);
      TCanvas canvas(&p);
      b.Draw(&canvas, 0, 0);
    }
    const QImage img = pixmap.toImage();
    EXPECT_EQ(img.pixel(0, 0) | 0xFF000000u, mode == 0 ? qRgb(10, 10, 10) : qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(1, 0) | 0xFF000000u, qRgb(0, 200, 0));
    EXPECT_EQ(img.pixel(2, 0) | 0xFF000000u, mode == 0 ? qRgb(127, 0, 127) : qRgb(10, 10, 10));
  }
}

TEST(TsfBitmap, AssignKeepsAlphaOnlyFromAlphaPictures) {
  QImage argb(2, 1, QImage::Format_ARGB32);
  argb.setPixel(0, 0, qRgba(1, 2, 3, 0));
  argb.setPixel(1, 0, qRgba(4, 5, 6, 255));
  TsfBitmap b;
  b.Assign(TBitmap(argb));
  EXPECT_FALSE(b.UseAlpha);  // only 0 and 255
  EXPECT_EQ(qAlpha(b.Pixel(0, 0)), 0);
  argb.setPixel(0, 0, qRgba(1, 2, 3, 90));
  b.Assign(TBitmap(argb));
  EXPECT_TRUE(b.UseAlpha);
  TsfBitmap c;
  c.Assign(Distinct(3, 2));
  EXPECT_FALSE(c.UseAlpha);
  EXPECT_EQ(c.Pixel(2, 1), qRgba(2, 1, 7, 255));

  // Filling from a graphic keeps what is not magenta.
  TBitmap g = Distinct(3, 1);
  g.Transparent = true;
  g.TransparentColor = RGB(1, 0, 7);
  TsfBitmap f(3, 1);
  f.FillFromGraphic(g);
  EXPECT_EQ(f.Pixel(0, 0), qRgba(0, 0, 7, 255));
  EXPECT_EQ(f.Pixel(1, 0), 0u);  // keyed out by the graphic: magenta, not taken
}

TEST(MaskToAlpha, AlphaIsTheMasksMeanChannel) {
  TsfBitmap b(2, 1), mask(2, 1);
  b.Fill(qRgba(9, 8, 7, 255));
  mask.SetPixel(0, 0, qRgb(10, 20, 31));
  mask.SetPixel(1, 0, qRgb(255, 255, 255));
  MaskToAlpha(b, mask);
  EXPECT_EQ(b.Pixel(0, 0), qRgba(9, 8, 7, 20));
  EXPECT_EQ(b.Pixel(1, 0), qRgba(9, 8, 7, 255));
  TsfBitmap other(3, 1);
  MaskToAlpha(b, other);  // wrong size: no mask
  EXPECT_EQ(b.Pixel(0, 0), qRgba(9, 8, 7, 20));
}

namespace {
// The blur written out: every tap summed for every pixel.
TsfBitmap BruteBlur(const TsfBitmap& in, int r) {
  const int w = in.Width(), h = in.Height(), div = (r + 1) * (r + 1);
  std::vector<int> pass(size_t(w * h * 3));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int k = -r; k <= r; ++k) {
          const QRgb p = in.Pixel(std::clamp(x + k, 0, w - 1), y);
          sum += (r + 1 - std::abs(k)) * int((p >> (16 - 8 * c)) & 0xFF);
        }
        pass[size_t((y * w + x) * 3 + c)] = sum / div;
      }
  TsfBitmap out = in;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int ch[3];
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int k = -r; k <= r; ++k)
          sum += (r + 1 - std::abs(k)) * pass[size_t((std::clamp(y + k, 0, h - 1) * w + x) * 3 + c)];
        ch[c] = sum / div;
      }
      out.SetPixel(x, y, qRgba(ch[0], ch[1], ch[2], qAlpha(in.Pixel(x, y))));
    }
  return out;
}
}  // namespace

TEST(StackBlur, MatchesTheBlurWrittenOut) {
  std::mt19937 gen(42);
  std::uniform_int_distribution<int> byte(0, 255);
  const struct { int w, h, r; } cases[] = {{9, 7, 1}, {16, 11, 2}, {13, 17, 4}, {3, 2, 5}, {1, 6, 3}};
  for (const auto& c : cases) {
    TsfBitmap b(c.w, c.h);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) b.SetPixel(x, y, qRgba(byte(gen), byte(gen), byte(gen), byte(gen)));
    const TsfBitmap want = BruteBlur(b, c.r);
    StackBlur(b, c.r);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        ASSERT_EQ(b.Pixel(x, y), want.Pixel(x, y)) << c.w << "x" << c.h << " r" << c.r << " at " << x << "," << y;
  }
  TsfBitmap same(2, 2);
  same.Fill(0x12345678u);
  StackBlur(same, 0);
  EXPECT_EQ(same.Pixel(1, 1), 0x12345678u);
}

TEST(CaptionTextEffects, GlowSurroundsTheTextAndReflectionFallsBelow) {
  TBitmap target = Filled(120, 80, qRgb(255, 255, 255));
  TCanvas* c = target.Canvas();
  c->Font.SetName("Arial");
  c->Font.SetHeight(-14);
  c->Font.SetColor(clBlack);
  const TRect rect(20, 10, 100, 30);
  const int h = DrawGlowText(c, rect, "Glow", 4, clBlue, 0, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  EXPECT_GT(h, 0);
  // Left of the text rect, within the glow size, some pixel turned blue-ish.
  bool glowed = false;
  for (int y = 10; y < 30; ++y)
    for (int x = 16; x < 20; ++x) {
      const QRgb p = At(target, x, y);
      glowed = glowed || (qBlue(p) > qRed(p) && p != qRgb(255, 255, 255));
    }
  EXPECT_TRUE(glowed);

  TBitmap second = Filled(120, 80, qRgb(255, 255, 255));
  TCanvas* c2 = second.Canvas();
  c2->Font = c->Font;
  DrawReflectedText(c2, rect, "Mirror", clRed, 0, DT_LEFT | DT_TOP | DT_SINGLELINE);
  bool below = false;
  for (int y = 30; y < 60; ++y)
    for (int x = 20; x < 100; ++x) below = below || At(second, x, y) != qRgb(255, 255, 255);
  EXPECT_TRUE(below);

  // Nothing to reflect or glow: only the (empty) text, no division by an empty extent.
  TBitmap third = Filled(50, 50, qRgb(255, 255, 255));
  DrawReflectedText(third.Canvas(), TRect(0, 0, 40, 20), "", clRed, 2, DT_LEFT);
  DrawReflectedText(third.Canvas(), TRect(0, 0, 40, 20), " ", clRed, 2, DT_LEFT);
  DrawSoftGlowText(third.Canvas(), TRect(0, 0, 40, 20), "", clRed, DT_LEFT);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(At(third, x, y), qRgb(255, 255, 255));
}

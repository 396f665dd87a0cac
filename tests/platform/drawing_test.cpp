#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QTemporaryDir>

#include "platform/bitmap.h"
#include "platform/colors.h"
#include "platform/exceptions.h"
#include "platform/font.h"

TEST(Colors, PlainAndSystemColoursConvertInOnePlace) {
  EXPECT_EQ(ToQColor(RGB(1, 2, 3)), QColor(1, 2, 3));
  EXPECT_EQ(ToQColor(0x00FF0000), QColor(0, 0, 255)) << "blue is the third byte";
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0xFF00000Fu)), ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
  EXPECT_EQ(ColorToRGB(static_cast<TColor>(0xFF0000FEu)), clBlack) << "unknown system index";
  EXPECT_EQ(FromQColor(QColor(10, 20, 30)), RGB(10, 20, 30));
}

TEST(Fonts, HostHeightsMapToCellOrCharacterHeight) {
  InstallFontSubstitutions();
  for (int h : {12, 13, 16, 24}) {
    const QFontMetrics cell(MakeQFont(QStringLiteral("宋体"), h, 0));
    EXPECT_LE(cell.ascent() + cell.descent(), h) << "positive height is the cell";
    EXPECT_GE(cell.ascent() + cell.descent(), h - 2);
    EXPECT_EQ(MakeQFont(QStringLiteral("Arial"), -h, 0).pixelSize(), h) << "negative is the character";
  }
  EXPECT_EQ(FontSizeToHeight(8), -11);
  EXPECT_EQ(FontSizeToHeight(9), -12);
  const QFont bold = MakeQFont(QStringLiteral("Tahoma"), -11, fsBold | fsItalic);
  EXPECT_TRUE(bold.bold());
  EXPECT_TRUE(bold.italic());
  // Chinese text is drawable with the mapped font (no missing glyphs).
  const QFontMetrics fm(MakeQFont(QStringLiteral("宋体"), 13, 0));
  EXPECT_TRUE(fm.inFont(QChar(0x9898)));  // 题
}

TEST(Fonts, ChangesAreNotifiedOnce) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TFont*) { ++changes; };
  f.SetName(QStringLiteral("Arial"));
  f.SetName(QStringLiteral("Arial"));
  f.SetStyle(fsBold);
  f.SetSize(8);  // already -11
  f.SetSize(10);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(f.Height(), -13);
}

TEST(Bitmap, DrawsReadsAndRoundTripsThroughBmpFiles) {
  TBitmap b(4, 3);
  b.Canvas()->Brush.Color = clRed;
  b.Canvas()->FillRect(TRect(1, 1, 3, 2));
  EXPECT_EQ(b.Pixel(1, 1), clRed);
  EXPECT_EQ(b.Pixel(2, 1), clRed);
  EXPECT_EQ(b.Pixel(3, 1), clWhite) << "right edge is exclusive";
  EXPECT_EQ(b.Pixel(1, 2), clWhite) << "bottom edge is exclusive";
  b.SetPixel(0, 0, RGB(1, 2, 3));
  QTemporaryDir dir;
  const QString path = dir.filePath("p.bmp");
  ASSERT_TRUE(b.SaveToFile(path));
  TBitmap back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Width(), 4);
  EXPECT_EQ(back.Height(), 3);
  EXPECT_EQ(back.PixelFormat(), pf24bit);
  EXPECT_EQ(back.Pixel(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(back.Pixel(2, 1), clRed);
  EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.bmp")), EFOpenError);
}

TEST(Canvas, FocusRectangleDrawnTwiceRestoresThePixels) {
  TBitmap b(9, 7);
  b.Canvas()->Brush.Color = RGB(40, 80, 120);
  b.Canvas()->FillRect(TRect(0, 0, 9, 7));
  const QImage before = b.Image().copy();
  b.Canvas()->DrawFocusRect(TRect(1, 1, 8, 6));
  EXPECT_NE(b.Image(), before);
  EXPECT_EQ(b.Pixel(1, 1), RGB(255 - 40, 255 - 80, 255 - 120)) << "first dot inverted";
  EXPECT_EQ(b.Pixel(2, 1), RGB(40, 80, 120)) << "every other pixel";
  EXPECT_EQ(b.Pixel(4, 3), RGB(40, 80, 120)) << "inside untouched";
  b.Canvas()->DrawFocusRect(TRect(1, 1, 8, 6));
  EXPECT_EQ(b.Image(), before);
}

TEST(Canvas, RectangleAndLinesFollowHostEdges) {
  TBitmap b(6, 6);
  TCanvas* c = b.Canvas();
  c->Brush.Color = clWhite;
  c->FillRect(TRect(0, 0, 6, 6));
  c->Pen.Color = clBlack;
  c->Brush.Style = bsClear;
  c->Rectangle(TRect(1, 1, 5, 5));
  EXPECT_EQ(b.Pixel(1, 1), clBlack);
  EXPECT_EQ(b.Pixel(4, 4), clBlack);
  EXPECT_EQ(b.Pixel(5, 5), clWhite);
  EXPECT_EQ(b.Pixel(2, 2), clWhite);
  c->MoveTo(0, 0);
  c->LineTo(0, 3);  // the end point is not drawn
  EXPECT_EQ(b.Pixel(0, 2), clBlack);
  EXPECT_EQ(b.Pixel(0, 3), clWhite);
}

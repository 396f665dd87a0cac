#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontMetrics>
#include <QImageReader>
#include <QtEndian>
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

namespace {
// A picture with a different colour in every pixel, so a swapped channel,
// a flipped row or a row padding mistake shows.
QImage Gradient(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 37 % 256, y * 53 % 256, (x + y) * 11 % 256));
  return img;
}
QByteArray Encode(const QImage& img, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(img.save(&buffer, format));
  return bytes;
}
// The same 24-bit file stored top-down: negative height, rows reversed.
QByteArray TopDown(const QByteArray& bmp, int width, int height) {
  QByteArray out = bmp;
  const qint32 negative = qToLittleEndian(qint32(-height));
  memcpy(out.data() + 22, &negative, 4);
  const int row = (width * 3 + 3) / 4 * 4;
  const int offset = 54;
  for (int y = 0; y < height; ++y)
    memcpy(out.data() + offset + y * row, bmp.constData() + offset + (height - 1 - y) * row, row);
  return out;
}
}  // namespace

TEST(Bitmap, ReadsBitmapFilesAsQtDoes) {
  struct Case {
    const char* what;
    int width, height;
    const char* format;
    bool topDown;
  };
  const Case cases[] = {
      {"one pixel", 1, 1, "BMP", false},       {"rows padded by 1 byte", 1, 3, "BMP", false},
      {"rows padded by 2 bytes", 2, 2, "BMP", false}, {"rows padded by 3 bytes", 3, 4, "BMP", false},
      {"no padding", 4, 5, "BMP", false},      {"wide", 301, 7, "BMP", false},
      {"stored top-down", 5, 6, "BMP", true},  {"not a bitmap file", 6, 3, "PNG", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QImage expected = Gradient(c.width, c.height);
    QByteArray data = Encode(expected, c.format);
    if (c.topDown) data = TopDown(data, c.width, c.height);
    TBitmap fromData;
    fromData.LoadFromData(data);
    QTemporaryDir dir;
    QFile f(dir.filePath("p.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    f.close();
    TBitmap fromFile;
    fromFile.LoadFromFile(f.fileName());
    for (const TBitmap* b : {&fromData, &fromFile}) {
      EXPECT_EQ(b->PixelFormat(), pf24bit);
      EXPECT_EQ(b->Image().convertToFormat(QImage::Format_RGB32), expected);
    }
  }
}

TEST(Bitmap, TruncatedOrLyingBitmapFilesAreRefused) {
  const QByteArray good = Encode(Gradient(9, 7), "BMP");
  auto withU32 = [&](int at, quint32 v) {
    QByteArray b = good;
    v = qToLittleEndian(v);
    memcpy(b.data() + at, &v, 4);
    return b;
  };
  const std::pair<const char*, QByteArray> cases[] = {
      {"header only", good.left(54)},
      {"half the pixels", good.left(54 + (good.size() - 54) / 2)},
      {"width far beyond the data", withU32(18, 30000)},
      {"height far beyond the data", withU32(22, 30000)},
      {"pixel offset past the end", withU32(10, 0x7fffffff)},
      {"pixel offset inside the header", withU32(10, 3)},
  };
  for (const auto& [what, data] : cases) {
    SCOPED_TRACE(what);
    TBitmap b;
    EXPECT_THROW(b.LoadFromData(data), EInvalidGraphic);
  }
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

#pragma once
// TBitmap over a QImage: 24-bit pictures are Format_RGB32, 32-bit pictures are
// Format_ARGB32 (straight alpha, as the host's 32-bit bitmaps keep it).

#include <QImage>
#include <QString>
#include <memory>

#include "platform/canvas.h"

enum TPixelFormat { pf24bit, pf32bit };

class TBitmap {
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat fmt = pf24bit);
  explicit TBitmap(const QImage& image);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap();

  int Width() const { return m_image.width(); }
  int Height() const { return m_image.height(); }
  bool Empty() const { return m_image.isNull() || Width() <= 0 || Height() <= 0; }
  TPixelFormat PixelFormat() const { return m_format; }
  void SetPixelFormat(TPixelFormat fmt);
  void SetSize(int width, int height);
  void SetWidth(int w) { SetSize(w, Height()); }
  void SetHeight(int h) { SetSize(Width(), h); }

  // Reads a .bmp (or any format Qt reads); throws EFOpenError/EInvalidGraphic
  // with a message naming the file when it cannot.
  void LoadFromFile(const QString& fileName);
  void LoadFromData(const QByteArray& data);  // throws EInvalidGraphic
  bool SaveToFile(const QString& fileName) const;  // .bmp, 24-bit unless pf32bit

  TCanvas* Canvas();

  // Direct pixel access ends any painting on the canvas first.
  QImage& Image();
  const QImage& Image() const;
  uchar* ScanLine(int y) { return Image().scanLine(y); }
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor c);

  bool Transparent = false;
  TColor TransparentColor = clFuchsia;

 private:
  void EndPaint() const;
  QImage m_image;
  TPixelFormat m_format = pf24bit;
  mutable std::unique_ptr<TCanvas> m_canvas;
};

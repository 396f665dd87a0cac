#pragma once
// TsfBitmap: a 32-bit picture with straight (not premultiplied) alpha, a
// drawing surface for text and shapes, and the two ways it is drawn onto a
// canvas: per-pixel alpha or a colour key. Also the blur and the caption
// text effects built on it.

#include <QImage>
#include <QString>
#include <memory>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/exceptions.h"
#include "platform/types.h"

class ESkinBitmapError : public Exception {
 public:
  using Exception::Exception;
};

// The colour a colour-keyed TsfBitmap leaves out: red 127, green 0, blue 127.
constexpr QRgb kSkinColorKey = 0x7F007Fu;

class TsfBitmap {
 public:
  TsfBitmap() = default;
  TsfBitmap(int width, int height);
  TsfBitmap(const TsfBitmap& other);
  TsfBitmap& operator=(const TsfBitmap& other);

  int Width() const { return m_image.width(); }
  int Height() const { return m_image.height(); }
  bool Empty() const { return m_image.isNull(); }
  // A size of 0, or the size it has, changes nothing; negative sizes count by
  // their absolute value. A new size starts all zero (transparent black).
  // Throws ESkinBitmapError when the pixels cannot be allocated.
  void SetSize(int width, int height);

  QRgb* ScanLine(int y) { return reinterpret_cast<QRgb*>(Image().scanLine(y)); }
  const QRgb* ScanLine(int y) const { return reinterpret_cast<const QRgb*>(m_image.constScanLine(y)); }
  QRgb Pixel(int x, int y) const { return ScanLine(y)[x]; }
  void SetPixel(int x, int y, QRgb c) { ScanLine(y)[x] = c; }
  void Fill(QRgb c);

  // Format_ARGB32. Direct access ends painting on the canvas first.
  QImage& Image();
  const QImage& Image() const { return m_image; }
  TCanvas* Canvas();

  bool UseAlpha = false;
  bool UseColorKey = false;

  // Takes the picture's pixels: a 32-bit picture keeps its alpha (and sets
  // UseAlpha when some alpha is neither 0 nor 255); others get alpha 255.
  void Assign(const TBitmap& picture);
  // Draws `graphic` over magenta and takes every pixel that is not magenta
  // (alpha 255); this bitmap takes the graphic's size.
  void FillFromGraphic(const TBitmap& graphic);

  // Draws source rect `src` into `dst` of the canvas: alpha-blended with
  // UseAlpha, colour-keyed with UseColorKey, else a plain scaled copy.
  void Draw(TCanvas* canvas, const TRect& dst, const TRect& src) const;
  void Draw(TCanvas* canvas, int x, int y) const;
  // The same straight onto an image (no painter involved).
  void DrawTo(QImage& target, const TRect& dst, const TRect& src) const;

 private:
  void EndPaint() const;
  QImage m_image;
  mutable std::unique_ptr<TCanvas> m_canvas;
};

// Alpha of each pixel = (red + green + blue) div 3 of the mask's pixel. A
// mask of another size counts as no mask: the alpha is left as it is.
void MaskToAlpha(TsfBitmap& bitmap, const TsfBitmap& mask);

// Two-pass triangle blur of radius r on red, green and blue (alpha kept):
// each pass is the sum over k = -r..r of (r + 1 - |k|) times the pixel at
// distance k (edges repeated), div (r + 1)^2. Nothing for r <= 0.
void StackBlur(TsfBitmap& bitmap, int r);

// Caption text effects; each draws the text itself last and returns the
// text height.
int DrawGlowText(TCanvas* canvas, const TRect& rect, const QString& text, int glowSize,
                 TColor glowColor, int offset, unsigned format);
int DrawSoftGlowText(TCanvas* canvas, const TRect& rect, const QString& text, TColor glowColor,
                     unsigned format);
int DrawReflectedText(TCanvas* canvas, const TRect& rect, const QString& text,
                      TColor reflectionColor, int offset, unsigned format);

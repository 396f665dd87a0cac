#pragma once
// TCanvas: the host-style drawing surface over a QPainter. A canvas draws on a
// widget during its paint, or on a TBitmap's image (painter begun on demand and
// ended whenever the bitmap's pixels are touched directly).

#include <QPainter>
#include <QString>
#include <memory>
#include <vector>

#include "platform/colors.h"
#include "platform/font.h"
#include "platform/types.h"

class TBitmap;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TPenMode { pmCopy, pmNot, pmXor, pmMask, pmMerge };
enum TBrushStyle { bsSolid, bsClear };

struct TPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

// Text flags of the host's DrawText, the subset the system uses.
enum TDrawTextFlags : unsigned {
  DT_LEFT = 0x0, DT_TOP = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
  DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
  DT_END_ELLIPSIS = 0x8000, DT_PATH_ELLIPSIS = 0x4000, DT_WORD_ELLIPSIS = 0x40000,
  // Right-to-left reading order; DT_LEFT and DT_RIGHT keep meaning the
  // rect's left and right edges.
  DT_RTLREADING = 0x20000,
};

class TCanvas {
 public:
  TCanvas();
  explicit TCanvas(QPainter* external);  // draws through a painter someone else owns
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TPen Pen;
  TBrush Brush;
  TFont Font;

  // Painter state is applied from Pen/Brush/Font before each operation.
  QPainter* Painter();
  bool HandleAllocated() const { return m_painter != nullptr || m_device != nullptr; }

  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void Rectangle(const TRect& r);
  void Rectangle(int l, int t, int r, int b) { Rectangle(TRect(l, t, r, b)); }
  void Ellipse(const TRect& r);
  void MoveTo(int x, int y) { m_penPos = TPoint(x, y); }
  void LineTo(int x, int y);
  TPoint PenPos() const { return m_penPos; }
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);
  // The inverting dotted rectangle: drawing it twice restores the pixels.
  void DrawFocusRect(const TRect& r);

  void TextOut(int x, int y, const QString& text);
  void TextRect(const TRect& r, int x, int y, const QString& text);
  int DrawText(const QString& text, TRect& r, unsigned flags);
  int TextWidth(const QString& text);
  int TextHeight(const QString& text);

  void Draw(int x, int y, const TBitmap* bmp);
  void StretchDraw(const TRect& r, const TBitmap* bmp);
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);

  TColor Pixel(int x, int y);
  void SetPixel(int x, int y, TColor c);

  // Clip to a rectangle (intersected with any current clip) until ResetClip.
  void SetClipRect(const TRect& r);
  void ResetClip();

  // Used by owners: attach to a device (bitmap image) or to an active painter.
  void AttachDevice(QPaintDevice* device);
  void AttachPainter(QPainter* painter);
  void Detach();  // ends a painter this canvas began
  QPaintDevice* Device() const;

 private:
  void ApplyPen(QPainter* p);
  void ApplyBrushFill(QPainter* p);
  QPainter::CompositionMode ModeFor(TPenMode m) const;

  QPaintDevice* m_device = nullptr;
  std::unique_ptr<QPainter> m_own;
  QPainter* m_painter = nullptr;
  TPoint m_penPos;
};

#include "skin/render/glyphs.h"

#include <QPainter>
#include <cstdlib>

namespace {
// Sets single pixels, spans and rect outlines in one colour.
class Plotter {
 public:
  Plotter(TCanvas* canvas, TColor colour)
      : m_painter(canvas ? canvas->Painter() : nullptr), m_colour(ToQColor(colour)) {
    if (m_painter) m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  explicit operator bool() const { return m_painter != nullptr; }

  void Fill(int l, int t, int r, int b) {
    if (r > l && b > t) m_painter->fillRect(QRect(l, t, r - l, b - t), m_colour);
  }
  void Dot(int x, int y) { Fill(x, y, x + 1, y + 1); }
  // Inclusive spans.
  void Span(int x1, int x2, int y) { Fill(std::min(x1, x2), y, std::max(x1, x2) + 1, y + 1); }
  void Column(int x, int y1, int y2) { Fill(x, std::min(y1, y2), x + 1, std::max(y1, y2) + 1); }
  // A line without its end point.
  void Line(int x1, int y1, int x2, int y2) {
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (x != x2 || y != y2) {
      Dot(x, y);
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y += sy;
      }
    }
  }
  // The outline of rect (l, t)-(r, b).
  void Frame(int l, int t, int r, int b) {
    if (r <= l || b <= t) return;
    Fill(l, t, r, t + 1);
    Fill(l, b - 1, r, b);
    Fill(l, t, l + 1, b);
    Fill(r - 1, t, r, b);
  }

 private:
  QPainter* m_painter;
  QColor m_colour;
};

TPoint CentreOf(const TRect& r) { return TPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2); }
}  // namespace

void DrawDottedFrame(TCanvas* canvas, const TRect& rect) {
  Plotter plot(canvas, canvas ? canvas->Font.Color() : clBlack);
  if (!plot) return;
  const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
  const int w = r - l, h = b - t;
  if (w < 0 || h < 0) return;
  bool on = !(w % 2 == 0 && h % 2 == 0);
  // Each side includes both its corners; the next side starts at the shared
  // corner in the state that corner had.
  auto walk = [&](int x, int y, int stepX, int stepY, int steps) {
    for (int i = 0; i <= steps; ++i) {
      if (on) plot.Dot(x + i * stepX, y + i * stepY);
      if (i < steps) on = !on;
    }
  };
  walk(l, t, 1, 0, w);
  walk(r, t, 0, 1, h);
  walk(r, b, -1, 0, w);
  walk(l, b, 0, -1, h);
}

void DrawFrame3D(TCanvas* canvas, const TRect& rect, TColor topLeft, TColor bottomRight) {
  if (rect.IsEmpty()) return;
  const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
  Plotter first(canvas, topLeft);
  if (!first) return;
  // Left line up from the bottom, then the top line, each without its end.
  first.Line(l, b, l, t);
  first.Line(l, t, r, t);
  Plotter second(canvas, bottomRight);
  second.Line(r, t, r, b);
  second.Line(r, b, l - 1, b);
}

void DrawArrowGlyph(TCanvas* canvas, const TRect& rect, TColor colour, int direction) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  const TPoint c = CentreOf(rect);
  switch (direction) {
    case 1:
      for (int i = 0; i <= 3; ++i) plot.Column(c.X - 2 + i, c.Y - i, c.Y + i);
      break;
    case 2: {
      // For odd heights the lower end reaches one pixel further.
      const int extra = rect.Height() % 2 != 0 ? 1 : 0;
      for (int n = 3; n >= 0; --n) plot.Column(c.X + 2 - n, c.Y - n, c.Y + n + extra);
      break;
    }
    case 3:
      for (int i = 0; i <= 3; ++i) plot.Span(c.X - i, c.X + i, c.Y - 2 + i);
      break;
    case 4:
      for (int n = 3; n >= 0; --n) plot.Span(c.X - n, c.X + n, c.Y + 2 - n);
      break;
    default:
      break;
  }
}

void DrawSmallDownArrow(TCanvas* canvas, const TRect& rect, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  const TPoint c = CentreOf(rect);
  for (int n = 2; n >= 0; --n) plot.Span(c.X - n, c.X + n, c.Y + 2 - n);
}

void DrawCheckGlyph(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  for (int i = 0; i <= 2; ++i) {
    plot.Line(x, y + 5 - i, x + 2, y + 7 - i);
    plot.Line(x + 2, y + 7 - i, x + 7, y + 2 - i);
  }
}

void DrawDotGlyph(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (plot) plot.Fill(x, y, x + 6, y + 6);
}

void DrawCloseSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  plot.Line(x + 1, y + 1, x + 9, y + 9);
  plot.Line(x + 2, y + 1, x + 10, y + 9);
  plot.Line(x + 9, y + 1, x + 1, y + 9);
  plot.Line(x + 8, y + 1, x, y + 9);
}

void DrawMinimizeSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  plot.Line(x + 1, y + 8, x + 9, y + 8);
  plot.Line(x + 1, y + 9, x + 9, y + 9);
}

void DrawMaximizeSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  plot.Frame(x, y, x + 11, y + 10);
  plot.Frame(x, y, x + 11, y + 2);
}

void DrawRestoreSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  plot.Frame(x + 2, y, x + 10, y + 6);
  plot.Frame(x + 2, y, x + 10, y + 2);
  plot.Frame(x, y + 4, x + 7, y + 10);
  plot.Frame(x, y + 4, x + 7, y + 6);
}

void DrawSysMenuSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (plot) plot.Frame(x + 1, y + 3, x + 9, y + 6);
}

void DrawDownTriangleSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  for (int i = 0; i <= 4; ++i) plot.Span(x + 5 - i, x + 5 + i, y + 6 - i);
}

void DrawUpTriangleSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (!plot) return;
  for (int i = 0; i <= 4; ++i) plot.Span(x + 1 + i, x + 9 - i, y + 6 - i);
}

void DrawSmallSquareSymbol(TCanvas* canvas, int x, int y, TColor colour) {
  Plotter plot(canvas, colour);
  if (plot) plot.Fill(x + 2, y + 2, x + 7, y + 7);
}

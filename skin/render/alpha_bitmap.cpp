#include "skin/render/alpha_bitmap.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

TsfBitmap::TsfBitmap(int width, int height) { SetSize(width, height); }

TsfBitmap::TsfBitmap(const TsfBitmap& other)
    : UseAlpha(other.UseAlpha), UseColorKey(other.UseColorKey) {
  other.EndPaint();
  m_image = other.m_image.copy();
}

TsfBitmap& TsfBitmap::operator=(const TsfBitmap& other) {
  if (this == &other) return *this;
  EndPaint();
  other.EndPaint();
  m_image = other.m_image.copy();
  UseAlpha = other.UseAlpha;
  UseColorKey = other.UseColorKey;
  if (m_canvas) m_canvas->AttachDevice(m_image.isNull() ? nullptr : &m_image);
  return *this;
}

void TsfBitmap::EndPaint() const {
  if (m_canvas) m_canvas->Detach();
}

QImage& TsfBitmap::Image() {
  EndPaint();
  return m_image;
}

TCanvas* TsfBitmap::Canvas() {
  if (!m_canvas) m_canvas = std::make_unique<TCanvas>();
  if (m_canvas->Device() != &m_image)
    m_canvas->AttachDevice(m_image.isNull() ? nullptr : &m_image);
  return m_canvas.get();
}

void TsfBitmap::SetSize(int width, int height) {
  width = std::abs(width);
  height = std::abs(height);
  if (width == 0 || height == 0) return;
  if (width == Width() && height == Height()) return;
  // Refuse absurd sizes ourselves: whether the system hands out a huge block
  // (and fails only when it is touched) depends on its overcommit setting.
  constexpr qint64 kMaxPixels = qint64(1) << 26;  // 256 MB of 32-bit pixels
  if (qint64(width) * height > kMaxPixels)
    throw ESkinBitmapError(QStringLiteral("Can't allocate the DIB handle"));
  EndPaint();
  QImage next(width, height, QImage::Format_ARGB32);
  if (next.isNull()) throw ESkinBitmapError(QStringLiteral("Can't allocate the DIB handle"));
  next.fill(0);
  m_image = next;
  if (m_canvas) m_canvas->AttachDevice(&m_image);
}

void TsfBitmap::Fill(QRgb c) {
  if (!Empty()) Image().fill(c);
}

void TsfBitmap::Assign(const TBitmap& picture) {
  if (picture.Empty()) return;
  SetSize(picture.Width(), picture.Height());
  const QImage& src = picture.Image();
  const bool keepAlpha = picture.PixelFormat() == pf32bit && src.hasAlphaChannel();
  const QImage from = src.convertToFormat(keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  QImage& to = Image();
  bool partial = false;
  for (int y = 0; y < Height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(from.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(to.scanLine(y));
    for (int x = 0; x < Width(); ++x) {
      d[x] = keepAlpha ? s[x] : (s[x] | 0xFF000000u);
      const int a = qAlpha(d[x]);
      partial = partial || (a != 0 && a != 255);
    }
  }
  if (keepAlpha && partial) UseAlpha = true;
}

void TsfBitmap::FillFromGraphic(const TBitmap& graphic) {
  if (graphic.Empty()) return;
  SetSize(graphic.Width(), graphic.Height());
  QImage plate(graphic.Width(), graphic.Height(), QImage::Format_ARGB32);
  plate.fill(qRgb(255, 0, 255));
  {
    TCanvas canvas;
    canvas.AttachDevice(&plate);
    canvas.Draw(0, 0, &graphic);
  }
  QImage& to = Image();
  for (int y = 0; y < Height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(plate.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(to.scanLine(y));
    for (int x = 0; x < Width(); ++x)
      if ((s[x] & 0xFFFFFFu) != 0xFF00FFu) d[x] = s[x] | 0xFF000000u;
  }
}

namespace {
// One pixel of `src` over `dst` in the bitmap's drawing mode.
inline QRgb Compose(QRgb s, QRgb d, bool useAlpha, bool useKey, bool opaqueTarget) {
  if (useAlpha) {
    const unsigned a = qAlpha(s);
    if (a == 255) return s;
    if (a == 0) return d;
    auto mix = [a](unsigned sc, unsigned dc) { return (a * sc + (255 - a) * dc) / 256; };
    return qRgba(int(mix(qRed(s), qRed(d))), int(mix(qGreen(s), qGreen(d))),
                 int(mix(qBlue(s), qBlue(d))), 255);
  }
  if (useKey) return (s & 0xFFFFFFu) == kSkinColorKey ? d : (s | 0xFF000000u);
  return opaqueTarget ? (s | 0xFF000000u) : s;
}

void DrawPixels(const QImage& source, bool useAlpha, bool useKey, QImage& target,
                const TRect& dst, const TRect& src, const TRect& clip) {
  if (source.isNull() || target.isNull() || dst.IsEmpty() || src.IsEmpty()) return;
  const TRect area =
      dst.Intersect(TRect(0, 0, target.width(), target.height())).Intersect(clip);
  if (area.IsEmpty()) return;
  const bool opaque = target.format() == QImage::Format_RGB32;
  const int dw = dst.Width(), dh = dst.Height(), sw = src.Width(), sh = src.Height();
  for (int y = area.Top; y < area.Bottom; ++y) {
    const int sy = src.Top + int(qint64(y - dst.Top) * sh / dh);
    if (sy < 0 || sy >= source.height()) continue;
    const auto* s = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
    auto* d = reinterpret_cast<QRgb*>(target.scanLine(y));
    for (int x = area.Left; x < area.Right; ++x) {
      const int sx = src.Left + int(qint64(x - dst.Left) * sw / dw);
      if (sx < 0 || sx >= source.width()) continue;
      d[x] = Compose(s[sx], d[x], useAlpha, useKey, opaque);
    }
  }
}

constexpr TRect kNoClip(-(1 << 30), -(1 << 30), 1 << 30, 1 << 30);
}  // namespace

void TsfBitmap::DrawTo(QImage& target, const TRect& dst, const TRect& src) const {
  EndPaint();
  if (target.format() != QImage::Format_RGB32 && target.format() != QImage::Format_ARGB32)
    return;
  DrawPixels(m_image, UseAlpha, UseColorKey, target, dst, src, kNoClip);
}

void TsfBitmap::Draw(TCanvas* canvas, const TRect& dst, const TRect& src) const {
  EndPaint();
  if (!canvas || Empty() || dst.IsEmpty() || src.IsEmpty()) return;
  QPainter* p = canvas->Painter();
  if (!p) return;
  auto* target = dynamic_cast<QImage*>(p->device());
  const QTransform t = p->worldTransform();
  const bool plainTarget = target && (target->format() == QImage::Format_RGB32 ||
                                      target->format() == QImage::Format_ARGB32);
  const bool simpleClip = !p->hasClipping() || p->clipRegion().rectCount() == 1;
  if (plainTarget && t.type() <= QTransform::TxTranslate && simpleClip) {
    // Read, modify and write the destination pixels.
    const int dx = int(t.dx()), dy = int(t.dy());
    TRect clip = kNoClip;
    if (p->hasClipping()) clip = TRect::fromQRect(p->clipRegion().boundingRect()).Offset(dx, dy);
    if (p->hasClipping() && clip.IsEmpty()) return;
    DrawPixels(m_image, UseAlpha, UseColorKey, *target, dst.Offset(dx, dy), src, clip);
    return;
  }
  // Elsewhere (a widget's surface) the painter composes an equivalent picture.
  QImage piece = m_image.copy(src.toQRect());
  if (!UseAlpha) {
    for (int y = 0; y < piece.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(piece.scanLine(y));
      for (int x = 0; x < piece.width(); ++x)
        line[x] = UseColorKey && (line[x] & 0xFFFFFFu) == kSkinColorKey ? 0u
                                                                        : (line[x] | 0xFF000000u);
    }
  }
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(dst.toQRect(), piece);
  p->restore();
}

void TsfBitmap::Draw(TCanvas* canvas, int x, int y) const {
  Draw(canvas, Bounds(x, y, Width(), Height()), TRect(0, 0, Width(), Height()));
}

void MaskToAlpha(TsfBitmap& bitmap, const TsfBitmap& mask) {
  if (bitmap.Empty() || mask.Width() != bitmap.Width() || mask.Height() != bitmap.Height())
    return;
  for (int y = 0; y < bitmap.Height(); ++y) {
    QRgb* d = bitmap.ScanLine(y);
    const QRgb* m = mask.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const int a = (qRed(m[x]) + qGreen(m[x]) + qBlue(m[x])) / 3;
      d[x] = (d[x] & 0xFFFFFFu) | (quint32(a) << 24);
    }
  }
}

namespace {
// One pass of the triangle blur over `n` values at stride `step` of each
// line, with running sums: S(x + 1) = S(x) + sum(x+1..x+r+1) - sum(x-r..x).
void BlurLine(const int* in, int* out, int n, int r) {
  auto at = [&](int i) { return in[std::clamp(i, 0, n - 1)]; };
  const qint64 div = qint64(r + 1) * (r + 1);
  qint64 sum = 0, sumOut = 0, sumIn = 0;
  for (int k = -r; k <= r; ++k) sum += qint64(r + 1 - std::abs(k)) * at(k);
  for (int k = -r; k <= 0; ++k) sumOut += at(k);
  for (int k = 1; k <= r + 1; ++k) sumIn += at(k);
  for (int x = 0; x < n; ++x) {
    out[x] = int(sum / div);
    sum += sumIn - sumOut;
    sumOut += at(x + 1) - at(x - r);
    sumIn += at(x + r + 2) - at(x + 1);
  }
}
}  // namespace

void StackBlur(TsfBitmap& bitmap, int r) {
  if (r <= 0 || bitmap.Empty()) return;
  const int w = bitmap.Width(), h = bitmap.Height();
  // Channel planes: red, green, blue.
  std::vector<int> plane(size_t(w) * size_t(h)), pass(size_t(w) * size_t(h));
  std::vector<int> lineIn(size_t(std::max(w, h))), lineOut(size_t(std::max(w, h)));
  for (int shift : {16, 8, 0}) {
    for (int y = 0; y < h; ++y) {
      const QRgb* s = bitmap.ScanLine(y);
      for (int x = 0; x < w; ++x) plane[size_t(y) * size_t(w) + size_t(x)] = int((s[x] >> shift) & 0xFF);
    }
    for (int y = 0; y < h; ++y)
      BlurLine(&plane[size_t(y) * size_t(w)], &pass[size_t(y) * size_t(w)], w, r);
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h; ++y) lineIn[size_t(y)] = pass[size_t(y) * size_t(w) + size_t(x)];
      BlurLine(lineIn.data(), lineOut.data(), h, r);
      for (int y = 0; y < h; ++y) {
        QRgb& d = bitmap.ScanLine(y)[x];
        d = (d & ~(0xFFu << shift)) | (quint32(lineOut[size_t(y)]) << shift);
      }
    }
  }
}

// --- caption text effects ------------------------------------------------------

namespace {
// Text coverage of `text` drawn in pure red over black: the red channel of
// each pixel is how much of it the text covers.
QImage RedText(const TFont& font, int w, int h, const std::vector<TPoint>& offsets,
               const TRect& at, const QString& text, unsigned format, const TRect& plate = TRect()) {
  QImage img(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
  img.fill(qRgb(0, 0, 0));
  TCanvas c;
  c.AttachDevice(&img);
  c.Font = font;
  c.Font.SetColor(clRed);
  c.Brush.Style = bsClear;
  if (!plate.IsEmpty()) {
    c.Brush.Style = bsSolid;
    c.Brush.Color = clRed;
    c.FillRect(plate);
    c.Brush.Style = bsClear;
  }
  for (const TPoint& o : offsets) {
    TRect r = at.Offset(o.X, o.Y);
    c.DrawText(text, r, format & ~unsigned(DT_CALCRECT));
  }
  c.Detach();
  return img;
}

// The glow bitmap: every pixel the glow colour with alpha = its red.
void Colourise(TsfBitmap& b, TColor colour) {
  const QColor q = ToQColor(colour);
  const QRgb rgb = qRgb(q.red(), q.green(), q.blue()) & 0xFFFFFFu;
  for (int y = 0; y < b.Height(); ++y) {
    QRgb* p = b.ScanLine(y);
    for (int x = 0; x < b.Width(); ++x) p[x] = rgb | (quint32(qRed(p[x])) << 24);
  }
  b.UseAlpha = true;
}

TsfBitmap FromRed(const QImage& red) {
  TsfBitmap b(red.width(), red.height());
  for (int y = 0; y < red.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(red.constScanLine(y));
    QRgb* d = b.ScanLine(y);
    for (int x = 0; x < red.width(); ++x) d[x] = s[x] & 0x00FF0000u;  // red only, alpha 0
  }
  return b;
}

int DrawPlainText(TCanvas* canvas, const TRect& rect, const QString& text, unsigned format) {
  const TBrushStyle old = canvas->Brush.Style;
  canvas->Brush.Style = bsClear;
  TRect r = rect;
  const int h = canvas->DrawText(text, r, format);
  canvas->Brush.Style = old;
  return h;
}
}  // namespace

int DrawGlowText(TCanvas* canvas, const TRect& rect, const QString& text, int glowSize,
                 TColor glowColor, int offset, unsigned format) {
  if (!canvas) return 0;
  const int g = std::max(0, glowSize);
  const int w = rect.Width() + 2 * g, h = rect.Height() + 2 * g;
  if (w > 0 && h > 0 && !text.isEmpty()) {
    TsfBitmap glow = FromRed(RedText(canvas->Font, w, h, {TPoint(0, 0)},
                                     TRect(g, g, w - g, h - g), text, format));
    StackBlur(glow, g);
    Colourise(glow, glowColor);
    glow.Draw(canvas, rect.Left - g + offset, rect.Top - g + offset);
  }
  return DrawPlainText(canvas, rect, text, format);
}

int DrawSoftGlowText(TCanvas* canvas, const TRect& rect, const QString& text, TColor glowColor,
                     unsigned format) {
  if (!canvas) return 0;
  constexpr int pad = 12;
  const int w = rect.Width() + 2 * pad, h = rect.Height() + 2 * pad;
  if (w > 0 && h > 0 && !text.isEmpty()) {
    // The plate lies under the text's own extent, placed as the format places it.
    TRect extent(0, 0, rect.Width(), rect.Height());
    canvas->DrawText(text, extent, format | DT_CALCRECT);
    int ex = 0, ey = 0;
    if (format & DT_CENTER) ex = (rect.Width() - extent.Width()) / 2;
    else if (format & DT_RIGHT) ex = rect.Width() - extent.Width();
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) ey = (rect.Height() - extent.Height()) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) ey = rect.Height() - extent.Height();
    const TRect plate(pad + ex - 3, pad + ey + 2, pad + ex + extent.Width() + 3,
                      pad + ey + extent.Height() - 2);
    const std::vector<TPoint> offsets = {TPoint(-1, -1), TPoint(-2, -2), TPoint(-1, 0),
                                         TPoint(-2, 0),  TPoint(1, 0),   TPoint(2, 0),
                                         TPoint(1, 1),   TPoint(2, 2),   TPoint(0, 0)};
    TsfBitmap glow = FromRed(RedText(canvas->Font, w, h, offsets,
                                     TRect(pad, pad, w - pad, h - pad), text, format, plate));
    StackBlur(glow, 6);
    StackBlur(glow, 6);
    Colourise(glow, glowColor);
    glow.Draw(canvas, rect.Left - pad, rect.Top - pad);
  }
  return DrawPlainText(canvas, rect, text, format);
}

int DrawReflectedText(TCanvas* canvas, const TRect& rect, const QString& text,
                      TColor reflectionColor, int offset, unsigned format) {
  if (!canvas) return 0;
  const int w = rect.Width(), h = rect.Height();
  if (w > 0 && h > 0 && !text.isEmpty()) {
    const QImage red = RedText(canvas->Font, w, h, {TPoint(0, 0)}, TRect(0, 0, w, h), text, format);
    // The drawn extent: the rows that hold any of the text.
    int top = -1, bottom = -1;
    for (int y = 0; y < h; ++y) {
      const auto* s = reinterpret_cast<const QRgb*>(red.constScanLine(y));
      for (int x = 0; x < w; ++x)
        if (qRed(s[x]) != 0) {
          if (top < 0) top = y;
          bottom = y + 1;
          break;
        }
    }
    if (top >= 0 && bottom > top) {
      const QColor q = ToQColor(reflectionColor);
      const QRgb rgb = qRgb(q.red(), q.green(), q.blue()) & 0xFFFFFFu;
      TsfBitmap refl(w, h);
      for (int y = top; y < bottom; ++y) {
        const double fade =
            std::max(0.0, 0.7 - double(bottom + top - y) / double(bottom - top));
        const auto* s = reinterpret_cast<const QRgb*>(red.constScanLine(y));
        QRgb* d = refl.ScanLine(h - 1 - y);  // flipped upside down
        for (int x = 0; x < w; ++x) d[x] = rgb | (quint32(int(qRed(s[x]) * fade)) << 24);
      }
      refl.UseAlpha = true;
      refl.Draw(canvas, rect.Left, rect.Bottom + bottom + offset - h);
    }
  }
  return DrawPlainText(canvas, rect, text, format);
}

#include "platform/canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QTextOption>

#include "platform/bitmap.h"

TCanvas::TCanvas() = default;
TCanvas::TCanvas(QPainter* external) : m_painter(external) {}
TCanvas::~TCanvas() { Detach(); }

void TCanvas::AttachDevice(QPaintDevice* device) {
  Detach();
  m_device = device;
}

void TCanvas::AttachPainter(QPainter* painter) {
  Detach();
  m_device = nullptr;
  m_painter = painter;
}

void TCanvas::Detach() {
  if (m_own) {
    if (m_own->isActive()) m_own->end();
    m_own.reset();
  }
  m_painter = nullptr;
}

QPaintDevice* TCanvas::Device() const {
  if (m_painter) return m_painter->device();
  return m_device;
}

QPainter* TCanvas::Painter() {
  if (!m_painter && m_device) {
    m_own = std::make_unique<QPainter>(m_device);
    m_painter = m_own.get();
  }
  return m_painter;
}

QPainter::CompositionMode TCanvas::ModeFor(TPenMode m) const {
  switch (m) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmCopy: break;
  }
  return QPainter::CompositionMode_SourceOver;
}

void TCanvas::ApplyPen(QPainter* p) {
  if (Pen.Style == psClear) {
    p->setPen(Qt::NoPen);
  } else {
    QPen pen(ToQColor(Pen.Color));
    pen.setWidth(std::max(1, Pen.Width));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (Pen.Style) {
      case psDash: pen.setStyle(Qt::DashLine); break;
      case psDot: pen.setStyle(Qt::DotLine); break;
      case psDashDot: pen.setStyle(Qt::DashDotLine); break;
      case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
      default: pen.setStyle(Qt::SolidLine); break;
    }
    p->setPen(pen);
  }
  p->setCompositionMode(ModeFor(Pen.Mode));
  p->setRenderHint(QPainter::Antialiasing, false);
}

void TCanvas::ApplyBrushFill(QPainter* p) {
  p->setBrush(Brush.Style == bsClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(Brush.Color)));
}

void TCanvas::FillRect(const TRect& r) {
  QPainter* p = Painter();
  if (!p || r.IsEmpty() || Brush.Style == bsClear) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(r.toQRect(), ToQColor(Brush.Color));
}

void TCanvas::FrameRect(const TRect& r) {
  QPainter* p = Painter();
  if (!p || r.IsEmpty()) return;
  const QColor c = ToQColor(Brush.Color);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
  p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
  p->fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
  p->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TCanvas::Rectangle(const TRect& r) {
  QPainter* p = Painter();
  if (!p || r.IsEmpty()) return;
  // Host rule: the outline lies inside the rectangle, right/bottom exclusive.
  if (Brush.Style != bsClear) {
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(r.toQRect(), ToQColor(Brush.Color));
  }
  if (Pen.Style != psClear) {
    ApplyPen(p);
    p->setBrush(Qt::NoBrush);
    p->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
  }
}

void TCanvas::Ellipse(const TRect& r) {
  QPainter* p = Painter();
  if (!p || r.IsEmpty()) return;
  ApplyPen(p);
  ApplyBrushFill(p);
  p->setRenderHint(QPainter::Antialiasing, true);
  p->drawEllipse(QRectF(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
}

void TCanvas::LineTo(int x, int y) {
  QPainter* p = Painter();
  if (p && Pen.Style != psClear) {
    ApplyPen(p);
    // The end point is not drawn, as on the host: a flat cap stops short of it.
    p->drawLine(m_penPos.X, m_penPos.Y, x, y);
  }
  m_penPos = TPoint(x, y);
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  QPainter* p = Painter();
  if (!p || points.empty()) return;
  QPolygon poly;
  for (const TPoint& pt : points) poly << pt.toQPoint();
  ApplyPen(p);
  ApplyBrushFill(p);
  p->drawPolygon(poly);
}

void TCanvas::DrawFocusRect(const TRect& r) {
  QPainter* p = Painter();
  if (!p || r.IsEmpty()) return;
  // Every other pixel along the outline, inverted (XOR with white).
  p->save();
  p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p->setPen(QColor(Qt::white));
  int phase = 0;
  auto dot = [&](int x, int y) {
    if ((phase++ & 1) == 0) p->drawPoint(x, y);
  };
  for (int x = r.Left; x < r.Right; ++x) dot(x, r.Top);
  for (int y = r.Top + 1; y < r.Bottom; ++y) dot(r.Right - 1, y);
  if (r.Height() > 1)
    for (int x = r.Right - 2; x >= r.Left; --x) dot(x, r.Bottom - 1);
  if (r.Width() > 1)
    for (int y = r.Bottom - 2; y > r.Top; --y) dot(r.Left, y);
  p->restore();
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  QPainter* p = Painter();
  if (!p) return;
  p->setFont(Font.ToQFont());
  QFontMetrics fm(p->font());
  if (Brush.Style != bsClear) {
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), ToQColor(Brush.Color));
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setPen(ToQColor(Font.Color()));
  p->drawText(x, y + fm.ascent(), text);
  m_penPos = TPoint(x + fm.horizontalAdvance(text), y);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text) {
  QPainter* p = Painter();
  if (!p) return;
  p->save();
  p->setClipRect(r.toQRect(), Qt::IntersectClip);
  if (Brush.Style != bsClear) {
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(r.toQRect(), ToQColor(Brush.Color));
  }
  p->setFont(Font.ToQFont());
  p->setPen(ToQColor(Font.Color()));
  p->drawText(x, y + QFontMetrics(p->font()).ascent(), text);
  p->restore();
}

int TCanvas::DrawText(const QString& text, TRect& r, unsigned flags) {
  QPainter* p = Painter();
  const QFont font = Font.ToQFont();
  QFontMetrics fm(font);
  QString shown = text;
  if (!(flags & DT_NOPREFIX)) {
    // "&x" marks an access key; "&&" is a literal ampersand.
    shown.clear();
    for (int i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) ++i;
      shown += text[i];
    }
  }
  int qflags = 0;
  qflags |= (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  if (flags & DT_SINGLELINE)
    qflags |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  else
    qflags |= Qt::AlignTop;
  if (flags & DT_WORDBREAK) qflags |= Qt::TextWordWrap;
  if (flags & DT_EXPANDTABS) qflags |= Qt::TextExpandTabs;
  if (flags & DT_SINGLELINE) qflags |= Qt::TextSingleLine;
  if (flags & DT_RTLREADING) qflags |= Qt::AlignAbsolute;
  if (flags & DT_END_ELLIPSIS) shown = fm.elidedText(shown, Qt::ElideRight, std::max(0, r.Width()));
  const QRect bound = fm.boundingRect(r.toQRect(), qflags, shown);
  if (flags & DT_CALCRECT) {
    r.Right = r.Left + bound.width();
    r.Bottom = r.Top + bound.height();
    return bound.height();
  }
  if (!p) return bound.height();
  p->save();
  if (!(flags & DT_NOCLIP)) p->setClipRect(r.toQRect(), Qt::IntersectClip);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setFont(font);
  p->setPen(ToQColor(Font.Color()));
  if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
  p->drawText(r.toQRect(), qflags, shown);
  p->restore();
  return bound.height();
}

int TCanvas::TextWidth(const QString& text) {
  return QFontMetrics(Font.ToQFont()).horizontalAdvance(text);
}

int TCanvas::TextHeight(const QString& text) {
  Q_UNUSED(text);
  return QFontMetrics(Font.ToQFont()).height();
}

void TCanvas::Draw(int x, int y, const TBitmap* bmp) {
  QPainter* p = Painter();
  if (!p || !bmp || bmp->Empty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (bmp->Transparent) {
    QImage img = bmp->Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ToQColor(bmp->TransparentColor).rgb() & 0xFFFFFF;
    for (int yy = 0; yy < img.height(); ++yy) {
      QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(yy));
      for (int xx = 0; xx < img.width(); ++xx)
        if ((line[xx] & 0xFFFFFF) == key) line[xx] = 0;
    }
    p->drawImage(x, y, img);
  } else {
    p->drawImage(x, y, bmp->Image());
  }
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap* bmp) {
  QPainter* p = Painter();
  if (!p || !bmp || bmp->Empty() || r.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(r.toQRect(), bmp->Image());
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src) {
  QPainter* p = Painter();
  if (!p || !source || dest.IsEmpty() || src.IsEmpty()) return;
  QPaintDevice* dev = source->Device();
  auto* img = dynamic_cast<QImage*>(dev);
  if (!img) return;
  p->setCompositionMode(QPainter::CompositionMode_Source);
  p->drawImage(dest.toQRect(), *img, src.toQRect());
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TColor TCanvas::Pixel(int x, int y) {
  auto* img = dynamic_cast<QImage*>(Device());
  if (!img) return clNone;
  // The raster engine writes straight into the image, so it can be read while painting.
  if (!img->valid(x, y)) return clNone;
  return FromQColor(QColor(img->pixel(x, y)));
}

void TCanvas::SetPixel(int x, int y, TColor c) {
  QPainter* p = Painter();
  if (!p) return;
  p->setCompositionMode(QPainter::CompositionMode_Source);
  p->fillRect(QRect(x, y, 1, 1), ToQColor(c));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::SetClipRect(const TRect& r) {
  if (QPainter* p = Painter()) p->setClipRect(r.toQRect(), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TCanvas::ResetClip() {
  if (QPainter* p = Painter()) p->setClipping(false);
}

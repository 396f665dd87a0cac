#include "platform/bitmap.h"

#include <QFile>
#include <QImageReader>

#include "platform/exceptions.h"

namespace {
QImage::Format QtFormat(TPixelFormat f) {
  return f == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}
}  // namespace

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height, TPixelFormat fmt) : m_format(fmt) {
  SetSize(width, height);
}
TBitmap::TBitmap(const QImage& image)
    : m_image(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                            : QImage::Format_RGB32)),
      m_format(image.hasAlphaChannel() ? pf32bit : pf24bit) {}
TBitmap::TBitmap(const TBitmap& o)
    : Transparent(o.Transparent), TransparentColor(o.TransparentColor),
      m_image(o.Image()), m_format(o.m_format) {}
TBitmap& TBitmap::operator=(const TBitmap& o) {
  if (this == &o) return *this;
  EndPaint();
  m_image = o.Image();
  m_format = o.m_format;
  Transparent = o.Transparent;
  TransparentColor = o.TransparentColor;
  return *this;
}
TBitmap::~TBitmap() { EndPaint(); }

void TBitmap::EndPaint() const {
  if (m_canvas) m_canvas->Detach();
}

void TBitmap::SetPixelFormat(TPixelFormat fmt) {
  if (fmt == m_format) return;
  EndPaint();
  m_format = fmt;
  if (!m_image.isNull()) m_image = m_image.convertToFormat(QtFormat(fmt));
  if (m_canvas) m_canvas->AttachDevice(&m_image);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == Width() && height == Height() && !m_image.isNull()) return;
  EndPaint();
  QImage next(std::max(width, 1), std::max(height, 1), QtFormat(m_format));
  if (width == 0 || height == 0) next = QImage();
  else next.fill(m_format == pf32bit ? Qt::transparent : Qt::white);
  // Keep what fits, as resizing a host bitmap does.
  if (!m_image.isNull() && !next.isNull()) {
    QPainter p(&next);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, m_image);
  }
  m_image = next;
  if (m_canvas) m_canvas->AttachDevice(m_image.isNull() ? nullptr : &m_image);
}

void TBitmap::LoadFromFile(const QString& fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
  QImageReader reader(&f);
  QImage img = reader.read();
  if (img.isNull())
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: \"%1\"").arg(fileName));
  EndPaint();
  m_format = img.hasAlphaChannel() && img.depth() == 32 ? pf32bit : pf24bit;
  m_image = img.convertToFormat(QtFormat(m_format));
  if (m_canvas) m_canvas->AttachDevice(&m_image);
}

void TBitmap::LoadFromData(const QByteArray& data) {
  QImage img;
  if (!img.loadFromData(data)) throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
  EndPaint();
  m_format = img.hasAlphaChannel() && img.depth() == 32 ? pf32bit : pf24bit;
  m_image = img.convertToFormat(QtFormat(m_format));
  if (m_canvas) m_canvas->AttachDevice(&m_image);
}

bool TBitmap::SaveToFile(const QString& fileName) const {
  const QImage& img = Image();
  if (m_format == pf32bit) return img.save(fileName, "BMP");
  return img.convertToFormat(QImage::Format_RGB888).save(fileName, "BMP");
}

TCanvas* TBitmap::Canvas() {
  if (!m_canvas) m_canvas = std::make_unique<TCanvas>();
  if (m_canvas->Device() != &m_image) m_canvas->AttachDevice(m_image.isNull() ? nullptr : &m_image);
  return m_canvas.get();
}

QImage& TBitmap::Image() {
  EndPaint();
  return m_image;
}
const QImage& TBitmap::Image() const {
  EndPaint();
  return m_image;
}

TColor TBitmap::Pixel(int x, int y) const {
  const QImage& img = Image();
  if (!img.valid(x, y)) return clNone;
  const QRgb c = img.pixel(x, y);
  return RGB(qRed(c), qGreen(c), qBlue(c));
}

void TBitmap::SetPixel(int x, int y, TColor c) {
  QImage& img = Image();
  if (!img.valid(x, y)) return;
  const QColor q = ToQColor(c);
  img.setPixel(x, y, qRgb(q.red(), q.green(), q.blue()));
}

#include "platform/bitmap.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstdint>
#include <cstring>

#include "platform/exceptions.h"

namespace {
QImage::Format QtFormat(TPixelFormat f) {
  return f == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

uint32_t U32(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return qFromLittleEndian(v);
}
uint16_t U16(const char* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return qFromLittleEndian(v);
}

// Reads the one kind of bitmap file skins are made of: uncompressed, 24 bits
// a pixel, with the classic 40-byte header. Other kinds are left to Qt's
// readers. This path is about start-up: asking Qt to read any image first
// loads every image plugin.
enum class PlainBmp { Other, Read, Broken };
PlainBmp ReadPlain24BitBmp(const QByteArray& data, QImage* out) {
  constexpr qsizetype kFileHeader = 14, kInfoHeader = 40;
  if (data.size() < kFileHeader + kInfoHeader || !data.startsWith("BM")) return PlainBmp::Other;
  const char* d = data.constData();
  const uint32_t offset = U32(d + 10);
  const char* info = d + kFileHeader;
  const int32_t width = static_cast<int32_t>(U32(info + 4));
  const int32_t rawHeight = static_cast<int32_t>(U32(info + 8));
  if (U32(info) != kInfoHeader || U16(info + 12) != 1 || U16(info + 14) != 24 ||
      U32(info + 16) != 0 /* BI_RGB */)
    return PlainBmp::Other;
  // A file of this kind whose sizes do not add up is refused: Qt's reader
  // would hand back a picture half made of whatever memory held before.
  constexpr int32_t kMaxSide = 32767;
  if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide ||
      rawHeight > kMaxSide)
    return PlainBmp::Broken;
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  const qsizetype rowBytes = (qsizetype(width) * 3 + 3) / 4 * 4;
  if (offset < kFileHeader + kInfoHeader || offset > uint64_t(data.size()) ||
      rowBytes * height > data.size() - qsizetype(offset))
    return PlainBmp::Broken;
  QImage img(width, height, QImage::Format_RGB32);
  if (img.isNull()) return PlainBmp::Broken;
  for (int y = 0; y < height; ++y) {
    const uchar* src = reinterpret_cast<const uchar*>(d + offset) +
                       rowBytes * (topDown ? y : height - 1 - y);
    QRgb* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < width; ++x, src += 3) dst[x] = qRgb(src[2], src[1], src[0]);
  }
  *out = std::move(img);
  return PlainBmp::Read;
}

// The picture in `data`, or a null image when it is not a readable picture.
QImage ReadImage(const QByteArray& data) {
  QImage img;
  switch (ReadPlain24BitBmp(data, &img)) {
    case PlainBmp::Read: return img;
    case PlainBmp::Broken: return QImage();
    case PlainBmp::Other: break;
  }
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  return QImageReader(&buffer).read();
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
  const QImage img = ReadImage(f.readAll());
  if (img.isNull())
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: \"%1\"").arg(fileName));
  EndPaint();
  m_format = img.hasAlphaChannel() && img.depth() == 32 ? pf32bit : pf24bit;
  m_image = img.convertToFormat(QtFormat(m_format));
  if (m_canvas) m_canvas->AttachDevice(&m_image);
}

void TBitmap::LoadFromData(const QByteArray& data) {
  const QImage img = ReadImage(data);
  if (img.isNull()) throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
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

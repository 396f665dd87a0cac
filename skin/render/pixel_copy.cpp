#include "skin/render/pixel_copy.h"

#include <cstring>
#include <vector>

namespace sfpix {

namespace {
TRect ImageRect(const QImage& img) { return TRect(0, 0, img.width(), img.height()); }

inline const quint32* Row(const QImage& img, int y) {
  return reinterpret_cast<const quint32*>(img.constScanLine(y));
}
inline quint32* Row(QImage& img, int y) { return reinterpret_cast<quint32*>(img.scanLine(y)); }

// Opaque destinations must keep alpha 0xFF in every pixel.
inline bool Opaque(const QImage& img) { return img.format() == QImage::Format_RGB32; }

void CopyPixels(quint32* to, const quint32* from, int n, bool forceOpaque) {
  if (!forceOpaque) {
    std::memcpy(to, from, size_t(n) * 4);
  } else {
    for (int i = 0; i < n; ++i) to[i] = from[i] | 0xFF000000u;
  }
}
}  // namespace

QImage As32(const QImage& image) {
  if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
    return image;
  return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                       : QImage::Format_RGB32);
}

void Blit(QImage& dst, int dx, int dy, const QImage& src, const TRect& s) {
  if (dst.isNull() || src.isNull()) return;
  const TRect cs = s.Intersect(ImageRect(src));
  if (cs.IsEmpty()) return;
  // Where the clipped source lands, then clipped to the destination.
  const TRect target = ImageRect(dst).Intersect(
      ::Bounds(dx + cs.Left - s.Left, dy + cs.Top - s.Top, cs.Width(), cs.Height()));
  if (target.IsEmpty()) return;
  const int sx = cs.Left + (target.Left - (dx + cs.Left - s.Left));
  const int sy = cs.Top + (target.Top - (dy + cs.Top - s.Top));
  const bool force = Opaque(dst) && !Opaque(src);
  for (int y = 0; y < target.Height(); ++y)
    CopyPixels(Row(dst, target.Top + y) + target.Left, Row(src, sy + y) + sx, target.Width(),
               force);
}

void Stretch(QImage& dst, const TRect& d, const QImage& src, const TRect& s) {
  if (dst.isNull() || src.isNull() || d.IsEmpty()) return;
  const TRect cs = s.Intersect(ImageRect(src));
  if (cs.IsEmpty()) return;
  const TRect target = d.Intersect(ImageRect(dst));
  if (target.IsEmpty()) return;
  if (cs.Width() == d.Width() && cs.Height() == d.Height()) {
    Blit(dst, d.Left, d.Top, src, cs);
    return;
  }
  const int dw = d.Width(), dh = d.Height(), sw = cs.Width(), sh = cs.Height();
  std::vector<int> xmap(size_t(target.Width()));
  for (int x = target.Left; x < target.Right; ++x)
    xmap[size_t(x - target.Left)] = cs.Left + int((qint64(x - d.Left) * sw) / dw);
  const bool force = Opaque(dst) && !Opaque(src);
  const quint32 orMask = force ? 0xFF000000u : 0u;
  int lastSrcRow = -1;
  for (int y = target.Top; y < target.Bottom; ++y) {
    const int sy = cs.Top + int((qint64(y - d.Top) * sh) / dh);
    quint32* to = Row(dst, y) + target.Left;
    if (sy == lastSrcRow) {
      // Same source row as the row above: repeat it.
      std::memcpy(to, Row(dst, y - 1) + target.Left, size_t(target.Width()) * 4);
      continue;
    }
    const quint32* from = Row(src, sy);
    for (int i = 0; i < target.Width(); ++i) to[i] = from[xmap[size_t(i)]] | orMask;
    lastSrcRow = sy;
  }
}

void TileAnchored(QImage& dst, const TRect& area, TPoint origin, const QImage& src,
                  const TRect& piece) {
  if (dst.isNull() || src.isNull()) return;
  const TRect p = piece.Intersect(ImageRect(src));
  if (p.IsEmpty()) return;
  const TRect target = area.Intersect(ImageRect(dst));
  if (target.IsEmpty()) return;
  const int pw = p.Width(), ph = p.Height();
  auto mod = [](int a, int n) { return ((a % n) + n) % n; };
  const bool force = Opaque(dst) && !Opaque(src);
  const int firstBand = std::min(target.Bottom, target.Top + ph);
  // Build the first band of piece rows column by column, whole pieces with
  // one cut piece at each end; the rows below repeat the band.
  for (int y = target.Top; y < firstBand; ++y) {
    const quint32* from = Row(src, p.Top + mod(y - origin.Y, ph)) + p.Left;
    quint32* to = Row(dst, y);
    int x = target.Left;
    while (x < target.Right) {
      const int off = mod(x - origin.X, pw);
      const int n = std::min(pw - off, target.Right - x);
      CopyPixels(to + x, from + off, n, force);
      x += n;
    }
  }
  for (int y = firstBand; y < target.Bottom; ++y)
    std::memcpy(Row(dst, y) + target.Left, Row(dst, y - ph) + target.Left,
                size_t(target.Width()) * 4);
}

void Tile(QImage& dst, const TRect& area, const QImage& src, const TRect& piece) {
  TileAnchored(dst, area, TPoint(area.Left, area.Top), src, piece);
}

}  // namespace sfpix

#include "skin/render/mask_region.h"

#include <QtEndian>
#include <algorithm>

#include "skin/render/pixel_copy.h"

bool TsfRegion::Contains(const TPoint& p) const {
  for (const TRect& r : Rects)
    if (r.Contains(p)) return true;
  return false;
}

namespace {
// Unites rects[from, to) by halves, so each union works on regions of
// similar size instead of growing one region rectangle by rectangle.
QRegion UniteRange(const std::vector<TRect>& rects, size_t from, size_t to) {
  if (to - from <= 16) {
    QRegion r;
    for (size_t i = from; i < to; ++i)
      if (!rects[i].IsEmpty()) r += rects[i].toQRect();
    return r;
  }
  const size_t mid = from + (to - from) / 2;
  return UniteRange(rects, from, mid).united(UniteRange(rects, mid, to));
}
}  // namespace

QRegion TsfRegion::ToQRegion() const {
  if (Rects.empty()) return QRegion();
  std::vector<TRect> sorted = Rects;
  std::sort(sorted.begin(), sorted.end(), [](const TRect& a, const TRect& b) {
    return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left;
  });
  return UniteRange(sorted, 0, sorted.size());
}

QByteArray TsfRegionData::ToBytes() const {
  QByteArray bytes(int(ByteSize()), '\0');
  auto* out = reinterpret_cast<uchar*>(bytes.data());
  auto put = [&out](qint32 v) {
    qToLittleEndian(v, out);
    out += 4;
  };
  put(HeaderSize);
  put(RectanglesType);
  put(Count());
  put(BufferSize);
  put(Bound.Left);
  put(Bound.Top);
  put(Bound.Right);
  put(Bound.Bottom);
  for (const TRect& r : Rects) {
    put(r.Left);
    put(r.Top);
    put(r.Right);
    put(r.Bottom);
  }
  return bytes;
}

std::optional<TsfRegionData> BuildMaskRegionData(const TBitmap& mask, int dx, int dy) {
  if (mask.Empty()) return std::nullopt;
  const QImage img = sfpix::As32(mask.Image());
  const int w = img.width(), h = img.height();
  TsfRegionData data;
  data.Bound = TRect(dx, dy, dx + w, dy + h);
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const quint32*>(img.constScanLine(y));
    int x = 0;
    while (x < w) {
      if ((row[x] & 0xFFFFFFu) != 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < w && (row[x] & 0xFFFFFFu) == 0) ++x;
      data.Rects.emplace_back(start + dx, y + dy, x + dx, y + dy + 1);
    }
  }
  return data;
}

TsfRegion BuildMaskRegion(const TBitmap& mask) {
  const auto data = BuildMaskRegionData(mask, 0, 0);
  return data ? data->ToRegion() : TsfRegion();
}

namespace {
// A mask part starts white: whatever no piece covers lies outside the window.
void WhitePart(TBitmap& part, int w, int h) {
  ResetBitmap(part, w, h);
  if (!part.Empty()) part.Image().fill(0xFFFFFFFFu);
}
}  // namespace

void ComposeMaskBorders(TsfMaskBorders& parts, const TsfFramePoints& k, const TsfFramePoints& n,
                        int W, const TBitmap& mask) {
  const QImage src = mask.Empty() ? QImage() : sfpix::As32(mask.Image());
  const int Mw = src.width(), Mh = src.height();
  const TRect& C = k.C;
  const int sideH = HeightOf(n.C);

  // Left and right bands: the repeatable piece laid from where the frame lays
  // it (part row r is window row C'.top + r), then the two ends.
  auto side = [&](TBitmap& part, int x0, int x1, int repeatTop, int repeatBottom,
                  int laidRepeatBottom) {
    const int w = x1 - x0;
    if (src.isNull() || w <= 0 || sideH <= 0) {
      ResetBitmap(part, 0, 0);
      return;
    }
    WhitePart(part, w, sideH);
    QImage& dst = part.Image();
    if (repeatBottom != repeatTop)
      sfpix::TileAnchored(dst, TRect(0, 0, w, sideH), TPoint(0, repeatTop - C.Top), src,
                          TRect(x0, repeatTop, x1, repeatBottom));
    if (repeatTop > C.Top) sfpix::Blit(dst, 0, 0, src, TRect(x0, C.Top, x1, repeatTop));
    if (C.Bottom > repeatBottom)
      sfpix::Blit(dst, 0, laidRepeatBottom - n.C.Top, src, TRect(x0, repeatBottom, x1, C.Bottom));
  };
  side(parts.Left, 0, C.Left, k.LT.Y, k.LB.Y, n.LB.Y);
  side(parts.Right, C.Right, Mw, k.RT.Y, k.RB.Y, n.RB.Y);

  // Top and bottom bands: the piece repeated from the laid-out start point,
  // then the two ends.
  auto band = [&](TBitmap& part, int y0, int y1, int repeatLeft, int repeatRight, int laidLeft,
                  int laidRight) {
    const int h = y1 - y0;
    if (src.isNull() || W <= 0 || h <= 0) {
      ResetBitmap(part, 0, 0);
      return;
    }
    WhitePart(part, W, h);
    QImage& dst = part.Image();
    if (repeatRight != repeatLeft)
      sfpix::Tile(dst, TRect(laidLeft, 0, laidRight, h), src, TRect(repeatLeft, y0, repeatRight, y1));
    sfpix::Blit(dst, 0, 0, src, TRect(0, y0, repeatLeft, y1));
    sfpix::Blit(dst, laidRight, 0, src, TRect(repeatRight, y0, Mw, y1));
  };
  band(parts.Top, 0, C.Top, k.LT.X, k.RT.X, n.LT.X, n.RT.X);
  band(parts.Bottom, C.Bottom, Mh, k.LB.X, k.RB.X, n.LB.X, n.RB.X);
}

std::optional<TsfRegion> BuildFrameRegion(const TsfFramePoints& k, const TsfFramePoints& n, int W,
                                          int H, const TBitmap& mask, QSize expectedSize) {
  Q_UNUSED(H);
  if (n.RT.X < n.LT.X || n.LB.Y < n.LT.Y) return std::nullopt;
  if (IsEmptyArea(n.C) || mask.Empty()) return std::nullopt;
  // A mask that does not match its skin counts as no mask.
  if (expectedSize.isValid() && QSize(mask.Width(), mask.Height()) != expectedSize)
    return std::nullopt;
  if (k.C.Left < 0 || k.C.Top < 0 || k.C.Right > mask.Width() || k.C.Bottom > mask.Height())
    return std::nullopt;

  TsfMaskBorders parts;
  ComposeMaskBorders(parts, k, n, W, mask);
  TsfRegion region;
  region.Add(n.C);
  auto add = [&region](const TBitmap& part, int dx, int dy) {
    if (const auto data = BuildMaskRegionData(part, dx, dy)) region.Unite(data->ToRegion());
  };
  add(parts.Top, 0, 0);
  add(parts.Bottom, 0, n.C.Bottom);
  add(parts.Left, 0, n.C.Top);
  add(parts.Right, n.C.Right, n.C.Top);
  return region;
}

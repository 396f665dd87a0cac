#pragma once
// Window regions from mask pictures: the black pixels (red, green and blue
// all 0) of a mask belong to the window, every other colour lies outside.
// A region is kept as the list of its rectangles (one per horizontal run of
// black pixels, one pixel high) so that it can be checked and combined
// before it becomes a QRegion for the window.

#include <QByteArray>
#include <QRegion>
#include <QSize>
#include <optional>
#include <vector>

#include "platform/bitmap.h"
#include "platform/types.h"
#include "skin/render/compose.h"

class TsfRegion {
 public:
  TsfRegion() = default;
  explicit TsfRegion(std::vector<TRect> rects) : Rects(std::move(rects)) {}

  std::vector<TRect> Rects;

  bool IsEmpty() const { return Rects.empty(); }
  void Add(const TRect& r) {
    if (!r.IsEmpty()) Rects.push_back(r);
  }
  void Unite(const TsfRegion& other) {
    Rects.insert(Rects.end(), other.Rects.begin(), other.Rects.end());
  }
  bool Contains(const TPoint& p) const;
  QRegion ToQRegion() const;
};

// The region-data block: a 32-byte header (header size 32, type 1 =
// rectangles, rectangle count, buffer size 0, bounding rect) followed by the
// rectangles, 16 bytes each. There is no limit on the number of rectangles.
struct TsfRegionData {
  static constexpr int HeaderSize = 32;
  static constexpr int RectanglesType = 1;
  int BufferSize = 0;
  TRect Bound;
  std::vector<TRect> Rects;

  int Count() const { return int(Rects.size()); }
  qint64 ByteSize() const { return HeaderSize + 16 * qint64(Rects.size()); }
  // The block as bytes (32-bit little-endian integers).
  QByteArray ToBytes() const;
  TsfRegion ToRegion() const { return TsfRegion(Rects); }
};

// The runs of black pixels of `mask`, placed at (dx, dy); nothing for an
// empty picture.
std::optional<TsfRegionData> BuildMaskRegionData(const TBitmap& mask, int dx, int dy);

// The region of the mask's black pixels at (0, 0) (empty for an empty mask).
TsfRegion BuildMaskRegion(const TBitmap& mask);

// The four parts of a mask laid out at a new size: top, bottom, left, right.
struct TsfMaskBorders {
  TBitmap Top, Bottom, Left, Right;
};

// Lays the mask's frame bands out at width W (and the height that the
// laid-out client rect `laid.C` implies), repeating the pieces between the
// corner points 1:1. Parts without a size are emptied.
void ComposeMaskBorders(TsfMaskBorders& parts, const TsfFramePoints& skin,
                        const TsfFramePoints& laid, int W, const TBitmap& mask);

// The region of a whole W x H window: the laid-out client rect plus the
// black pixels of the laid-out mask bands. None when the new layout is
// inverted, the new client rect is empty, the mask is empty, or the mask does
// not fit its points (smaller than its client rect, or not of `expectedSize`
// when one is given): the window then keeps its rectangular shape.
std::optional<TsfRegion> BuildFrameRegion(const TsfFramePoints& skin, const TsfFramePoints& laid,
                                          int W, int H, const TBitmap& mask,
                                          QSize expectedSize = QSize());

#pragma once
// Geometry as the system describes it: right and bottom edges are exclusive.
// Qt's QRect::right() is inclusive, so convert only at the drawing call.

#include <QPoint>
#include <QRect>
#include <algorithm>

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int x, int y) : X(x), Y(y) {}
  friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
  QPoint toQPoint() const { return QPoint(X, Y); }
  static TPoint fromQPoint(const QPoint& p) { return TPoint(p.x(), p.y()); }
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
  friend constexpr bool operator==(const TRect&, const TRect&) = default;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  // A rectangle with width or height 0 or less is empty.
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(const TPoint& p) const {
    return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
  }
  constexpr TRect Offset(int dx, int dy) const {
    return TRect(Left + dx, Top + dy, Right + dx, Bottom + dy);
  }
  constexpr TRect Inflate(int dx, int dy) const {
    return TRect(Left - dx, Top - dy, Right + dx, Bottom + dy);
  }
  // Intersection; empty inputs give an empty result at (0,0,0,0).
  constexpr TRect Intersect(const TRect& o) const {
    TRect r(std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right),
            std::min(Bottom, o.Bottom));
    return r.IsEmpty() ? TRect() : r;
  }
  QRect toQRect() const { return QRect(Left, Top, Width(), Height()); }
  static TRect fromQRect(const QRect& r) {
    return TRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
  }
};

inline constexpr TRect Rect(int l, int t, int r, int b) { return TRect(l, t, r, b); }
inline constexpr TRect Bounds(int l, int t, int w, int h) { return TRect(l, t, l + w, t + h); }
inline constexpr TPoint Point(int x, int y) { return TPoint(x, y); }

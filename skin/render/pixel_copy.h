#pragma once
// Pixel copies between 32-bit images (QImage Format_RGB32 / Format_ARGB32),
// the block operations every skin composition is made of. Every source rect
// is clipped to its picture and every write to the destination image, so
// rects read from a skin file can never reach outside either picture.

#include <QImage>

#include "platform/types.h"

namespace sfpix {

// The image as 32 bits per pixel (a shallow copy when it already is).
QImage As32(const QImage& image);

// 1:1 copy of source rect `s` to (dx, dy). Where `s` sticks out of the
// picture only the part inside is copied, at the place it has in `s`.
void Blit(QImage& dst, int dx, int dy, const QImage& src, const TRect& s);

// Plain scaling of `s` into `d`: no smoothing, pixels repeated or dropped.
// Destination pixel i of a run of length dn takes source pixel (i * sn) div dn.
// The source rect is first clipped to the picture; an empty source or
// destination draws nothing.
void Stretch(QImage& dst, const TRect& d, const QImage& src, const TRect& s);

// Repeats `piece` over `area`: pieces laid at area.Left + k * pw and
// area.Top + j * ph, the last ones cut at the area's right and bottom (the
// copy keeps the near side of the piece). A piece with no width or height,
// after clipping to its picture, draws nothing.
void Tile(QImage& dst, const TRect& area, const QImage& src, const TRect& piece);

// As Tile, with the repetition anchored at `origin` (pieces at
// origin + k * size for every integer k) and drawn only inside `area`.
void TileAnchored(QImage& dst, const TRect& area, TPoint origin, const QImage& src,
                  const TRect& piece);

}  // namespace sfpix

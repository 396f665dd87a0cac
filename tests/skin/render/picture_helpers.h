#pragma once
// Small synthetic pictures for the render tests: every pixel of a "distinct"
// picture has its own colour, so a pixel in a result names where it came from.

#include <QImage>

#include "platform/bitmap.h"

namespace rendertest {

// Pixel (x, y) is red x, green y, blue `tag` (x, y < 256).
inline TBitmap Distinct(int w, int h, int tag = 7) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x, y, tag));
  return TBitmap(img);
}

inline QRgb At(const TBitmap& b, int x, int y) { return b.Image().pixel(x, y) | 0xFF000000u; }
inline QRgb Src(int x, int y, int tag = 7) { return qRgb(x, y, tag); }

inline TBitmap Filled(int w, int h, QRgb c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return TBitmap(img);
}

}  // namespace rendertest

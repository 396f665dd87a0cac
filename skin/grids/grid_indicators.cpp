#include "skin/grids/grid_indicators.h"

namespace {
void Px(TBitmap& b, int x, int y) { b.SetPixel(x, y, clBlack); }

// A solid triangle pointing right, its tip at column x0 + 3.
void Arrow(TBitmap& b, int x0) {
  for (int i = 0; i < 4; ++i)
    for (int y = 5 - i; y <= 5 + i; ++y) Px(b, x0 + 3 - i, y);
}

void Dot(TBitmap& b, int x0) {
  for (int y = 4; y <= 6; ++y)
    for (int x = x0; x < x0 + 3; ++x) Px(b, x, y);
}
}  // namespace

TBitmap IndicatorPicture(TsfIndicatorImage which) {
  TBitmap b(kIndicatorImageWidth, kIndicatorImageHeight);
  b.Image().fill(Qt::white);
  switch (which) {
    case iiCurrent: Arrow(b, 2); break;
    case iiEdit:  // an I-beam
      for (int y = 2; y <= 8; ++y) Px(b, 3, y);
      for (int x : {1, 2, 4, 5}) Px(b, x, 1), Px(b, x, 9);
      break;
    case iiInsert:  // an asterisk
      for (int i = 2; i <= 8; ++i) Px(b, 3, i);
      for (int i = 0; i <= 6; ++i) Px(b, i, 5);
      for (int i = 1; i <= 5; ++i) Px(b, i, 2 + i), Px(b, i, 8 - i);
      break;
    case iiSelected: Dot(b, 2); break;
    case iiCurrentSelected:
      Arrow(b, 4);
      Dot(b, 0);
      break;
  }
  return b;
}

void FillIndicatorImages(TCustomImageList& list, bool mirrored) {
  for (int i = iiCurrent; i <= iiCurrentSelected; ++i) {
    const TBitmap picture = IndicatorPicture(TsfIndicatorImage(i));
    list.Add(mirrored ? TBitmap(picture.Image().mirrored(true, false)) : picture, true);
  }
}

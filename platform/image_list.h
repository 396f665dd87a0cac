#pragma once
// TCustomImageList: a list of equal-sized pictures drawn by index, the part
// of the host's image lists that skinned buttons and menus use. An object,
// so controls can hold it by QPointer and forget it when it is destroyed.

#include <QObject>
#include <vector>

#include "platform/bitmap.h"
#include "platform/canvas.h"

class TCustomImageList : public QObject {
 public:
  TCustomImageList(int width = 16, int height = 16) : m_width(width), m_height(height) {}

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int Count() const { return int(m_images.size()); }

  // Adds a picture (cut or padded to the list's size); returns its index.
  // With `transparent`, the colour of its bottom-left pixel is left out.
  int Add(const TBitmap& picture, bool transparent = true);
  void Clear() { m_images.clear(); }

  // Draws image `index` at (x, y); a disabled image is drawn greyed.
  // Nothing for an index out of range.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;

 private:
  int m_width;
  int m_height;
  std::vector<QImage> m_images;  // ARGB32, alpha 0 where transparent
};

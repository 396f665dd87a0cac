#include "platform/image.h"

TImage::TImage(QWidget* parent) : TGraphicControl(parent) {
  Opaque = true;  // the parent shows where the picture does not reach
  setAttribute(Qt::WA_NoSystemBackground, false);
  SetBounds(Left(), Top(), 105, 105);
}

void TImage::SetPicture(const TBitmap& picture) {
  m_picture = picture;
  AdjustSize();
  update();
}

void TImage::SetStretch(bool v) { m_stretch = v; update(); }
void TImage::SetCenter(bool v) { m_center = v; update(); }
void TImage::SetTransparent(bool v) { m_transparent = v; update(); }

void TImage::SetAutoSize(bool v) {
  m_autoSize = v;
  AdjustSize();
}

void TImage::AdjustSize() {
  if (m_autoSize && !m_picture.Empty()) SetBounds(Left(), Top(), m_picture.Width(), m_picture.Height());
}

void TImage::Paint() {
  if (m_picture.Empty()) return;
  TBitmap shown = m_picture;
  shown.Transparent = m_transparent;
  if (m_transparent) shown.TransparentColor = m_picture.Pixel(0, m_picture.Height() - 1);
  if (m_stretch) {
    Canvas()->StretchDraw(ClientRect(), &shown);
    return;
  }
  int x = 0, y = 0;
  if (m_center) {
    x = (Width() - shown.Width()) / 2;
    y = (Height() - shown.Height()) / 2;
  }
  Canvas()->Draw(x, y, &shown);
}

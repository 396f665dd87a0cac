#include "platform/image_list.h"

#include <QPainter>

int TCustomImageList::Add(const TBitmap& picture, bool transparent) {
  QImage img(m_width, m_height, QImage::Format_ARGB32);
  img.fill(0);
  if (!picture.Empty()) {
    const QImage src = picture.Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = src.pixel(0, src.height() - 1) & 0xFFFFFFu;
    // A picture with an alpha channel keeps it; one whose alpha is zero
    // throughout (an unused fourth byte) is opaque.
    bool alpha = false;
    if (picture.Image().hasAlphaChannel())
      for (int y = 0; y < src.height() && !alpha; ++y)
        for (int x = 0; x < src.width() && !alpha; ++x) alpha = qAlpha(src.pixel(x, y)) != 0;
    const QRgb opaque = alpha ? 0u : 0xFF000000u;
    for (int y = 0; y < std::min(m_height, src.height()); ++y)
      for (int x = 0; x < std::min(m_width, src.width()); ++x) {
        const QRgb p = src.pixel(x, y);
        if (!transparent || (p & 0xFFFFFFu) != key) img.setPixel(x, y, p | opaque);
      }
  }
  m_images.push_back(img);
  return Count() - 1;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
  if (!canvas || index < 0 || index >= Count()) return;
  QPainter* p = canvas->Painter();
  if (!p) return;
  QImage img = m_images[size_t(index)];
  if (!enabled) {
    // Greyed: each visible pixel becomes a light grey of its brightness.
    for (int yy = 0; yy < img.height(); ++yy) {
      auto* line = reinterpret_cast<QRgb*>(img.scanLine(yy));
      for (int xx = 0; xx < img.width(); ++xx) {
        if (qAlpha(line[xx]) == 0) continue;
        const int g = 128 + qGray(line[xx]) / 2;
        line[xx] = qRgba(g, g, g, qAlpha(line[xx]));
      }
    }
  }
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(x, y, img);
  p->restore();
}

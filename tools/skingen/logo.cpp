#include "tools/skingen/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage DrawLogo() {
  QImage img(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // Ground: a deep blue band that lightens towards the bottom.
  QLinearGradient ground(0, 0, 0, kLogoHeight);
  ground.setColorAt(0, QColor(0x1b, 0x3f, 0x8b));
  ground.setColorAt(1, QColor(0x3a, 0x6e, 0xc8));
  p.fillRect(img.rect(), ground);
  p.setPen(QPen(QColor(0x0f, 0x26, 0x5c), 1));
  p.drawRect(QRectF(0.5, 0.5, kLogoWidth - 1, kLogoHeight - 1));

  // An open book: two pages curving away from the spine.
  const QPointF spine(26, 38);
  QPainterPath left, right;
  left.moveTo(spine);
  left.cubicTo(20, 33, 11, 33, 5, 36);
  left.lineTo(5, 14);
  left.cubicTo(11, 11, 20, 11, 26, 16);
  left.closeSubpath();
  right.moveTo(spine);
  right.cubicTo(32, 33, 41, 33, 47, 36);
  right.lineTo(47, 14);
  right.cubicTo(41, 11, 32, 11, 26, 16);
  right.closeSubpath();
  p.setPen(QPen(QColor(0xd8, 0xe2, 0xf4), 1.2));
  p.setBrush(QColor(0xfb, 0xfb, 0xf4));
  p.drawPath(left);
  p.drawPath(right);
  // Lines of text on the pages.
  p.setPen(QPen(QColor(0x9a, 0xac, 0xcc), 1));
  for (int i = 0; i < 4; ++i) {
    const qreal y = 19 + i * 4.5;
    p.drawLine(QPointF(9, y), QPointF(22, y + 1.5));
    p.drawLine(QPointF(30, y + 1.5), QPointF(43, y));
  }
  // A red tick over the right page: an answer marked right.
  QPainterPath tick;
  tick.moveTo(31, 21);
  tick.lineTo(36, 28);
  tick.lineTo(49, 6);
  p.setPen(QPen(QColor(0xe0, 0x30, 0x28), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tick);

  // The name and what the program is for.
  QFont name(QStringLiteral("DejaVu Sans"));
  name.setPixelSize(22);
  name.setBold(true);
  name.setItalic(true);
  p.setFont(name);
  p.setPen(QColor(0x0f, 0x26, 0x5c));
  p.drawText(QRectF(58, 3, 118, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TOLM"));
  p.setPen(Qt::white);
  p.drawText(QRectF(57, 2, 118, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TOLM"));
  QFont sub(QStringLiteral("Noto Sans CJK SC"));
  sub.setPixelSize(13);
  p.setFont(sub);
  p.setPen(QColor(0xff, 0xd8, 0x5a));
  p.drawText(QRectF(58, 28, 118, 18), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("真题练习工具"));
  p.end();
  return img;
}

bool WriteLogo(const QString& file, QString* error) {
  if (DrawLogo().convertToFormat(QImage::Format_RGB888).save(file, "BMP")) return true;
  if (error) *error = QStringLiteral("cannot write %1").arg(file);
  return false;
}

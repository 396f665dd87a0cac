#include "platform/font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <cmath>

void InstallFontSubstitutions() {
  static bool done = false;
  if (done) return;
  done = true;
  const QStringList cjk = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC",
                           "Noto Serif CJK SC", "AR PL UMing CN", "Droid Sans Fallback"};
  const QStringList sans = {"Liberation Sans", "Arimo", "DejaVu Sans"};
  // CJK names first in their lists so Chinese text never falls back to boxes.
  QFont::insertSubstitutions(QStringLiteral("宋体"), cjk + sans);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), cjk + sans);
  QFont::insertSubstitutions(QStringLiteral("新宋体"), cjk + sans);
  QFont::insertSubstitutions(QStringLiteral("NSimSun"), cjk + sans);
  for (const char* name : {"Arial", "MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Verdana"})
    QFont::insertSubstitutions(QString::fromLatin1(name), sans + cjk);
}

int FontSizeToHeight(int size) { return -static_cast<int>(std::lround(size * 96.0 / 72.0)); }
int FontHeightToSize(int height) {
  return static_cast<int>(std::lround(std::abs(height) * 72.0 / 96.0));
}

QFont MakeQFont(const QString& name, int height, TFontStyles style) {
  QFont f(name.isEmpty() ? QStringLiteral("MS Sans Serif") : name);
  f.setBold(style & fsBold);
  f.setItalic(style & fsItalic);
  f.setUnderline(style & fsUnderline);
  f.setStrikeOut(style & fsStrikeOut);
  f.setStyleStrategy(QFont::PreferAntialias);
  if (height == 0) height = -11;
  if (height < 0) {
    f.setPixelSize(-height);
    return f;
  }
  // Positive: the whole cell (ascent + descent) is the height; scale the pixel
  // size by the measured ratio, cached per family and style.
  static QHash<QString, double> ratios;
  const QString key = name + QChar(0x1F) + QString::number(style);
  auto it = ratios.find(key);
  if (it == ratios.end()) {
    QFont probe = f;
    probe.setPixelSize(100);
    QFontMetrics fm(probe);
    const int cell = fm.ascent() + fm.descent();
    it = ratios.insert(key, cell > 0 ? 100.0 / cell : 1.0);
  }
  f.setPixelSize(std::max(1, static_cast<int>(std::floor(height * it.value()))));
  return f;
}

TFont::TFont() : m_name(QStringLiteral("MS Sans Serif")), m_height(-11) {}
TFont::TFont(const TFont& o)
    : m_name(o.m_name), m_height(o.m_height), m_style(o.m_style), m_charset(o.m_charset),
      m_color(o.m_color) {}

TFont& TFont::operator=(const TFont& o) {
  if (this == &o) return *this;
  m_name = o.m_name;
  m_height = o.m_height;
  m_style = o.m_style;
  m_charset = o.m_charset;
  m_color = o.m_color;
  Changed();
  return *this;
}

void TFont::SetName(const QString& v) { if (v != m_name) { m_name = v; Changed(); } }
void TFont::SetHeight(int v) { if (v != m_height) { m_height = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (v != m_style) { m_style = v; Changed(); } }
void TFont::SetCharset(int v) { if (v != m_charset) { m_charset = v; Changed(); } }
void TFont::SetColor(TColor v) { if (v != m_color) { m_color = v; Changed(); } }
void TFont::Changed() { if (OnChange) OnChange(this); }

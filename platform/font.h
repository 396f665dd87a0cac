#pragma once
// Fonts as the host framework describes them. Height follows the host rule:
// positive = cell height (ascent + descent), negative = character height.
// MakeQFont is the one mapping to Qt; tests measure through it.

#include <QFont>
#include <QString>
#include <functional>

#include "platform/colors.h"

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

constexpr int DEFAULT_CHARSET = 1;
constexpr int GB2312_CHARSET = 134;

// The designed font names (宋体, Arial, MS Sans Serif, Tahoma...) are mapped to
// installed fonts here, once per process.
void InstallFontSubstitutions();

QFont MakeQFont(const QString& name, int height, TFontStyles style);
// Host-style height from points at the fixed 96 pixels per inch.
int FontSizeToHeight(int size);
int FontHeightToSize(int height);

class TFont {
 public:
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);  // Assign: copies values, fires OnChange

  QString Name() const { return m_name; }
  void SetName(const QString& v);
  int Height() const { return m_height; }
  void SetHeight(int v);
  int Size() const { return FontHeightToSize(m_height); }
  void SetSize(int v) { SetHeight(FontSizeToHeight(v)); }
  TFontStyles Style() const { return m_style; }
  void SetStyle(TFontStyles v);
  int Charset() const { return m_charset; }
  void SetCharset(int v);
  TColor Color() const { return m_color; }
  void SetColor(TColor v);

  void Assign(const TFont& other) { *this = other; }
  QFont ToQFont() const { return MakeQFont(m_name, m_height, m_style); }
  bool operator==(const TFont& o) const {
    return m_name == o.m_name && m_height == o.m_height && m_style == o.m_style &&
           m_charset == o.m_charset && m_color == o.m_color;
  }

  std::function<void(TFont*)> OnChange;

 private:
  void Changed();
  QString m_name;
  int m_height;
  TFontStyles m_style = 0;
  int m_charset = DEFAULT_CHARSET;
  TColor m_color = clWindowText;
};

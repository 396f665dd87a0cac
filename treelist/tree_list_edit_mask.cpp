#include "treelist/tree_list_edit_mask.h"

#include <QStringList>
#include <algorithm>

namespace {
// The mask's fields: "\" escapes keep a ";" inside the mask itself.
QStringList SplitFields(const QString& mask) {
  QStringList fields{QString()};
  for (int i = 0; i < mask.size(); ++i) {
    const QChar c = mask[i];
    if (c == QLatin1Char('\\') && i + 1 < mask.size() && fields.size() == 1) {
      fields.back() += c;
      fields.back() += mask[++i];
    } else if (c == QLatin1Char(';') && fields.size() < 3) {
      fields.append(QString());
    } else {
      fields.back() += c;
    }
  }
  return fields;
}
}  // namespace

TtlEditMask::TtlEditMask(const QString& mask, QChar dateSeparator, QChar timeSeparator) {
  const QStringList fields = SplitFields(mask);
  const QString& body = fields[0];
  if (fields.size() > 1) m_saveLiterals = fields[1].trimmed() != QLatin1String("0");
  if (fields.size() > 2 && !fields[2].isEmpty()) m_blank = fields[2][0];
  Case charCase = mcNone;
  for (int i = 0; i < body.size(); ++i) {
    const QChar c = body[i];
    Position p;
    p.charCase = charCase;
    switch (c.unicode()) {
      case u'!': m_trimLeading = true; continue;
      case u'>': charCase = mcUpper; continue;
      case u'<':
        if (i + 1 < body.size() && body[i + 1] == QLatin1Char('>')) {
          ++i;
          charCase = mcNone;
        } else {
          charCase = mcLower;
        }
        continue;
      case u'\\':
        if (i + 1 >= body.size()) continue;
        p.literal = body[++i];
        break;
      case u'0': p.kind = mkDigit; p.required = true; break;
      case u'9': p.kind = mkDigit; break;
      case u'#': p.kind = mkDigitSign; break;
      case u'L': p.kind = mkLetter; p.required = true; break;
      case u'l': p.kind = mkLetter; break;
      case u'A': p.kind = mkAlnum; p.required = true; break;
      case u'a': p.kind = mkAlnum; break;
      case u'C': p.kind = mkAny; p.required = true; break;
      case u'c': p.kind = mkAny; break;
      case u'/': p.literal = dateSeparator; break;
      case u':': p.literal = timeSeparator; break;
      default: p.literal = c; break;
    }
    m_positions.push_back(p);
  }
}

QChar TtlEditMask::Accept(int pos, QChar c) const {
  if (IsLiteral(pos) || c.isNull()) return QChar();
  const Position& p = m_positions[pos];
  bool ok = false;
  switch (p.kind) {
    case mkDigit: ok = c.isDigit(); break;
    case mkDigitSign: ok = c.isDigit() || c == QLatin1Char(' ') || c == QLatin1Char('+') || c == QLatin1Char('-'); break;
    case mkLetter: ok = c.isLetter(); break;
    case mkAlnum: ok = c.isLetterOrNumber(); break;
    case mkAny: ok = c.isPrint(); break;
    case mkLiteral: break;
  }
  if (!ok) return QChar();
  if (c.isLetter() && p.charCase == mcUpper) return c.toUpper();
  if (c.isLetter() && p.charCase == mcLower) return c.toLower();
  return c;
}

QString TtlEditMask::Format(const QString& value) const {
  QString text;
  text.reserve(Length());
  QString v = value;
  if (!m_saveLiterals && m_trimLeading) {
    int editable = 0;
    for (const Position& p : m_positions) editable += p.kind != mkLiteral;
    if (v.size() < editable) v = QString(editable - v.size(), QLatin1Char(' ')) + v;
  }
  int vi = 0;
  for (int pos = 0; pos < Length(); ++pos) {
    const Position& p = m_positions[pos];
    if (p.kind == mkLiteral) {
      if (m_saveLiterals && vi < v.size() && v[vi] == p.literal) ++vi;
      text += p.literal;
      continue;
    }
    const QChar c = vi < v.size() ? v[vi++] : m_blank;
    const QChar shown = c == m_blank ? c : Accept(pos, c);
    text += shown.isNull() ? m_blank : shown;
  }
  return text;
}

QString TtlEditMask::Value(const QString& editText) const {
  QString text = editText.left(Length());
  while (text.size() < Length()) text += m_blank;
  if (m_saveLiterals) {
    for (int pos = 0; pos < Length(); ++pos)
      if (!IsLiteral(pos) && text[pos] == m_blank) text[pos] = QLatin1Char(' ');
    return text;
  }
  QString value;
  for (int pos = 0; pos < Length(); ++pos)
    if (!IsLiteral(pos)) value += text[pos];
  if (m_trimLeading) {
    int from = 0;
    while (from < value.size() && value[from] == m_blank) ++from;
    value = value.mid(from);
  } else {
    int to = value.size();
    while (to > 0 && value[to - 1] == m_blank) --to;
    value.truncate(to);
  }
  value.replace(m_blank, QLatin1Char(' '));
  return value;
}

bool TtlEditMask::NothingEntered(const QString& editText) const {
  for (int pos = 0; pos < Length(); ++pos)
    if (!IsLiteral(pos) && pos < editText.size() && editText[pos] != m_blank &&
        editText[pos] != QLatin1Char(' '))
      return false;
  return true;
}

int TtlEditMask::FirstInvalid(const QString& editText, bool ignoreBlank) const {
  for (int pos = 0; pos < Length(); ++pos) {
    const Position& p = m_positions[pos];
    if (p.kind == mkLiteral || !p.required) continue;
    const QChar c = pos < editText.size() ? editText[pos] : m_blank;
    if (c == m_blank && !ignoreBlank) return pos;
    if (c == QLatin1Char(' ') && p.kind != mkAny && !(ignoreBlank && m_blank == c)) return pos;
  }
  return -1;
}

int TtlEditMask::NextEditable(int pos) const {
  pos = std::max(0, pos);
  while (pos < Length() && IsLiteral(pos)) ++pos;
  return pos;
}

int TtlEditMask::PrevEditable(int pos) const {
  pos = std::min(pos, Length()) - 1;
  while (pos >= 0 && IsLiteral(pos)) --pos;
  return pos;
}

bool TtlEditMask::Type(QString& text, int& caret, QChar c) const {
  const int pos = NextEditable(caret);
  if (pos >= Length()) return false;
  if (const QChar shown = Accept(pos, c); !shown.isNull()) {
    while (text.size() < Length()) text += m_blank;
    text[pos] = shown;
    caret = NextEditable(pos + 1);
    return true;
  }
  for (int l = pos + 1; l < Length(); ++l)
    if (IsLiteral(l) && m_positions[l].literal == c) {
      caret = NextEditable(l + 1);
      return true;
    }
  return false;
}

void TtlEditMask::Blank(QString& text, int from, int to) const {
  to = std::min(to, static_cast<int>(text.size()));
  for (int pos = std::max(0, from); pos < to; ++pos)
    if (!IsLiteral(pos)) text[pos] = m_blank;
}

bool TtlEditMask::Backspace(QString& text, int& caret) const {
  const int pos = PrevEditable(caret);
  if (pos < 0) return false;
  Blank(text, pos, pos + 1);
  caret = pos;
  return true;
}

int TtlEditMask::Paste(QString& text, int& caret, const QString& s) const {
  int taken = 0;
  for (QChar c : s) {
    if (!Type(text, caret, c)) break;
    ++taken;
  }
  return taken;
}

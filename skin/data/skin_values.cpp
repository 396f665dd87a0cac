#include "skin/data/skin_values.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/exceptions.h"
#include "platform/strutils.h"

namespace {
// Splits a rect or point value into its pieces, keeping only digits; each
// piece must then convert strictly, and is capped at kMaxSkinCoordinate.
std::vector<int> ReadPieces(const TCustomIniFile& f, const QString& section, const QString& key,
                            const QString& def, int need) {
  const QString text = f.ReadString(section, key, def);
  QStringList pieces(QString{});
  for (const QChar c : text) {
    if (c == u',') pieces << QString();
    else if (c >= u'0' && c <= u'9') pieces.last() += c;
  }
  std::vector<int> out;
  for (int i = 0; i < need; ++i) {
    int v = 0;
    if (i >= pieces.size() || !TryStrToInt(pieces[i], v))
      throw EConvertError(QStringLiteral("'%1' is not a valid integer value (%2.%3 = '%4')")
                              .arg(i < pieces.size() ? pieces[i] : QString(), section, key, text));
    out.push_back(std::min(v, kMaxSkinCoordinate));
  }
  return out;
}

template <typename E, size_t N>
E ReadKeyword(const TCustomIniFile& f, const QString& section, const QString& key,
              const std::array<const char*, N>& words, const char* def, E fallback) {
  const QString text = f.ReadString(section, key, QString::fromLatin1(def));
  for (size_t i = 0; i < N; ++i)
    if (text == QLatin1String(words[i])) return static_cast<E>(i);
  return fallback;
}

constexpr std::array<const char*, 3> kStretchWords{"stfull", "sthorz", "stvert"};
constexpr std::array<const char*, 7> kMorphWords{"mkdefault",       "mkgradient",  "mkleftgradient",
                                                 "mkrightgradient", "mkleftslide", "mkrightslide",
                                                 "mkpush"};
constexpr std::array<const char*, 6> kEffectWords{"iebrightness", "iedarkness",   "iegrayscale",
                                                  "ienoise",      "iesplitblur", "ieinvert"};
constexpr std::array<const char*, 6> kCommandWords{"cmclose",   "cmmaximize", "cmminimize",
                                                   "cmsysmenu", "cmdefault",  "cmrollup"};
constexpr std::array<const char*, 3> kAlignWords{"taleftjustify", "tarightjustify", "tacenter"};
constexpr std::array<const char*, 4> kStyleWords{"fsbold", "fsitalic", "fsunderline", "fsstrikeout"};
}  // namespace

TRect ReadRectValue(const TCustomIniFile& f, const QString& section, const QString& key) {
  const auto p = ReadPieces(f, section, key, QStringLiteral("0,0,0,0"), 4);
  return TRect(p[0], p[1], p[2], p[3]);
}

void WriteRectValue(TCustomIniFile& f, const QString& section, const QString& key, const TRect& r) {
  f.WriteString(section, key,
                QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom));
}

TPoint ReadPointValue(const TCustomIniFile& f, const QString& section, const QString& key) {
  const auto p = ReadPieces(f, section, key, QStringLiteral("0,0"), 2);
  return TPoint(p[0], p[1]);
}

void WritePointValue(TCustomIniFile& f, const QString& section, const QString& key, const TPoint& p) {
  f.WriteString(section, key, QStringLiteral("%1,%2").arg(p.X).arg(p.Y));
}

bool ReadFlagValue(const TCustomIniFile& f, const QString& section, const QString& key) {
  return f.ReadInteger(section, key, 0) == 1;
}

void WriteFlagValue(TCustomIniFile& f, const QString& section, const QString& key, bool v) {
  f.WriteInteger(section, key, v ? 1 : 0);
}

TFontStyles ReadFontStyleValue(const TCustomIniFile& f, const QString& section, const QString& key) {
  const QString text = f.ReadString(section, key, QString());
  TFontStyles s = 0;
  for (size_t i = 0; i < kStyleWords.size(); ++i)
    if (text.contains(QLatin1String(kStyleWords[i]))) s |= 1u << i;
  return s;
}

void WriteFontStyleValue(TCustomIniFile& f, const QString& section, const QString& key,
                         TFontStyles v) {
  QStringList words;
  for (size_t i = 0; i < kStyleWords.size(); ++i)
    if (v & (1u << i)) words << QLatin1String(kStyleWords[i]);
  f.WriteString(section, key, words.join(u','));
}

TAlignment ReadAlignmentValue(const TCustomIniFile& f, const QString& section, const QString& key) {
  return ReadKeyword<TAlignment>(f, section, key, kAlignWords, "tacenter", taRightJustify);
}

void WriteAlignmentValue(TCustomIniFile& f, const QString& section, const QString& key,
                         TAlignment v) {
  f.WriteString(section, key, QLatin1String(kAlignWords[v < kAlignWords.size() ? v : 2]));
}

TsfStretchType ReadStretchMode(const TCustomIniFile& f, const QString& section, const QString& key) {
  return ReadKeyword<TsfStretchType>(f, section, key, kStretchWords, "stfull", stHorz);
}

void WriteStretchMode(TCustomIniFile& f, const QString& section, const QString& key,
                      TsfStretchType v) {
  f.WriteString(section, key, QLatin1String(kStretchWords[v < kStretchWords.size() ? v : 0]));
}

TsfMorphKind ReadMorphKind(const TCustomIniFile& f, const QString& section, const QString& key) {
  return ReadKeyword<TsfMorphKind>(f, section, key, kMorphWords, "mkdefault", mkDefault);
}

void WriteMorphKind(TCustomIniFile& f, const QString& section, const QString& key, TsfMorphKind v) {
  f.WriteString(section, key, QLatin1String(kMorphWords[v < kMorphWords.size() ? v : 0]));
}

TsfInactiveEffect ReadInactiveEffect(const TCustomIniFile& f, const QString& section,
                                     const QString& key) {
  return ReadKeyword<TsfInactiveEffect>(f, section, key, kEffectWords, "iebrightness", ieGrayScale);
}

void WriteInactiveEffect(TCustomIniFile& f, const QString& section, const QString& key,
                         TsfInactiveEffect v) {
  f.WriteString(section, key, QLatin1String(kEffectWords[v < kEffectWords.size() ? v : 2]));
}

TsfCommand ReadCommand(const TCustomIniFile& f, const QString& section, const QString& key) {
  return ReadKeyword<TsfCommand>(f, section, key, kCommandWords, "cmdefault", cmUnknown);
}

void WriteCommand(TCustomIniFile& f, const QString& section, const QString& key, TsfCommand v) {
  // cmUnknown has no keyword of its own; any unknown word reads back as it.
  f.WriteString(section, key,
                v < kCommandWords.size() ? QLatin1String(kCommandWords[v]) : QLatin1String("cmnone"));
}

TColor ReadColorValue(const TCustomIniFile& f, const QString& section, const QString& key,
                      TColor def) {
  return f.ReadInteger(section, key, def);
}

void WriteColorValue(TCustomIniFile& f, const QString& section, const QString& key, TColor v) {
  // System colours read better in hexadecimal ("$FF00000F") than as negative numbers.
  if (v < 0)
    f.WriteString(section, key,
                  QStringLiteral("$%1").arg(static_cast<uint32_t>(v), 8, 16, QLatin1Char('0')).toUpper());
  else
    f.WriteInteger(section, key, v);
}

void ReadNameList(const TCustomIniFile& f, const QString& section, const QString& prefix,
                  QStringList& list) {
  const int count = std::min(f.ReadInteger(section, prefix + QStringLiteral("count"), 0), kMaxNameListEntries);
  if (count <= 0) return;
  // Missing entries stay null strings (no text is allocated for them); only
  // the numbered keys the section has are read, whatever the count says.
  const qsizetype base = list.size();
  list.resize(base + count);
  QStringList keys;
  f.ReadSection(section, keys);
  for (const QString& key : keys) {
    bool ok = false;
    const int i = key.toInt(&ok);
    if (ok && i >= 0 && i < count && key == QString::number(i))
      list[base + i] = f.ReadString(section, key, QString());
  }
}

void WriteNameList(TCustomIniFile& f, const QString& section, const QString& prefix,
                   const QStringList& list) {
  f.WriteInteger(section, prefix + QStringLiteral("count"), int(list.size()));
  for (int i = 0; i < list.size(); ++i) f.WriteString(section, QString::number(i), list[i]);
}

void SplitListEntry(const QString& entry, QString& name, QString& kind) {
  const int colon = entry.indexOf(u':');
  name = colon < 0 ? QString() : entry.left(colon);
  kind = colon < 0 ? QString() : entry.mid(colon + 1);
}

bool IsSkinFile(const TCustomIniFile& f) {
  for (const char* s : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"})
    if (!f.SectionExists(QLatin1String(s))) return false;
  return true;
}

void TsfKeyVisitor::Font(const char* prefix, QString& name, int& height, TFontStyles& style) {
  const QByteArray p(prefix), n = p + "fontname", h = p + "fontheight", s = p + "fontstyle";
  Str(n.constData(), name, QStringLiteral("Arial"));
  Int(h.constData(), height, 14);
  Style(s.constData(), style);
}

#define KEY QLatin1String(key)
void TsfKeyReader::Int(const char* key, int& v, int def) { v = m_f.ReadInteger(m_s, KEY, def); }
void TsfKeyReader::Color(const char* key, TColor& v, TColor def) { v = ReadColorValue(m_f, m_s, KEY, def); }
void TsfKeyReader::Flag(const char* key, bool& v) { v = ReadFlagValue(m_f, m_s, KEY); }
void TsfKeyReader::RectV(const char* key, TRect& v) { v = ReadRectValue(m_f, m_s, KEY); }
void TsfKeyReader::PointV(const char* key, TPoint& v) { v = ReadPointValue(m_f, m_s, KEY); }
void TsfKeyReader::Str(const char* key, QString& v, const QString& def) { v = m_f.ReadString(m_s, KEY, def); }
void TsfKeyReader::Style(const char* key, TFontStyles& v) { v = ReadFontStyleValue(m_f, m_s, KEY); }
void TsfKeyReader::Align(const char* key, TAlignment& v) { v = ReadAlignmentValue(m_f, m_s, KEY); }
void TsfKeyReader::Stretch(const char* key, TsfStretchType& v) { v = ReadStretchMode(m_f, m_s, KEY); }
void TsfKeyReader::Morph(const char* key, TsfMorphKind& v) { v = ReadMorphKind(m_f, m_s, KEY); }
void TsfKeyReader::Effect(const char* key, TsfInactiveEffect& v) { v = ReadInactiveEffect(m_f, m_s, KEY); }
void TsfKeyReader::Cmd(const char* key, TsfCommand& v) { v = ReadCommand(m_f, m_s, KEY); }

void TsfKeyWriter::Int(const char* key, int& v, int) { m_f.WriteInteger(m_s, KEY, v); }
void TsfKeyWriter::Color(const char* key, TColor& v, TColor) { WriteColorValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::Flag(const char* key, bool& v) { WriteFlagValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::RectV(const char* key, TRect& v) { WriteRectValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::PointV(const char* key, TPoint& v) { WritePointValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::Str(const char* key, QString& v, const QString&) { m_f.WriteString(m_s, KEY, v); }
void TsfKeyWriter::Style(const char* key, TFontStyles& v) { WriteFontStyleValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::Align(const char* key, TAlignment& v) { WriteAlignmentValue(m_f, m_s, KEY, v); }
void TsfKeyWriter::Stretch(const char* key, TsfStretchType& v) { WriteStretchMode(m_f, m_s, KEY, v); }
void TsfKeyWriter::Morph(const char* key, TsfMorphKind& v) { WriteMorphKind(m_f, m_s, KEY, v); }
void TsfKeyWriter::Effect(const char* key, TsfInactiveEffect& v) { WriteInactiveEffect(m_f, m_s, KEY, v); }
void TsfKeyWriter::Cmd(const char* key, TsfCommand& v) { WriteCommand(m_f, m_s, KEY, v); }
#undef KEY

void TsfKeyedSection::LoadFromIni(const TCustomIniFile& f) {
  TsfKeyReader r(f, KeySection());
  VisitKeys(r);
}

void TsfKeyedSection::SaveToIni(TCustomIniFile& f) {
  f.EraseSection(KeySection());
  TsfKeyWriter w(f, KeySection());
  VisitKeys(w);
}

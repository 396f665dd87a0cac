#include "platform/ini_file.h"

#include <QFile>
#include <QSaveFile>
#include <utility>

#include "platform/exceptions.h"
#include "platform/strutils.h"

namespace {
bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

// The name with its single-byte ASCII letters lower-cased; a double-byte
// character (lead byte and trail byte) is one unit and kept as it is, so a
// trail byte never matches another by case. Folds in place when given a
// text nobody else holds.
QByteArray FoldName(QByteArray name) {
  QByteArray out = std::move(name);
  char* p = out.data();
  const qsizetype n = out.size();
  for (qsizetype i = 0; i < n; ++i) {
    if (IsLeadByte(p[i])) {
      ++i;
      continue;
    }
    if (p[i] >= 'A' && p[i] <= 'Z') p[i] = static_cast<char>(p[i] - 'A' + 'a');
  }
  return out;
}

bool SameName(const QByteArray& a, const QByteArray& b) { return FoldName(a) == FoldName(b); }

// The section name of a "[name]" line, or a null array. The closing bracket
// is found character by character: a trail byte may be "]".
QByteArray SectionName(const QByteArray& line) {
  const QByteArray t = line.trimmed();
  if (t.size() < 2 || t[0] != '[') return QByteArray();
  qsizetype close = -1;
  for (qsizetype i = 1; i < t.size(); ++i) {
    if (IsLeadByte(t[i])) {
      ++i;
      continue;
    }
    if (t[i] == ']') {
      close = i;
      break;
    }
  }
  if (close < 0) return QByteArray();
  QByteArray name = t.mid(1, close - 1).trimmed();
  if (name.isNull()) name = QByteArray("");
  return name;
}

// The lines of `bytes`, ended by CR, LF or CRLF (neither byte can be part
// of a double-byte character); text after the last line end is a line too.
QList<QByteArray> SplitLines(const QByteArray& bytes) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n; ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines << bytes.mid(start, i - start);
    if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < n) lines << bytes.mid(start);
  return lines;
}

}  // namespace

TCustomIniFile::Line TCustomIniFile::MakeLine(const QByteArray& text) {
  Line l;
  l.text = text;
  const int eq = text.indexOf('=');
  if (eq >= 0) {
    l.hasKey = true;
    l.key = text.left(eq).trimmed();
    l.value = text.mid(eq + 1).trimmed();
  }
  return l;
}

void TCustomIniFile::LoadFromDisk() {
  QFile f(m_fileName);
  if (f.open(QIODevice::ReadOnly)) SetBytes(f.readAll());
  else SetBytes(QByteArray());
}

void TCustomIniFile::SetBytes(const QByteArray& bytes) {
  m_preamble.clear();
  m_sections.clear();
  SectionsChanged();
  for (const QByteArray& line : SplitLines(bytes)) {
    const QByteArray name = SectionName(line);
    if (!name.isNull()) {
      m_sections.push_back(Section{name, {}, {}, false});
      continue;
    }
    if (m_sections.empty()) m_preamble.push_back(line);
    else m_sections.back().lines.push_back(MakeLine(line));
  }
}

QByteArray TCustomIniFile::ToBytes() const {
  QByteArray out;
  for (const QByteArray& l : m_preamble) out += l + "\r\n";
  for (const Section& s : m_sections) {
    out += "[" + s.name + "]\r\n";
    for (const Line& l : s.lines) out += l.text + "\r\n";
  }
  return out;
}

QStringList TCustomIniFile::GetStrings() const {
  QStringList list;
  for (const QByteArray& l : m_preamble) list << AnsiToString(l);
  for (const Section& s : m_sections) {
    list << AnsiToString("[" + s.name + "]");
    for (const Line& l : s.lines) list << AnsiToString(l.text);
  }
  return list;
}

void TCustomIniFile::SetStrings(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& l : lines) bytes += StringToAnsi(l) + "\n";
  SetBytes(bytes);
}

void TCustomIniFile::UpdateFile() {
  QSaveFile f(m_fileName);
  if (!f.open(QIODevice::WriteOnly) || f.write(ToBytes()) < 0 || !f.commit())
    throw EFOpenError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_fileName, f.errorString()));
}

const TCustomIniFile::Section* TCustomIniFile::FindSection(QByteArray name) const {
  if (!m_sectionIndexed) {
    m_sectionIndex.clear();
    for (int i = static_cast<int>(m_sections.size()) - 1; i >= 0; --i)
      m_sectionIndex.insert(FoldName(m_sections[static_cast<size_t>(i)].name), i);
    m_sectionIndexed = true;
  }
  const auto it = m_sectionIndex.constFind(FoldName(std::move(name)));
  return it == m_sectionIndex.cend() ? nullptr : &m_sections[static_cast<size_t>(*it)];
}

TCustomIniFile::Section* TCustomIniFile::FindSection(QByteArray name) {
  return const_cast<Section*>(static_cast<const TCustomIniFile*>(this)->FindSection(std::move(name)));
}

int TCustomIniFile::FindKey(const Section& s, QByteArray key) {
  if (!s.indexed) {
    s.index.clear();
    for (int i = static_cast<int>(s.lines.size()) - 1; i >= 0; --i) {
      const Line& l = s.lines[static_cast<size_t>(i)];
      if (l.hasKey) s.index.insert(FoldName(l.key), i);
    }
    s.indexed = true;
  }
  return s.index.value(FoldName(std::move(key)), -1);
}

QString TCustomIniFile::ReadString(const QString& section, const QString& ident,
                                   const QString& def) const {
  const Section* s = FindSection(StringToAnsi(section));
  if (!s) return def;
  const int i = FindKey(*s, StringToAnsi(ident));
  if (i < 0) return def;
  return AnsiToString(TruncateAnsi(s->lines[static_cast<size_t>(i)].value, kIniValueLimit));
}

int TCustomIniFile::ReadInteger(const QString& section, const QString& ident, int def) const {
  const QString s = ReadString(section, ident, QString());
  return s.isEmpty() ? def : StrToIntDef(s, def);
}

bool TCustomIniFile::ReadBool(const QString& section, const QString& ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteString(const QString& section, const QString& ident,
                                 const QString& value) {
  const QByteArray sec = StringToAnsi(section), key = StringToAnsi(ident);
  Section* s = FindSection(sec);
  if (!s) {
    m_sections.push_back(Section{sec, {}, {}, false});
    // The name was not there, so the new section is its first.
    if (m_sectionIndexed) m_sectionIndex.insert(FoldName(sec), static_cast<int>(m_sections.size()) - 1);
    s = &m_sections.back();
  }
  const Line line = MakeLine(key + "=" + StringToAnsi(value));
  const int i = FindKey(*s, key);
  if (i >= 0) {
    s->lines[static_cast<size_t>(i)] = line;
  } else {
    // Append after the last non-blank line of the section.
    auto at = s->lines.end();
    while (at != s->lines.begin() && (at - 1)->text.trimmed().isEmpty()) --at;
    // Only blank lines follow the new one, so no indexed key moves.
    const int index = static_cast<int>(at - s->lines.begin());
    s->lines.insert(at, line);
    if (s->indexed) s->index.insert(FoldName(line.key), index);
  }
  Changed();
}

void TCustomIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
  WriteString(section, ident, QString::number(value));
}

void TCustomIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TCustomIniFile::SectionExists(const QString& section) const {
  return FindSection(StringToAnsi(section)) != nullptr;
}

bool TCustomIniFile::ValueExists(const QString& section, const QString& ident) const {
  const Section* s = FindSection(StringToAnsi(section));
  return s && FindKey(*s, StringToAnsi(ident)) >= 0;
}

void TCustomIniFile::ReadSection(const QString& section, QStringList& keys) const {
  keys.clear();
  const Section* s = FindSection(StringToAnsi(section));
  if (!s) return;
  for (const Line& l : s->lines)
    if (l.hasKey) keys << AnsiToString(l.key);
}

void TCustomIniFile::ReadSections(QStringList& sections) const {
  sections.clear();
  for (const Section& s : m_sections) sections << AnsiToString(s.name);
}

void TCustomIniFile::ReadSectionValues(const QString& section, QStringList& lines) const {
  lines.clear();
  const Section* s = FindSection(StringToAnsi(section));
  if (!s) return;
  for (const Line& l : s->lines)
    if (l.hasKey) lines << AnsiToString(l.key + "=" + TruncateAnsi(l.value, kIniValueLimit));
}

void TCustomIniFile::EraseSection(const QString& section) {
  const QByteArray sec = StringToAnsi(section);
  bool erased = false;
  for (auto it = m_sections.begin(); it != m_sections.end();) {
    if (SameName(it->name, sec)) {
      it = m_sections.erase(it);
      erased = true;
      SectionsChanged();
    } else {
      ++it;
    }
  }
  if (erased) Changed();
}

void TCustomIniFile::DeleteKey(const QString& section, const QString& ident) {
  Section* s = FindSection(StringToAnsi(section));
  if (!s) return;
  const int i = FindKey(*s, StringToAnsi(ident));
  if (i < 0) return;
  s->lines.erase(s->lines.begin() + i);
  s->indexed = false;
  Changed();
}

TMemIniFile::TMemIniFile(const QString& fileName) : TCustomIniFile(fileName) {
  if (!fileName.isEmpty()) LoadFromDisk();
}

TIniFile::TIniFile(const QString& fileName) : TCustomIniFile(fileName) {
  if (!fileName.isEmpty()) LoadFromDisk();
}

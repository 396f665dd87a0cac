#include "platform/rtf_reader.h"

#include <iconv.h>

#include <QColor>
#include <QHash>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <string_view>

namespace {
// 22 inches in twips: the largest page a document describes.
constexpr int kMaxTwips = 22 * 1440;

// Code page of a font's \fcharset; 0 where the document's code page applies.
int CodePageOfCharset(int charset) {
  switch (charset) {
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 0;
  }
}

// Decodes byte runs in a code page; one converter per code page and document.
class TCodePageDecoder {
 public:
  TCodePageDecoder() = default;
  TCodePageDecoder(const TCodePageDecoder&) = delete;
  TCodePageDecoder& operator=(const TCodePageDecoder&) = delete;
  ~TCodePageDecoder() {
    for (auto& [cp, cd] : m_converters)
      if (cd != kNone) iconv_close(cd);
  }

  void Append(QString& out, const QByteArray& bytes, int codePage) {
    bool ascii = true;
    for (char c : bytes)
      if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    if (ascii) {
      out += QLatin1String(bytes);
      return;
    }
    iconv_t cd = Converter(codePage);
    if (cd == kNone) {  // a code page this system lacks: bytes as Latin-1
      out += QString::fromLatin1(bytes);
      return;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::vector<char16_t> buf(static_cast<size_t>(bytes.size()) + 4);
    char* src = const_cast<char*>(bytes.constData());
    size_t srcLeft = static_cast<size_t>(bytes.size());
    while (srcLeft > 0) {
      char* dst = reinterpret_cast<char*>(buf.data());
      size_t dstLeft = buf.size() * sizeof(char16_t);
      const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
      const size_t produced = (buf.size() * sizeof(char16_t) - dstLeft) / sizeof(char16_t);
      out.append(reinterpret_cast<const QChar*>(buf.data()), static_cast<qsizetype>(produced));
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) continue;
      // An invalid byte, or a lead byte whose trail byte never came.
      out += QChar(0xFFFD);
      ++src;
      --srcLeft;
    }
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

  iconv_t Converter(int codePage) {
    auto it = m_converters.find(codePage);
    if (it != m_converters.end()) return it->second;
    const QByteArray name =
        codePage == 65001 ? QByteArray("UTF-8") : "CP" + QByteArray::number(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.constData());
    m_converters.emplace(codePage, cd);
    return cd;
  }

  std::map<int, iconv_t> m_converters;
};

enum TDestination : unsigned char { dNormal, dFontTable, dColorTable };

struct TFontEntry {
  QString Name;
  int Charset = 1;
};

struct TGroupState {
  TDestination Dest = dNormal;
  int Font = -1;  // -1: the default font (\deff)
  int Uc = 1;     // characters that follow \uN as its fallback
  TRtfCharFormat Chr;
  TRtfParaFormat Para;
};

// Destinations whose content is never text (skipped even without \*).
bool IsSkippedDestination(const char* word, int len) {
  static const char* const kSkipped[] = {
      "stylesheet", "info",      "pict",      "header",    "headerl",   "headerr",
      "headerf",    "footer",    "footerl",   "footerr",   "footerf",   "footnote",
      "fldinst",    "object",    "listtable", "listoverridetable",      "rsidtbl",
      "generator",  "xmlnstbl",  "themedata", "colorschememapping",     "latentstyles",
      "datastore",  "pgdsctbl",  "pn",        "filetbl",   "revtbl",    "template",
      "comment",    "annotation", "atnid",    "atnauthor", "private",   "userprops",
      "docvar",     "background", "xe",       "tc",        "txe",       "objdata",
      "nonshppict", "shpinst",   "falt",      "panose",    "bkmkstart", "bkmkend",
      "mmathPr",    "wgrffmtfilter", "ftnsep", "ftnsepc",  "aftnsep",   "aftnsepc",
  };
  for (const char* s : kSkipped)
    if (static_cast<int>(std::strlen(s)) == len && std::memcmp(s, word, static_cast<size_t>(len)) == 0)
      return true;
  return false;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

class TRtfParser {
 public:
  TRtfParser(const char* begin, const char* end) : m_p(begin), m_end(end) {}

  std::optional<TRtfDocument> Parse() {
    // The caller checked "{\rtf"; the root group opens here.
    ++m_p;
    m_stack.reserve(16);
    m_stack.emplace_back();
    m_doc.Paragraphs.emplace_back();
    while (m_p < m_end) {
      const char c = *m_p;
      if (c == '{') {
        ++m_p;
        FlushBytes();
        if (static_cast<int>(m_stack.size()) >= kRtfMaxGroupDepth) return std::nullopt;
        m_skipChars = 0;
        m_stack.push_back(m_stack.back());
        m_groupStart = true;
        continue;
      }
      if (c == '}') {
        ++m_p;
        FlushBytes();
        EndGroupOfDestination();
        m_stack.pop_back();
        m_skipChars = 0;
        m_groupStart = false;
        if (m_stack.empty()) return Finish();  // what follows the root group is ignored
        continue;
      }
      if (c == '\\') {
        ++m_p;
        if (!ControlWord()) return std::nullopt;
        continue;
      }
      m_groupStart = false;
      if (c == '\r' || c == '\n') {
        ++m_p;
        continue;
      }
      Text();
    }
    return std::nullopt;  // the root group never closed: a cut-off document
  }

 private:
  TGroupState& State() { return m_stack.back(); }

  // A run of text bytes up to the next character that means something.
  void Text() {
    TGroupState& st = State();
    if (m_skipChars > 0) {
      --m_skipChars;
      ++m_p;
      return;
    }
    if (*m_p == '\t') {
      ++m_p;
      AppendChar(u'\t');
      return;
    }
    const char* start = m_p;
    while (m_p < m_end) {
      const char c = *m_p;
      if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\t') break;
      if (st.Dest != dNormal && c == ';') break;
      ++m_p;
    }
    if (m_p == start) {  // a ';' in a table ends its entry
      ++m_p;
      if (st.Dest == dFontTable) EndFontEntry();
      else if (st.Dest == dColorTable) EndColorEntry();
      return;
    }
    if (st.Dest == dNormal || st.Dest == dFontTable)
      m_bytes.append(start, static_cast<qsizetype>(m_p - start));
  }

  // After the backslash. False for input that cannot be a document.
  bool ControlWord() {
    if (m_p >= m_end) return false;
    const char c = *m_p;
    if (!IsLetter(c)) {
      ++m_p;
      return ControlSymbol(c);
    }
    const char* word = m_p;
    while (m_p < m_end && IsLetter(*m_p)) ++m_p;
    const int len = static_cast<int>(m_p - word);
    bool hasParam = false;
    bool negative = false;
    long long param = 0;
    if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && m_p[1] >= '0' && m_p[1] <= '9') {
      negative = true;
      ++m_p;
    }
    while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
      hasParam = true;
      if (param < 100000000000LL) param = param * 10 + (*m_p - '0');
      ++m_p;
    }
    if (m_p < m_end && *m_p == ' ') ++m_p;  // the delimiting space belongs to the word
    if (negative) param = -param;
    const int value = static_cast<int>(std::clamp<long long>(
        param, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    const bool groupStart = m_groupStart;
    m_groupStart = false;
    const bool ignorable = m_ignorable;
    m_ignorable = false;
    if (len > 32) return true;  // no such word: ignored
    return Word(std::string_view(word, static_cast<size_t>(len)), hasParam, value, groupStart,
                ignorable);
  }

  bool ControlSymbol(char c) {
    if (c == '\'') {
      if (m_p + 1 < m_end && IsHexDigit(m_p[0]) && IsHexDigit(m_p[1])) {
        const char byte = static_cast<char>(HexValue(m_p[0]) * 16 + HexValue(m_p[1]));
        m_p += 2;
        m_groupStart = false;
        if (m_skipChars > 0) {
          --m_skipChars;
          return true;
        }
        if (State().Dest == dNormal || State().Dest == dFontTable) m_bytes.append(byte);
        return true;
      }
      return true;  // a broken escape: the two characters after it are text
    }
    if (c == '*') {
      m_ignorable = true;
      return true;
    }
    m_groupStart = false;
    if (SkipFallback()) return true;
    switch (c) {
      case '\\': case '{': case '}':
        if (State().Dest != dColorTable) m_bytes.append(c);
        return true;
      case '~': AppendChar(u'\u00A0'); return true;
      case '-': AppendChar(u'\u00AD'); return true;
      case '_': AppendChar(u'\u2011'); return true;
      case '\r': case '\n': EndParagraph(); return true;
      case '\t': AppendChar(u'\t'); return true;
      default: return true;  // \| \: and the like
    }
  }

  // A control word counts as one character of a \u fallback being skipped.
  bool SkipFallback() {
    if (m_skipChars <= 0) return false;
    --m_skipChars;
    return true;
  }

  bool Word(std::string_view w, bool hasParam, int v, bool groupStart, bool ignorable) {
    TGroupState& st = State();
    auto is = [&](const char* name) { return w == name; };
    const bool on = !hasParam || v != 0;

    // Destinations.
    if (is("fonttbl")) { FlushBytes(); st.Dest = dFontTable; return true; }
    if (is("colortbl")) { FlushBytes(); st.Dest = dColorTable; m_colorSet = false; return true; }
    if (ignorable || (groupStart && IsSkippedDestination(w.data(), static_cast<int>(w.size())))) {
      if (ignorable && (is("fldrslt") || is("listtext") || is("pntext"))) return true;
      return SkipGroup();
    }
    if (is("bin")) {
      FlushBytes();
      const long long n = hasParam && v > 0 ? v : 0;
      m_p += std::min<long long>(n, m_end - m_p);
      return true;
    }

    if (st.Dest == dFontTable) {
      if (is("f")) { m_bytes.clear(); m_fontNumber = v; }
      else if (is("fcharset")) m_fonts[m_fontNumber].Charset = v;
      return true;
    }
    if (st.Dest == dColorTable) {
      if (is("red")) { m_color = (m_color & 0x00FFFF) | (std::clamp(v, 0, 255) << 16); m_colorSet = true; }
      else if (is("green")) { m_color = (m_color & 0xFF00FF) | (std::clamp(v, 0, 255) << 8); m_colorSet = true; }
      else if (is("blue")) { m_color = (m_color & 0xFFFF00) | std::clamp(v, 0, 255); m_colorSet = true; }
      return true;
    }

    if (is("u")) {
      FlushBytes();
      if (SkipFallback()) return true;
      AppendCodeOf(v);
      m_skipChars = st.Uc;
      return true;
    }
    if (SkipFallback()) return true;
    FlushBytes();

    if (w.size() == 1) {
      switch (w[0]) {
        case 'b': st.Chr.Bold = on; return true;
        case 'i': st.Chr.Italic = on; return true;
        case 'f': st.Font = v; return true;
      }
    }
    if (is("rtf") || is("ansi")) return true;
    if (is("ansicpg")) { if (v > 0) m_codePage = v; return true; }
    if (is("deff")) { m_defaultFont = v; return true; }
    if (is("uc")) { st.Uc = std::clamp(v, 0, 1 << 20); return true; }
    if (is("par") || is("sect") || is("page") || is("row")) { EndParagraph(); return true; }
    if (is("line")) { AppendChar(u'\u2028'); return true; }
    if (is("tab") || is("cell")) { AppendChar(u'\t'); return true; }
    if (is("pard")) { st.Para = TRtfParaFormat(); return true; }
    if (is("plain")) { st.Chr = TRtfCharFormat(); st.Font = -1; return true; }
    if (is("fs")) { st.Chr.SizeHalfPoints = hasParam && v > 0 ? std::min(v, 3276) : 24; return true; }
    if (is("ul") || is("uld") || is("uldb") || is("ulw") || is("ulth") || is("uldash") ||
        is("ulwave") || is("uldashd") || is("uldashdd")) {
      st.Chr.Underline = on;
      return true;
    }
    if (is("ulnone")) { st.Chr.Underline = false; return true; }
    if (is("strike") || is("striked")) { st.Chr.Strike = on; return true; }
    if (is("cf")) { st.Chr.Color = ColorAt(v); return true; }
    if (is("highlight") || is("cb")) { st.Chr.Highlight = ColorAt(v); return true; }
    if (is("ql")) { st.Para.Alignment = raLeft; return true; }
    if (is("qr")) { st.Para.Alignment = raRight; return true; }
    if (is("qc")) { st.Para.Alignment = raCenter; return true; }
    if (is("qj")) { st.Para.Alignment = raJustify; return true; }
    // Indents and spacing beyond a 22-inch page mean nothing but a layout
    // of absurd size: they are held to it.
    if (is("li")) { st.Para.LeftIndent = std::clamp(v, -kMaxTwips, kMaxTwips); return true; }
    if (is("ri")) { st.Para.RightIndent = std::clamp(v, -kMaxTwips, kMaxTwips); return true; }
    if (is("fi")) { st.Para.FirstIndent = std::clamp(v, -kMaxTwips, kMaxTwips); return true; }
    if (is("sb")) { st.Para.SpaceBefore = std::clamp(v, 0, kMaxTwips); return true; }
    if (is("sa")) { st.Para.SpaceAfter = std::clamp(v, 0, kMaxTwips); return true; }
    if (is("emdash")) { AppendChar(u'\u2014'); return true; }
    if (is("endash")) { AppendChar(u'\u2013'); return true; }
    if (is("bullet")) { AppendChar(u'\u2022'); return true; }
    if (is("lquote")) { AppendChar(u'\u2018'); return true; }
    if (is("rquote")) { AppendChar(u'\u2019'); return true; }
    if (is("ldblquote")) { AppendChar(u'\u201C'); return true; }
    if (is("rdblquote")) { AppendChar(u'\u201D'); return true; }
    if (is("emspace") || is("enspace") || is("qmspace")) { AppendChar(u' '); return true; }
    return true;  // any other word changes nothing we show
  }

  // Skips the rest of the current group (a destination we do not show),
  // leaving the closing brace for the main loop.
  bool SkipGroup() {
    FlushBytes();
    int depth = 0;
    while (m_p < m_end) {
      const char c = *m_p;
      if (c == '\\') {
        ++m_p;
        if (m_p >= m_end) break;
        if (IsLetter(*m_p)) {
          const char* word = m_p;
          while (m_p < m_end && IsLetter(*m_p)) ++m_p;
          const bool bin = m_p - word == 3 && std::memcmp(word, "bin", 3) == 0;
          bool negative = false;
          if (m_p < m_end && *m_p == '-') { negative = true; ++m_p; }
          long long n = 0;
          while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
            if (n < 100000000000LL) n = n * 10 + (*m_p - '0');
            ++m_p;
          }
          if (m_p < m_end && *m_p == ' ') ++m_p;
          if (bin && !negative) m_p += std::min<long long>(n, m_end - m_p);
        } else {
          ++m_p;
        }
        continue;
      }
      if (c == '{') {
        if (static_cast<int>(m_stack.size()) + depth >= kRtfMaxGroupDepth) return false;
        ++depth;
      } else if (c == '}') {
        if (depth == 0) return true;
        --depth;
      }
      ++m_p;
    }
    return true;  // the main loop then finds the document cut off
  }

  std::optional<QRgb> ColorAt(int index) const {
    if (index <= 0 || index >= static_cast<int>(m_colors.size()) || !m_colors[static_cast<size_t>(index)])
      return std::nullopt;
    return m_colors[static_cast<size_t>(index)];
  }

  void EndColorEntry() {
    m_colors.push_back(m_colorSet ? std::optional<QRgb>(qRgb((m_color >> 16) & 0xFF, (m_color >> 8) & 0xFF,
                                                             m_color & 0xFF))
                                  : std::nullopt);
    m_color = 0;
    m_colorSet = false;
  }

  void EndFontEntry() {
    TFontEntry& font = m_fonts[m_fontNumber];
    QString name;
    m_decoder.Append(name, m_bytes, CodePageFor(font.Charset));
    m_bytes.clear();
    font.Name = name.trimmed();
  }

  // Leaving a group that was a table: an entry without its ';' still counts.
  void EndGroupOfDestination() {
    const TGroupState& st = State();
    if (st.Dest == dFontTable && m_stack.size() >= 2 && m_stack[m_stack.size() - 2].Dest == dFontTable) {
      if (!m_bytes.isEmpty()) EndFontEntry();
    }
    if (st.Dest == dFontTable) m_bytes.clear();
  }

  int CodePageFor(int charset) const {
    const int cp = CodePageOfCharset(charset);
    return cp ? cp : m_codePage;
  }

  const TFontEntry* FontOf(const TGroupState& st) const {
    auto it = m_fonts.find(st.Font >= 0 ? st.Font : m_defaultFont);
    return it == m_fonts.end() ? nullptr : &it.value();
  }

  // Decodes the pending text bytes in the current font's code page.
  void FlushBytes() {
    if (m_bytes.isEmpty()) return;
    if (State().Dest == dFontTable) return;  // the font name is decoded at its ';'
    const TFontEntry* font = FontOf(State());
    m_decoded.clear();
    m_decoder.Append(m_decoded, m_bytes, CodePageFor(font ? font->Charset : 1));
    m_bytes.clear();
    AppendText(m_decoded);
  }

  // The character of a \uN value: N is a signed 16-bit unit (negative values
  // stand for 32768..65535); a value above 16 bits that is a code point gives
  // that character, anything else U+FFFD. Never cut to 16 bits.
  void AppendCodeOf(int v) {
    if (v < 0 && v >= -32768) v += 65536;
    if (v < 0 || v > 0x10FFFF) {
      AppendChar(u'\uFFFD');
    } else if (v <= 0xFFFF) {
      AppendChar(static_cast<char16_t>(v));
    } else {
      FlushBytes();
      if (State().Dest != dNormal) return;
      const char32_t code = static_cast<char32_t>(v);
      AppendText(QString::fromUcs4(&code, 1));
    }
  }

  void AppendChar(char16_t c) {
    FlushBytes();
    if (State().Dest != dNormal) return;
    AppendText(QString(QChar(c)));
  }

  void AppendText(const QString& text) {
    if (text.isEmpty()) return;
    const TGroupState& st = State();
    TRtfCharFormat format = st.Chr;
    if (const TFontEntry* font = FontOf(st)) {
      format.FontName = font->Name;
      format.FontCharset = font->Charset;
    }
    TRtfParagraph& para = m_doc.Paragraphs.back();
    if (para.Runs.empty() || !(para.Runs.back().Format == format))
      para.Runs.push_back(TRtfRun{static_cast<int>(para.Text.size()), 0, std::move(format)});
    para.Runs.back().Length += static_cast<int>(text.size());
    para.Text += text;
    para.Format = st.Para;
  }

  void EndParagraph() {
    FlushBytes();
    if (State().Dest != dNormal) return;
    m_doc.Paragraphs.back().Format = State().Para;
    m_doc.Paragraphs.emplace_back();
  }

  std::optional<TRtfDocument> Finish() { return std::move(m_doc); }

  const char* m_p;
  const char* m_end;
  std::vector<TGroupState> m_stack;
  TRtfDocument m_doc;
  TCodePageDecoder m_decoder;
  QByteArray m_bytes;  // text bytes not decoded yet
  QString m_decoded;
  QHash<int, TFontEntry> m_fonts;
  std::vector<std::optional<QRgb>> m_colors;
  int m_codePage = 936;  // the system's ANSI code page when the document names none
  int m_defaultFont = 0;
  int m_fontNumber = 0;  // the font-table entry being read
  unsigned m_color = 0;
  bool m_colorSet = false;
  int m_skipChars = 0;     // fallback characters of a \u still to skip
  bool m_groupStart = false;
  bool m_ignorable = false;
};

}  // namespace

QString TRtfDocument::Text() const {
  qsizetype total = 0;
  for (const TRtfParagraph& p : Paragraphs) total += p.Text.size() + 1;
  QString out;
  out.reserve(total);
  for (size_t i = 0; i < Paragraphs.size(); ++i) {
    if (i) out += u'\n';
    out += Paragraphs[i].Text;
  }
  return out;
}

namespace {
// The paragraph holding `position` and the offset in it.
template <typename Doc>
auto LocateIn(Doc& doc, int position, int& offset) -> decltype(&doc.Paragraphs[0]) {
  if (position < 0) return nullptr;
  for (auto& p : doc.Paragraphs) {
    if (position <= p.Text.size()) {
      offset = position;
      return &p;
    }
    position -= static_cast<int>(p.Text.size()) + 1;
  }
  return nullptr;
}
}  // namespace

const TRtfCharFormat* TRtfDocument::CharFormatAt(int position) const {
  int offset = 0;
  const TRtfParagraph* p = LocateIn(*this, position, offset);
  if (!p) return nullptr;
  for (const TRtfRun& r : p->Runs)
    if (offset >= r.Start && offset < r.Start + r.Length) return &r.Format;
  return nullptr;
}

const TRtfParaFormat* TRtfDocument::ParaFormatAt(int position) const {
  int offset = 0;
  const TRtfParagraph* p = LocateIn(*this, position, offset);
  return p ? &p->Format : nullptr;
}

bool LooksLikeRtf(const QByteArray& data) { return data.startsWith("{\\rtf"); }

std::optional<TRtfDocument> ReadRtf(const QByteArray& data) {
  if (!LooksLikeRtf(data)) return std::nullopt;
  return TRtfParser(data.constData(), data.constData() + data.size()).Parse();
}

namespace {
constexpr double kPixelsPerTwip = 96.0 / 1440.0;

QTextCharFormat ToQt(const TRtfCharFormat& f) {
  QTextCharFormat q;
  if (!f.FontName.isEmpty()) q.setFontFamilies({f.FontName});
  q.setFontPointSize(f.SizeHalfPoints / 2.0);
  q.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
  q.setFontItalic(f.Italic);
  q.setFontUnderline(f.Underline);
  q.setFontStrikeOut(f.Strike);
  if (f.Color) q.setForeground(QColor::fromRgb(*f.Color));
  if (f.Highlight) q.setBackground(QColor::fromRgb(*f.Highlight));
  return q;
}

QTextBlockFormat ToQt(const TRtfParaFormat& f) {
  QTextBlockFormat q;
  switch (f.Alignment) {
    case raLeft: q.setAlignment(Qt::AlignLeft); break;
    case raRight: q.setAlignment(Qt::AlignRight); break;
    case raCenter: q.setAlignment(Qt::AlignHCenter); break;
    case raJustify: q.setAlignment(Qt::AlignJustify); break;
  }
  q.setLeftMargin(f.LeftIndent * kPixelsPerTwip);
  q.setRightMargin(f.RightIndent * kPixelsPerTwip);
  q.setTextIndent(f.FirstIndent * kPixelsPerTwip);
  q.setTopMargin(f.SpaceBefore * kPixelsPerTwip);
  q.setBottomMargin(f.SpaceAfter * kPixelsPerTwip);
  return q;
}
}  // namespace

void BuildTextDocument(const TRtfDocument& document, QTextDocument* target) {
  const bool undo = target->isUndoRedoEnabled();
  target->setUndoRedoEnabled(false);
  target->clear();
  QTextCursor cursor(target);
  cursor.beginEditBlock();
  // Documents repeat a few formats many times: convert each once. The cache
  // stays small so that a document of ever new formats costs no more.
  std::vector<std::pair<const TRtfCharFormat*, QTextCharFormat>> seen;
  auto charFormat = [&](const TRtfCharFormat& f) -> const QTextCharFormat& {
    for (auto& [key, value] : seen)
      if (*key == f) return value;
    if (seen.size() >= 16) seen.clear();
    seen.emplace_back(&f, ToQt(f));
    return seen.back().second;
  };
  bool first = true;
  for (const TRtfParagraph& p : document.Paragraphs) {
    if (first) cursor.setBlockFormat(ToQt(p.Format));
    else cursor.insertBlock(ToQt(p.Format));
    first = false;
    for (const TRtfRun& r : p.Runs) cursor.insertText(p.Text.mid(r.Start, r.Length), charFormat(r.Format));
  }
  cursor.endEditBlock();
  target->setUndoRedoEnabled(undo);
}

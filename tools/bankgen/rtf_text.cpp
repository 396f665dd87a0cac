#include "tools/bankgen/rtf_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <memory>

namespace bankgen {

namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// Length of the UTF-8 sequence that starts with `lead`, 0 when it is no lead byte.
int Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

std::string CodePointName(const std::string& utf8, size_t at) {
  const auto lead = static_cast<unsigned char>(utf8[at]);
  const int len = Utf8Length(lead);
  if (len == 0 || at + len > utf8.size()) return "an invalid UTF-8 byte";
  unsigned cp = len == 1 ? lead : lead & (0x7F >> len);
  for (int i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(utf8[at + i]) & 0x3F);
  char buf[32];
  snprintf(buf, sizeof buf, "character U+%04X", cp);
  return buf;
}

const char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, const std::string& gbk) {
  for (char c : gbk) {
    const auto b = static_cast<unsigned char>(c);
    out += "\\'";
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
}

// Writes `utf8` into RTF: ASCII as is (escaping \ { } when `literal`),
// runs of other characters as \'hh escapes in the Chinese font \f1.
void AppendRtfText(std::string& out, const std::string& utf8, bool literal) {
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      if (literal && (b == '\\' || b == '{' || b == '}')) out += '\\';
      if (b == '\t') out += "\\tab ";
      else out += static_cast<char>(b);
      ++i;
      continue;
    }
    size_t end = i;
    while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) ++end;
    out += "{\\f1";
    AppendEscaped(out, Utf8ToGbk(utf8.substr(i, end - i)));
    out += '}';
    i = end;
  }
}

// Braces of an author's RTF body, ignoring \{ \} and \\.
void CheckBraces(const std::vector<std::string>& lines) {
  int depth = 0;
  int openedAt = 0;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& s = lines[n];
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '\\') { ++i; continue; }
      if (s[i] == '{') {
        if (depth++ == 0) openedAt = static_cast<int>(n);
      } else if (s[i] == '}') {
        if (--depth < 0) throw TextError(static_cast<int>(n), "'}' without a matching '{' in RTF text");
      }
    }
  }
  if (depth > 0) throw TextError(openedAt, "'{' is not closed in RTF text");
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
  // Check the UTF-8 first so that errors name the character.
  for (size_t i = 0; i < utf8.size();) {
    const int len = Utf8Length(static_cast<unsigned char>(utf8[i]));
    bool ok = len > 0 && i + len <= utf8.size();
    for (int k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    if (!ok) throw TextError(0, "text is not valid UTF-8");
    i += len;
  }
  iconv_t raw = iconv_open("GBK", "UTF-8");
  if (raw == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no UTF-8 to GBK converter on this system");
  std::unique_ptr<void, IconvCloser> cd(raw);
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(raw, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
      const size_t at = utf8.size() - inLeft;
      if (errno == EILSEQ || errno == EINVAL)
        throw TextError(0, CodePointName(utf8, at) + " has no code in code page 936");
      throw std::runtime_error("GBK conversion failed");
    }
  }
  out.resize(out.size() - outLeft);
  return out;
}

std::string RenderPlain(const std::vector<std::string>& lines, const std::vector<std::string>& options) {
  std::string out;
  bool first = true;
  for (const auto* list : {&lines, &options}) {
    for (const std::string& l : *list) {
      if (!first) out += '\n';
      first = false;
      out += l;
    }
  }
  return out;
}

std::string RenderRtf(const std::vector<std::string>& lines, const std::vector<std::string>& options) {
  CheckBraces(lines);
  std::string out =
      "{\\rtf1\\ansi\\ansicpg936\\deff0"
      "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset134 ";
  AppendEscaped(out, Utf8ToGbk("宋体"));
  out += ";}}\r\n"
         "{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green0\\blue192;\\red0\\green128\\blue0;}\r\n"
         "\\viewkind4\\uc1\\pard\\f0\\fs22 ";
  bool first = true;
  auto paragraph = [&](const std::string& text, bool literal, int lineOffset) {
    if (!first) out += "\\par\r\n";
    first = false;
    try {
      AppendRtfText(out, text, literal);
    } catch (const TextError& e) {
      throw TextError(lineOffset, e.what());
    }
  };
  for (size_t n = 0; n < lines.size(); ++n) paragraph(lines[n], false, static_cast<int>(n));
  for (size_t n = 0; n < options.size(); ++n)
    paragraph(options[n], true, static_cast<int>(lines.size() + n));
  out += "}";
  return out;
}

}  // namespace bankgen

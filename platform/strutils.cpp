#include "platform/strutils.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

bool TryStrToInt(const QString& text, int& value) {
  int i = 0;
  const int n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < n && text[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  // Overflow is judged by value, so leading zeros are harmless.
  const uint64_t limit = hex ? 0xFFFFFFFFull : 2147483648ull;
  uint64_t acc = 0;
  for (; i < n; ++i) {
    const char16_t c = text[i].unicode();
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    acc = acc * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (acc > limit) return false;
  }
  if (hex) {
    uint32_t u = static_cast<uint32_t>(acc);
    if (negative) u = 0u - u;
    value = static_cast<int32_t>(u);
    return true;
  }
  if (negative ? acc > 2147483648ull : acc > 2147483647ull) return false;
  value = negative ? static_cast<int>(-static_cast<int64_t>(acc)) : static_cast<int>(acc);
  return true;
}

int StrToIntDef(const QString& s, int def) {
  int v;
  return TryStrToInt(s, v) ? v : def;
}

QString IntToStr(int v) { return QString::number(v); }

namespace {
QByteArray Convert(const char* to, const char* from, const QByteArray& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return QByteArray();
  QByteArray out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.constData());
  size_t srcLeft = static_cast<size_t>(in.size());
  char* dst = out.data();
  size_t dstLeft = static_cast<size_t>(out.size());
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      const auto used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = static_cast<size_t>(out.size() - used);
      continue;
    }
    // An invalid or cut-off sequence: keep a replacement and go on.
    const QByteArray repl = QByteArray(to) == "UTF-8" ? QByteArray("\xEF\xBF\xBD") : QByteArray("?");
    if (dstLeft < static_cast<size_t>(repl.size())) {
      const auto used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = static_cast<size_t>(out.size() - used);
    }
    memcpy(dst, repl.constData(), static_cast<size_t>(repl.size()));
    dst += repl.size();
    dstLeft -= static_cast<size_t>(repl.size());
    ++src;
    --srcLeft;
  }
  out.resize(dst - out.data());
  iconv_close(cd);
  return out;
}
}  // namespace

QString AnsiToString(const QByteArray& bytes) {
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) return QString::fromLatin1(bytes);
  return QString::fromUtf8(Convert("UTF-8", "GBK", bytes));
}

QByteArray StringToAnsi(const QString& text) {
  bool ascii = true;
  for (QChar c : text)
    if (c.unicode() >= 0x80) { ascii = false; break; }
  if (ascii) return text.toLatin1();
  return Convert("GBK", "UTF-8", text.toUtf8());
}

QByteArray TruncateAnsi(const QByteArray& bytes, int maxBytes) {
  if (bytes.size() <= maxBytes) return bytes;
  int i = 0;
  while (i < maxBytes) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const int len = (b >= 0x81 && b <= 0xFE) ? 2 : 1;
    if (i + len > maxBytes) break;
    i += len;
  }
  return bytes.left(i);
}

#pragma once
// Text helpers of the host framework that the system relies on.

#include <QByteArray>
#include <QString>

// Host integer conversion: optional blanks and sign, decimal digits, or
// hexadecimal after "$" or "0x"/"0X". Hex values up to 0xFFFFFFFF wrap to a
// 32-bit value ("0xFF00000F" reads as 0xFF00000F); leading zeros do not
// count against the range. Anything else gives `def`.
int StrToIntDef(const QString& s, int def);
bool TryStrToInt(const QString& s, int& value);
QString IntToStr(int v);

// The system's ANSI code page is GBK (code page 936).
QString AnsiToString(const QByteArray& bytes);
QByteArray StringToAnsi(const QString& text);
// Cuts `bytes` to at most `maxBytes` without splitting a double-byte character.
QByteArray TruncateAnsi(const QByteArray& bytes, int maxBytes);

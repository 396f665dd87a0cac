#pragma once
// The edit mask of the masked in-place editors, as pure text functions.
//
// A mask has up to three fields separated by ";": the mask itself, a
// save-literals flag ("0": literals are not part of the value) and the blank
// character (default "_"). Mask characters: "0", "A", "C", "L" required
// positions; "9", "#", "a", "c", "l" optional ones; "!" (blanks trimmed from
// the front of the value instead of the end), ">" and "<" (upper and lower
// case from here on, "<>" neither) and "\" (the next character is a literal)
// are directives; "/" and ":" stand for the date and time separators; any
// other character is a literal.

#include <QChar>
#include <QString>
#include <vector>

class TtlEditMask {
 public:
  enum Kind { mkLiteral, mkDigit, mkDigitSign, mkLetter, mkAlnum, mkAny };
  enum Case { mcNone, mcUpper, mcLower };
  struct Position {
    Kind kind = mkLiteral;
    bool required = false;
    Case charCase = mcNone;
    QChar literal;
  };

  explicit TtlEditMask(const QString& mask = QString(), QChar dateSeparator = QLatin1Char('/'),
                       QChar timeSeparator = QLatin1Char(':'));

  bool IsEmpty() const { return m_positions.empty(); }
  // Length of the edit text: one character per position.
  int Length() const { return static_cast<int>(m_positions.size()); }
  const Position& At(int pos) const { return m_positions[pos]; }
  bool IsLiteral(int pos) const { return pos < 0 || pos >= Length() || m_positions[pos].kind == mkLiteral; }
  bool SaveLiterals() const { return m_saveLiterals; }
  QChar Blank() const { return m_blank; }
  bool TrimLeading() const { return m_trimLeading; }

  // The character `c` as it would stand at `pos` (case applied), or a null
  // character when the position refuses it.
  QChar Accept(int pos, QChar c) const;
  // The edit text showing `value`: unfilled positions hold the blank.
  QString Format(const QString& value) const;
  // The value an edit text stands for: literals out unless saved, unfilled
  // positions trimmed from the end (or the front with "!"), inner ones spaces.
  QString Value(const QString& editText) const;
  // Nothing typed at any editable position.
  bool NothingEntered(const QString& editText) const;
  // The first required position that is not filled (-1: the text passes).
  // A space fills only a "C" position; the blank fills one with ignoreBlank.
  int FirstInvalid(const QString& editText, bool ignoreBlank) const;

  // Caret moves over editable positions only; Length() stands for the end.
  int NextEditable(int pos) const;  // at or after pos
  int PrevEditable(int pos) const;  // before pos (-1: none)

  // Typing `c` at `caret`: the character goes to the first editable position
  // at or after the caret; refused there, the caret may jump past an equal
  // literal further on. False when refused (text and caret unchanged).
  bool Type(QString& text, int& caret, QChar c) const;
  // Blanks the editable positions in [from, to) without moving literals.
  void Blank(QString& text, int from, int to) const;
  // Backspace: blanks the editable position before the caret and moves there.
  bool Backspace(QString& text, int& caret) const;
  // Pastes `s` from the caret, character by character; stops at the first
  // refused one. Returns how many characters were taken.
  int Paste(QString& text, int& caret, const QString& s) const;

 private:
  std::vector<Position> m_positions;
  bool m_saveLiterals = true;
  bool m_trimLeading = false;
  QChar m_blank = QLatin1Char('_');
};

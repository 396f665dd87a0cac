#pragma once
// Our reader of rich text (RTF), the format the question bank keeps its texts
// in. It turns a document into paragraphs of formatted runs and needs no
// widget; the host rich edit builds its text document from the result.
//
// Every document is untrusted: nesting is capped, the work is linear in the
// size of the input, and anything that is not a sound document (no "{\rtf"
// at the start, a group left open at the end, nesting beyond the cap) is
// "not rich text", which callers answer by reading the bytes as plain text.

#include <QByteArray>
#include <QRgb>
#include <QString>
#include <optional>
#include <vector>

class QTextDocument;

enum TRtfAlignment : unsigned char { raLeft, raRight, raCenter, raJustify };

struct TRtfCharFormat {
  QString FontName;         // empty: the editor's own font
  int FontCharset = 1;      // \fcharset of that font (1: default)
  int SizeHalfPoints = 24;  // \fs
  bool Bold = false, Italic = false, Underline = false, Strike = false;
  std::optional<QRgb> Color;      // \cf; none: the editor's text colour
  std::optional<QRgb> Highlight;  // \highlight or \cb; none: no background
  friend bool operator==(const TRtfCharFormat&, const TRtfCharFormat&) = default;
};

// Indents and spacing in twips (1/1440 inch), as the document gives them.
struct TRtfParaFormat {
  TRtfAlignment Alignment = raLeft;
  int LeftIndent = 0, RightIndent = 0, FirstIndent = 0;
  int SpaceBefore = 0, SpaceAfter = 0;
  friend bool operator==(const TRtfParaFormat&, const TRtfParaFormat&) = default;
};

struct TRtfRun {
  int Start = 0;   // in the paragraph's text
  int Length = 0;
  TRtfCharFormat Format;
};

// A paragraph's text holds \tab as '\t' and \line as U+2028 (line separator).
struct TRtfParagraph {
  QString Text;
  TRtfParaFormat Format;
  std::vector<TRtfRun> Runs;
};

struct TRtfDocument {
  std::vector<TRtfParagraph> Paragraphs;

  // The paragraphs joined by '\n'.
  QString Text() const;
  // The formats in effect at a position of Text(); nullptr outside the text
  // (a paragraph's end counts as part of it for the paragraph format).
  const TRtfCharFormat* CharFormatAt(int position) const;
  const TRtfParaFormat* ParaFormatAt(int position) const;
};

// Nesting deeper than this is not rich text.
inline constexpr int kRtfMaxGroupDepth = 200;

// True when the bytes begin as a rich-text document does ("{\rtf").
bool LooksLikeRtf(const QByteArray& data);
// The document, or nullopt when the bytes are not (sound) rich text.
std::optional<TRtfDocument> ReadRtf(const QByteArray& data);

// Replaces the whole content of `target` with the document, in one step that
// the target's undo stack does not record.
void BuildTextDocument(const TRtfDocument& document, QTextDocument* target);

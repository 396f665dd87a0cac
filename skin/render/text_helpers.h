#pragma once
// Text measuring, drawing and shortening, and the placement of a glyph and a
// caption inside a button face.

#include <QString>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/image_list.h"
#include "platform/types.h"

// Where the glyph sits relative to the caption.
enum TsfButtonLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

// Draws (or with DT_CALCRECT measures into `rect`) the text; returns its height.
int DrawTextWide(TCanvas* canvas, const QString& text, TRect& rect, unsigned flags);
// The size DrawTextWide gives the text in an empty rect.
int TextWidthWide(TCanvas* canvas, const QString& text);
int TextHeightWide(TCanvas* canvas, const QString& text);

// Shortens `text` to the longest leading part that fits `width` followed by
// "..." ("..." alone when nothing fits); a text that fits is left. Whole
// characters are removed, never half of one (a surrogate pair or a
// character with combining marks goes as one).
void EllipsizeTextWide(TCanvas* canvas, QString& text, int width);
// The same for texts kept in the ANSI code page; our texts are Unicode
// inside, so it removes whole characters too (a double-byte Chinese
// character is never split).
void EllipsizeText(TCanvas* canvas, QString& text, int width);

// One line, vertically centred, left-aligned, clipped; nothing for empty text.
void DrawTextSingleLine(TCanvas* canvas, const QString& text, const TRect& rect);
// Clipped to rect at x = left + 2 (+ indent), y = top + h div 2 - text height div 2.
void DrawTextVCentred(TCanvas* canvas, const QString& text, const TRect& rect);
void DrawTextVCentredIndent(TCanvas* canvas, const QString& text, const TRect& rect, int indent);

// One line of text as TCanvas::TextOut shows it, laid out once per text and
// font (kept in a small shared cache) and drawn again from that layout:
// for captions painted at every repaint.
int LaidTextWidth(TCanvas* canvas, const QString& text);
// Draws at (x, y) (top-left, as TextOut) in the canvas's font and colour,
// clipped to `clip`; with a solid brush the text's box is filled first.
void DrawLaidText(TCanvas* canvas, int x, int y, const QString& text, const TRect& clip);

struct TsfGlyphTextPlace {
  TPoint Glyph;
  TPoint Text;
};

// Glyph and text positions in `face`. A glyph with no width or height counts
// as none, and then the spacing is 0. Margin -1 centres glyph and text as
// one block.
TsfGlyphTextPlace LayoutGlyphAndText(TsfButtonLayout layout, const TRect& face, int glyphWidth,
                                     int glyphHeight, int textWidth, int textHeight, int margin,
                                     int spacing);

// Lays out and draws an image-list glyph (none when the index is outside the
// list) and a caption.
void DrawImageGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                           bool marker, bool enabled, bool pressed, const TCustomImageList* images,
                           int imageIndex, const QString& caption, TsfButtonLayout layout,
                           int spacing);
// The same with glyph n of a strip of m glyphs (DrawStripGlyph).
void DrawStripGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                           bool marker, bool pressed, int glyphNumber, int glyphCount,
                           const TBitmap& strip, const QString& caption, TsfButtonLayout layout,
                           int spacing);

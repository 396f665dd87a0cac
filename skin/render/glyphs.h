#pragma once
// Line-drawn glyphs: focus frame, two-colour frame, arrows, check mark and
// the caption button symbols used when a skin has no picture for them.
// Lines leave out their end point; rects (x1, y1)-(x2, y2) cover x1..x2-1
// and y1..y2-1. Every pixel is set exactly, without anti-aliasing.

#include "platform/canvas.h"
#include "platform/colors.h"
#include "platform/types.h"

// Dotted rectangle in the canvas's font colour, walked clockwise from the
// top-left; the top side starts with a set pixel unless the inclusive width
// and height are both even, and each side continues the previous one.
void DrawDottedFrame(TCanvas* canvas, const TRect& rect);
// Top and left lines in the first colour, bottom and right in the second.
void DrawFrame3D(TCanvas* canvas, const TRect& rect, TColor topLeft, TColor bottomRight);

// Small filled triangle centred in rect: 1 left, 2 right, 3 up, 4 down.
void DrawArrowGlyph(TCanvas* canvas, const TRect& rect, TColor colour, int direction);
// Three-row triangle pointing down, centred in rect.
void DrawSmallDownArrow(TCanvas* canvas, const TRect& rect, TColor colour);
void DrawCheckGlyph(TCanvas* canvas, int x, int y, TColor colour);
// A 6 x 6 filled square.
void DrawDotGlyph(TCanvas* canvas, int x, int y, TColor colour);

// Caption button symbols at (x, y).
void DrawCloseSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawMinimizeSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawMaximizeSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawRestoreSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawSysMenuSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawDownTriangleSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawUpTriangleSymbol(TCanvas* canvas, int x, int y, TColor colour);
void DrawSmallSquareSymbol(TCanvas* canvas, int x, int y, TColor colour);

#pragma once
// Composition of skin pictures at any size. A skin record names a rect S of
// a picture, four corner points LT, RT, LB, RB and a client rect C, all
// relative to S's top-left. The frame (what lies outside C) is cut into
// corners, which are copied as they are, and edges and centre, which are
// repeated or stretched to the new size. The routines take plain values so
// they do not depend on the record classes; a record-taking wrapper passes
// the record's skin rect, points, client rect, flags and picture.
//
// Every source rect is clipped to its picture; zero-length repeatable pieces
// draw nothing (a tiled edge of length 0 is left blank) instead of dividing
// by zero; results smaller than their fixed parts keep the fixed parts at
// their places and draw no repeated part whose run is inverted.

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/types.h"

// How a stretched centre is laid out: 0 full, 1 horizontal, 2 vertical.
enum TsfStretchMode { smFull = 0, smHorizontal = 1, smVertical = 2 };

// Corner points and client rect of a frame, relative to the frame's top-left.
struct TsfFramePoints {
  TPoint LT, RT, LB, RB;
  TRect C;
  friend bool operator==(const TsfFramePoints&, const TsfFramePoints&) = default;
};

// Which pieces are stretched instead of repeated.
struct TsfStretchFlags {
  bool Left = false;
  bool Top = false;
  bool Right = false;
  bool Bottom = false;
  bool Effect = false;  // the centre
  TsfStretchMode Mode = smFull;
};

// The four border pictures of a window frame.
struct TsfFrameBorders {
  TBitmap Top, Bottom, Left, Right;
};

inline int WidthOf(const TRect& r) { return r.Right - r.Left; }
inline int HeightOf(const TRect& r) { return r.Bottom - r.Top; }
inline bool IsEmptyArea(const TRect& r) { return WidthOf(r) <= 0 || HeightOf(r) <= 0; }
inline bool IsUnsetPoint(const TPoint& p) { return p.X == 0 || p.Y == 0; }

// Makes `result` a blank (black) 24-bit picture of w x h (empty for sizes <= 0).
void ResetBitmap(TBitmap& result, int w, int h);

// The frame laid out at W x H: the right points move by W - Sw, the lower
// points by H - Sh, the client rect grows by both.
TsfFramePoints ScaleFramePoints(const TsfFramePoints& skin, int Sw, int Sh, int W, int H);

// The nine-piece frame of skin rect S of `source` at W x H, with the laid-out
// points `laid` (normally ScaleFramePoints of `skin`).
void ComposeFrameBitmap(TBitmap& result, const TsfFramePoints& skin, const TsfFramePoints& laid,
                        int W, int H, const TRect& S, const TBitmap& source,
                        const TsfStretchFlags& flags, bool drawCentre);

// The frame without its right side: top and bottom edges run to W, only the
// left-hand corners, the centre reaches the right border. flags.Right is unused.
void ComposeFrameBitmapOpenRight(TBitmap& result, const TsfFramePoints& skin,
                                 const TsfFramePoints& laid, int W, int H, const TRect& S,
                                 const TBitmap& source, const TsfStretchFlags& flags,
                                 bool drawCentre);

// Resizes the whole skin rect to `result`'s current size keeping the border
// outside C: every edge and the centre stretched.
void ComposeWholeBitmap(TBitmap& result, const TBitmap& source, const TRect& S, const TRect& C,
                        bool drawCentre);

// Three-piece horizontal strip of W x Sh: L left columns, R right columns,
// the middle (at least one column) repeated or stretched.
void ComposeHStrip(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S, int W,
                   bool stretch);
// The same without the right end.
void ComposeHStripLeft(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S,
                       int W, bool stretch);
// The middle piece alone over the whole width.
void ComposeHStripMiddle(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S,
                         int W, bool stretch);
// Three-piece vertical strip of Sw x H: T top rows, B bottom rows.
void ComposeVStrip(int T, int B, TBitmap& result, const TBitmap& source, const TRect& S, int H,
                   bool stretch);

// A W x H background from the client piece C (relative to S): tiled from
// (0, 0) over the target's width and height, or stretched into `target`
// according to `mode`.
void ComposeClientFill(const TRect& C, const TRect& target, TBitmap& result, int W, int H,
                       const TRect& S, const TBitmap& source, bool stretch, TsfStretchMode mode);

// The four border pictures of a window frame at W x H. A part that cannot be
// made (no size, or its repeatable piece shorter than one pixel) is emptied.
void ComposeFrameBorders(TsfFrameBorders& borders, const TsfFramePoints& skin,
                         const TsfFramePoints& laid, int W, int H, const TRect& S,
                         const TBitmap& source, const TsfStretchFlags& flags);

// Draws glyph n (from 1) of a strip of m equal glyphs at (x, y), keyed on the
// colour of the glyph's bottom-left pixel. Nothing for an empty strip or a
// glyph number outside 1..m.
void DrawStripGlyph(TCanvas* canvas, int x, int y, int n, int m, const TBitmap& strip);

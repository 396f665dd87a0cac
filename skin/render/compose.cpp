#include "skin/render/compose.h"

#include <algorithm>

#include "skin/render/pixel_copy.h"

namespace {

// Every coordinate and size a composition takes is first brought into
// +-kComposeLimit (far beyond any picture or window), so no sum or
// difference below can overflow, whatever a skin file says.
constexpr int kComposeLimit = 1 << 24;
inline int Cap(int v) { return std::clamp(v, -kComposeLimit, kComposeLimit); }
inline TPoint Cap(const TPoint& p) { return TPoint(Cap(p.X), Cap(p.Y)); }
inline TRect Cap(const TRect& r) { return TRect(Cap(r.Left), Cap(r.Top), Cap(r.Right), Cap(r.Bottom)); }
inline TsfFramePoints Cap(const TsfFramePoints& p) {
  TsfFramePoints r;
  r.LT = Cap(p.LT);
  r.RT = Cap(p.RT);
  r.LB = Cap(p.LB);
  r.RB = Cap(p.RB);
  r.C = Cap(p.C);
  return r;
}

// Draws `piece` into `area` of `dst`: stretched, or tiled from the area's
// top-left.
void Lay(QImage& dst, const TRect& area, const QImage& src, const TRect& piece, bool stretch) {
  if (stretch) sfpix::Stretch(dst, area, src, piece);
  else sfpix::Tile(dst, area, src, piece);
}

// Copies source rect `s` (relative to S) 1:1 to `d` (only its top-left is used).
void Corner(QImage& dst, const TRect& d, const QImage& src, const TRect& S, const TRect& s) {
  if (IsEmptyArea(s) || IsEmptyArea(d)) return;
  sfpix::Blit(dst, d.Left, d.Top, src, s.Offset(S.Left, S.Top));
}

// The centre: the piece stretched (by mode) or tiled into `area`. The piece
// is clipped to its picture and the area to the target before any
// temporary is sized, so a huge rect from a skin file costs nothing.
void Centre(QImage& dst, const TRect& area, const QImage& src, const TRect& rawPiece, bool stretch,
            TsfStretchMode mode) {
  if (IsEmptyArea(area)) return;
  if (!stretch) {
    sfpix::Tile(dst, area, src, rawPiece);
    return;
  }
  const TRect piece = rawPiece.Intersect(TRect(0, 0, src.width(), src.height()));
  const TRect visible = area.Intersect(TRect(0, 0, dst.width(), dst.height()));
  if (IsEmptyArea(piece) || IsEmptyArea(visible)) return;
  switch (mode) {
    case smHorizontal: {
      // Scaled to its own width and the area's height, then repeated across;
      // only the rows the target shows are made.
      QImage scaled(WidthOf(piece), HeightOf(visible), dst.format());
      scaled.fill(0xFF000000u);
      sfpix::Stretch(scaled, TRect(0, area.Top - visible.Top, scaled.width(), area.Bottom - visible.Top), src,
                     piece);
      sfpix::TileAnchored(dst, visible, TPoint(area.Left, visible.Top), scaled,
                          TRect(0, 0, scaled.width(), scaled.height()));
      break;
    }
    case smVertical: {
      QImage scaled(WidthOf(visible), HeightOf(piece), dst.format());
      scaled.fill(0xFF000000u);
      sfpix::Stretch(scaled, TRect(area.Left - visible.Left, 0, area.Right - visible.Left, scaled.height()), src,
                     piece);
      sfpix::TileAnchored(dst, visible, TPoint(visible.Left, area.Top), scaled,
                          TRect(0, 0, scaled.width(), scaled.height()));
      break;
    }
    case smFull:
    default:
      sfpix::Stretch(dst, area, src, piece);
      break;
  }
}

}  // namespace

void ResetBitmap(TBitmap& result, int w, int h) {
  result.Image() = QImage();
  result.SetPixelFormat(pf24bit);
  if (w <= 0 || h <= 0) return;
  QImage fresh(w, h, QImage::Format_RGB32);
  fresh.fill(0xFF000000u);
  result.Image() = fresh;
}

TsfFramePoints ScaleFramePoints(const TsfFramePoints& skin, int Sw, int Sh, int W, int H) {
  const TsfFramePoints p = Cap(skin);
  const int dx = Cap(W) - Cap(Sw), dy = Cap(H) - Cap(Sh);
  TsfFramePoints r;
  r.LT = p.LT;
  r.RT = TPoint(p.RT.X + dx, p.RT.Y);
  r.LB = TPoint(p.LB.X, p.LB.Y + dy);
  r.RB = TPoint(p.RB.X + dx, p.RB.Y + dy);
  r.C = TRect(p.C.Left, p.C.Top, p.C.Right + dx, p.C.Bottom + dy);
  return r;
}

namespace {
void ComposeFrame(TBitmap& result, const TsfFramePoints& skin, const TsfFramePoints& laid, int W,
                  int H, const TRect& skinRect, const TBitmap& source, const TsfStretchFlags& f,
                  bool drawCentre, bool openRight) {
  const TsfFramePoints k = Cap(skin), n = Cap(laid);
  const TRect S = Cap(skinRect);
  W = Cap(W);
  H = Cap(H);
  ResetBitmap(result, W, H);
  if (result.Empty() || source.Empty()) return;
  if (k.RB.X == k.LT.X || k.RB.Y == k.LT.Y) return;
  const QImage src = sfpix::As32(source.Image());
  QImage& dst = result.Image();
  const int Sw = WidthOf(S), Sh = HeightOf(S);
  const int sl = S.Left, st = S.Top;

  // Edges first.
  const TRect topPiece(sl + k.LT.X, st, sl + k.RT.X, st + k.C.Top);
  const TRect bottomPiece(sl + k.LB.X, st + k.C.Bottom, sl + k.RB.X, S.Bottom);
  const int topEnd = openRight ? W : n.RT.X;
  const int bottomEnd = openRight ? W : n.RB.X;
  Lay(dst, TRect(n.LT.X, 0, topEnd, n.C.Top), src, topPiece, f.Top);
  Lay(dst, TRect(n.LB.X, n.C.Bottom, bottomEnd, H), src, bottomPiece, f.Bottom);
  Lay(dst, TRect(0, n.LT.Y, n.C.Left, n.LB.Y), src,
      TRect(sl, st + k.LT.Y, sl + k.C.Left, st + k.LB.Y), f.Left);
  if (!openRight)
    Lay(dst, TRect(n.C.Right, n.RT.Y, W, n.RB.Y), src,
        TRect(sl + k.C.Right, st + k.RT.Y, S.Right, st + k.RB.Y), f.Right);

  // Corners, each an L of two pieces.
  Corner(dst, TRect(0, 0, n.LT.X, n.C.Top), src, S, TRect(0, 0, k.LT.X, k.C.Top));
  Corner(dst, TRect(0, n.C.Top, n.C.Left, n.LT.Y), src, S, TRect(0, k.C.Top, k.C.Left, k.LT.Y));
  if (!openRight) {
    Corner(dst, TRect(n.RT.X, 0, W, n.C.Top), src, S, TRect(k.RT.X, 0, Sw, k.C.Top));
    Corner(dst, TRect(n.C.Right, n.C.Top, W, n.RT.Y), src, S,
           TRect(k.C.Right, k.C.Top, Sw, k.RT.Y));
  }
  Corner(dst, TRect(0, n.LB.Y, n.C.Left, H), src, S, TRect(0, k.LB.Y, k.C.Left, Sh));
  Corner(dst, TRect(n.C.Left, n.C.Bottom, n.LB.X, H), src, S,
         TRect(k.C.Left, k.C.Bottom, k.LB.X, Sh));
  if (!openRight) {
    Corner(dst, TRect(n.RB.X, n.C.Bottom, W, H), src, S, TRect(k.RB.X, k.C.Bottom, Sw, Sh));
    Corner(dst, TRect(n.C.Right, n.RB.Y, W, n.C.Bottom), src, S,
           TRect(k.C.Right, k.RB.Y, Sw, k.C.Bottom));
  }

  // Centre last.
  if (drawCentre) {
    const TRect area = openRight ? TRect(n.C.Left, n.C.Top, W, n.C.Bottom) : n.C;
    Centre(dst, area, src, k.C.Offset(sl, st), f.Effect, f.Mode);
  }
}
}  // namespace

void ComposeFrameBitmap(TBitmap& result, const TsfFramePoints& skin, const TsfFramePoints& laid,
                        int W, int H, const TRect& S, const TBitmap& source,
                        const TsfStretchFlags& flags, bool drawCentre) {
  ComposeFrame(result, skin, laid, W, H, S, source, flags, drawCentre, false);
}

void ComposeFrameBitmapOpenRight(TBitmap& result, const TsfFramePoints& skin,
                                 const TsfFramePoints& laid, int W, int H, const TRect& S,
                                 const TBitmap& source, const TsfStretchFlags& flags,
                                 bool drawCentre) {
  ComposeFrame(result, skin, laid, W, H, S, source, flags, drawCentre, true);
}

void ComposeWholeBitmap(TBitmap& result, const TBitmap& source, const TRect& skinRect,
                        const TRect& client, bool drawCentre) {
  const int W = result.Width(), H = result.Height();
  const TRect S = Cap(skinRect), C = Cap(client);
  TsfFramePoints k;
  k.C = C;
  k.LT = TPoint(C.Left, C.Top);
  k.RT = TPoint(C.Right, C.Top);
  k.LB = TPoint(C.Left, C.Bottom);
  k.RB = TPoint(C.Right, C.Bottom);
  TsfFramePoints n;
  n.C = TRect(C.Left, C.Top, C.Right + W - WidthOf(S), C.Bottom + H - HeightOf(S));
  n.LT = TPoint(n.C.Left, n.C.Top);
  n.RT = TPoint(n.C.Right, n.C.Top);
  n.LB = TPoint(n.C.Left, n.C.Bottom);
  n.RB = TPoint(n.C.Right, n.C.Bottom);
  TsfStretchFlags f;
  f.Left = f.Top = f.Right = f.Bottom = f.Effect = true;
  f.Mode = smFull;
  ComposeFrameBitmap(result, k, n, W, H, S, source, f, drawCentre);
}

namespace {
enum class StripEnds { Both, LeftOnly, None };

void HStrip(StripEnds ends, int L, int R, TBitmap& result, const TBitmap& source, const TRect& skinRect,
            int W, bool stretch) {
  const TRect S = Cap(skinRect);
  L = Cap(L);
  R = Cap(R);
  W = Cap(W);
  const int Sh = HeightOf(S);
  ResetBitmap(result, W, Sh);
  if (result.Empty() || source.Empty()) return;
  const QImage src = sfpix::As32(source.Image());
  QImage& dst = result.Image();
  // The middle piece, one column wide when the ends leave nothing.
  TRect middle(S.Left + L, S.Top, S.Right - R, S.Bottom);
  if (WidthOf(middle) <= 0) middle.Right = middle.Left + 1;
  const int from = ends == StripEnds::None ? 0 : L;
  const int to = ends == StripEnds::Both ? W - R : W;
  Lay(dst, TRect(from, 0, to, Sh), src, middle, stretch);
  if (ends != StripEnds::None && L > 0) sfpix::Blit(dst, 0, 0, src, TRect(S.Left, S.Top, S.Left + L, S.Bottom));
  if (ends == StripEnds::Both && R > 0)
    sfpix::Blit(dst, W - R, 0, src, TRect(S.Right - R, S.Top, S.Right, S.Bottom));
}
}  // namespace

void ComposeHStrip(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S, int W,
                   bool stretch) {
  HStrip(StripEnds::Both, L, R, result, source, S, W, stretch);
}

void ComposeHStripLeft(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S,
                       int W, bool stretch) {
  HStrip(StripEnds::LeftOnly, L, R, result, source, S, W, stretch);
}

void ComposeHStripMiddle(int L, int R, TBitmap& result, const TBitmap& source, const TRect& S,
                         int W, bool stretch) {
  HStrip(StripEnds::None, L, R, result, source, S, W, stretch);
}

void ComposeVStrip(int T, int B, TBitmap& result, const TBitmap& source, const TRect& skinRect, int H,
                   bool stretch) {
  const TRect S = Cap(skinRect);
  T = Cap(T);
  B = Cap(B);
  H = Cap(H);
  const int Sw = WidthOf(S);
  ResetBitmap(result, Sw, H);
  if (result.Empty() || source.Empty()) return;
  const QImage src = sfpix::As32(source.Image());
  QImage& dst = result.Image();
  TRect middle(S.Left, S.Top + T, S.Right, S.Bottom - B);
  if (HeightOf(middle) <= 0) middle.Bottom = middle.Top + 1;
  Lay(dst, TRect(0, T, Sw, H - B), src, middle, stretch);
  if (T > 0) sfpix::Blit(dst, 0, 0, src, TRect(S.Left, S.Top, S.Right, S.Top + T));
  if (B > 0) sfpix::Blit(dst, 0, H - B, src, TRect(S.Left, S.Bottom - B, S.Right, S.Bottom));
}

void ComposeClientFill(const TRect& client, const TRect& targetRect, TBitmap& result, int W, int H,
                       const TRect& skinRect, const TBitmap& source, bool stretch, TsfStretchMode mode) {
  const TRect C = Cap(client), target = Cap(targetRect), S = Cap(skinRect);
  ResetBitmap(result, Cap(W), Cap(H));
  if (result.Empty() || source.Empty() || IsEmptyArea(target)) return;
  const QImage src = sfpix::As32(source.Image());
  QImage& dst = result.Image();
  const TRect piece = C.Offset(S.Left, S.Top);
  if (!stretch) {
    // Only the target's size counts here: the fill starts at (0, 0).
    sfpix::Tile(dst, TRect(0, 0, WidthOf(target), HeightOf(target)), src, piece);
    return;
  }
  Centre(dst, target, src, piece, true, mode);
}

namespace {
// One border part built along its run: `run` is the part's rect in its own
// coordinates for the repeatable piece, `piece` that piece in the source,
// the two ends copied over it.
struct EndCopy {
  TRect source;  // absolute in the picture
  TPoint at;     // in the part
};

void MakePart(TBitmap& part, int w, int h, const QImage& src, const TRect& run, const TRect& piece,
              bool stretch, const EndCopy& first, const EndCopy& second) {
  ResetBitmap(part, w, h);
  if (part.Empty()) return;
  QImage& dst = part.Image();
  Lay(dst, run, src, piece, stretch);
  if (!IsEmptyArea(first.source)) sfpix::Blit(dst, first.at.X, first.at.Y, src, first.source);
  if (!IsEmptyArea(second.source)) sfpix::Blit(dst, second.at.X, second.at.Y, src, second.source);
}
}  // namespace

void ComposeFrameBorders(TsfFrameBorders& b, const TsfFramePoints& skin, const TsfFramePoints& laid,
                         int W, int H, const TRect& skinRect, const TBitmap& source,
                         const TsfStretchFlags& f) {
  const TsfFramePoints k = Cap(skin), n = Cap(laid);
  const TRect S = Cap(skinRect);
  W = Cap(W);
  H = Cap(H);
  const int sl = S.Left, st = S.Top;
  const bool haveSource = !source.Empty();
  const QImage src = haveSource ? sfpix::As32(source.Image()) : QImage();

  // Top: W x C.top, the top band of S.
  const int topH = k.C.Top;
  if (haveSource && W > 0 && topH > 0 && k.RT.X - k.LT.X >= 1) {
    MakePart(b.Top, W, topH, src, TRect(n.LT.X, 0, n.RT.X, topH),
             TRect(sl + k.LT.X, st, sl + k.RT.X, st + topH), f.Top,
             {TRect(sl, st, sl + k.LT.X, st + topH), TPoint(0, 0)},
             {TRect(sl + k.RT.X, st, S.Right, st + topH), TPoint(n.RT.X, 0)});
  } else {
    ResetBitmap(b.Top, 0, 0);
  }

  // Bottom: W x (H - C'.bottom), the last rows of S.
  const int bottomH = H - n.C.Bottom;
  if (haveSource && W > 0 && bottomH > 0 && k.RB.X - k.LB.X >= 1) {
    const int by = S.Bottom - bottomH;
    MakePart(b.Bottom, W, bottomH, src, TRect(n.LB.X, 0, n.RB.X, bottomH),
             TRect(sl + k.LB.X, by, sl + k.RB.X, S.Bottom), f.Bottom,
             {TRect(sl, by, sl + k.LB.X, S.Bottom), TPoint(0, 0)},
             {TRect(sl + k.RB.X, by, S.Right, S.Bottom), TPoint(n.RB.X, 0)});
  } else {
    ResetBitmap(b.Bottom, 0, 0);
  }

  // The side parts lie between the parts that were made; their rows are laid
  // out as the frame lays them (part row r is window row topMade + r).
  const int topMade = b.Top.Height();
  const int sideH = H - topMade - b.Bottom.Height();

  const int leftW = k.C.Left;
  if (haveSource && leftW > 0 && sideH > 0 && k.LB.Y - k.LT.Y >= 1) {
    MakePart(b.Left, leftW, sideH, src, TRect(0, n.LT.Y - topMade, leftW, n.LB.Y - topMade),
             TRect(sl, st + k.LT.Y, sl + leftW, st + k.LB.Y), f.Left,
             {TRect(sl, st + k.C.Top, sl + leftW, st + k.LT.Y), TPoint(0, n.C.Top - topMade)},
             {TRect(sl, st + k.LB.Y, sl + leftW, st + k.C.Bottom), TPoint(0, n.LB.Y - topMade)});
  } else {
    ResetBitmap(b.Left, 0, 0);
  }

  const int rightW = W - n.C.Right;
  if (haveSource && rightW > 0 && sideH > 0 && k.RB.Y - k.RT.Y >= 1) {
    const int rx = sl + k.C.Right;
    MakePart(b.Right, rightW, sideH, src, TRect(0, n.RT.Y - topMade, rightW, n.RB.Y - topMade),
             TRect(rx, st + k.RT.Y, S.Right, st + k.RB.Y), f.Right,
             {TRect(rx, st + k.C.Top, S.Right, st + k.RT.Y), TPoint(0, n.C.Top - topMade)},
             {TRect(rx, st + k.RB.Y, S.Right, st + k.C.Bottom), TPoint(0, n.RB.Y - topMade)});
  } else {
    ResetBitmap(b.Right, 0, 0);
  }
}

void DrawStripGlyph(TCanvas* canvas, int x, int y, int n, int m, const TBitmap& strip) {
  if (!canvas || strip.Empty() || m <= 0 || n < 1 || n > m) return;
  const int gw = strip.Width() / m;
  if (gw <= 0) return;
  TBitmap glyph;
  ResetBitmap(glyph, gw, strip.Height());
  sfpix::Blit(glyph.Image(), 0, 0, sfpix::As32(strip.Image()),
              TRect((n - 1) * gw, 0, n * gw, strip.Height()));
  glyph.Transparent = true;
  glyph.TransparentColor = glyph.Pixel(0, glyph.Height() - 1);
  canvas->Draw(x, y, &glyph);
}

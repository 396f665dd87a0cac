#include "skin/form/frame_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "skin/render/compose.h"

TsfFrameGeometry CalcFrameGeometry(const TsfFormInfo& f, int picW, int picH, int W, int H) {
  const int dx = W - picW, dy = H - picH;
  TsfFrameGeometry g;
  g.LT = f.lefttoppoint;
  g.RT = TPoint(f.righttoppoint.X + dx, f.righttoppoint.Y);
  g.LB = TPoint(f.leftbottompoint.X, f.leftbottompoint.Y + dy);
  g.RB = TPoint(f.rightbottompoint.X + dx, f.rightbottompoint.Y + dy);
  g.ClientRect = TRect(f.clientrect.Left, f.clientrect.Top, f.clientrect.Right + dx,
                       f.clientrect.Bottom + dy);
  g.CaptionRect = f.captionrect;
  if (!IsEmptyArea(f.captionrect)) g.CaptionRect.Right += dx;
  g.ButtonsRect = f.buttonsrect;
  if (!IsEmptyArea(f.buttonsrect) && f.buttonsrect.Left > picW / 2)
    g.ButtonsRect = f.buttonsrect.Offset(dx, 0);
  g.ButtonsInLeft = f.buttonsinleft;
  g.ButtonsOffset = f.buttonsoffset;
  g.HitLT = f.hittestlefttoppoint;
  g.HitRT = TPoint(f.hittestrighttoppoint.X + dx, f.hittestrighttoppoint.Y);
  g.HitLB = TPoint(f.hittestleftbottompoint.X, f.hittestleftbottompoint.Y + dy);
  g.HitRB = TPoint(f.hittestrightbottompoint.X + dx, f.hittestrightbottompoint.Y + dy);
  g.MaskArea = TRect(f.maskrectarea.Left, f.maskrectarea.Top, f.maskrectarea.Right + dx,
                     f.maskrectarea.Bottom + dy);
  return g;
}

TsfNonClient SkinNonClient(const TsfFormInfo& f, int picW, int picH) {
  // A client rect reaching past the picture leaves no frame on that side.
  return TsfNonClient{std::max(0, f.clientrect.Left), std::max(0, f.clientrect.Top),
                      std::max(0, picW - f.clientrect.Right),
                      std::max(0, picH - f.clientrect.Bottom)};
}

int DefaultCaptionHeight(bool toolWindow) { return toolWindow ? 15 : 19; }
int DefaultButtonSize(bool toolWindow) { return toolWindow ? 13 : 17; }
TsfNonClient DefaultNonClient(bool toolWindow) {
  return TsfNonClient{3, DefaultCaptionHeight(toolWindow) + 3, 3, 3};
}

TRect MapObjectRect(const TRect& r, const TsfFormInfo& f, int picW, int picH, int dx, int dy) {
  const TRect lt(0, 0, f.lefttoppoint.X, f.lefttoppoint.Y);
  const TRect rt(f.righttoppoint.X, 0, picW, f.righttoppoint.Y);
  const TRect lb(0, f.leftbottompoint.Y, f.leftbottompoint.X, picH);
  const TRect rb(f.rightbottompoint.X, f.rightbottompoint.Y, picW, picH);
  // Corner regions are closed here: a rect may end on a region's far edge.
  auto in = [](const TRect& area, int x, int y) {
    return x >= area.Left && x <= area.Right && y >= area.Top && y <= area.Bottom;
  };
  auto inside = [&](const TRect& area) {
    return in(area, r.Left, r.Top) && in(area, r.Right, r.Bottom);
  };
  if (inside(lt)) return r;
  if (inside(rt)) return r.Offset(dx, 0);
  if (inside(lb)) return r.Offset(0, dy);
  if (inside(rb)) return r.Offset(dx, dy);
  const bool tlLT = in(lt, r.Left, r.Top), tlRT = in(rt, r.Left, r.Top),
             tlLB = in(lb, r.Left, r.Top);
  const bool brRB = in(rb, r.Right, r.Bottom), brRT = in(rt, r.Right, r.Bottom),
             brLB = in(lb, r.Right, r.Bottom);
  if (tlLT && brRB) return TRect(r.Left, r.Top, r.Right + dx, r.Bottom + dy);
  if (tlLT && brRT) return TRect(r.Left, r.Top, r.Right + dx, r.Bottom);
  if (tlLB && brRB) return TRect(r.Left, r.Top + dy, r.Right + dx, r.Bottom + dy);
  if (tlLT && brLB) return TRect(r.Left, r.Top, r.Right, r.Bottom + dy);
  if (tlRT && brRB) return TRect(r.Left + dx, r.Top, r.Right + dx, r.Bottom + dy);
  return r;
}

namespace {
// The order buttons take from the outer edge: close, maximise, minimise,
// roll-up, to tray; custom buttons after them.
constexpr int kButtonOrder[] = {0, 1, 2, 5, 6};

template <typename Place>
void ForEachLaidOut(std::vector<TsfButtonSlot>& buttons, Place place) {
  for (int command : kButtonOrder)
    for (TsfButtonSlot& b : buttons)
      if (b.Auto && b.Visible && b.Command == command) {
        place(b);
        break;
      }
  for (TsfButtonSlot& b : buttons)
    if (b.Auto && b.Visible && b.Command == 4) place(b);
}
}  // namespace

void ArrangeButtons(std::vector<TsfButtonSlot>& buttons, const TsfFrameGeometry& g,
                    TRect* caption) {
  const bool inButtonsRect = !IsEmptyArea(g.ButtonsRect);
  const TRect area = inButtonsRect ? g.ButtonsRect : g.CaptionRect;
  if (IsEmptyArea(area)) return;
  const int top = area.Top;
  TsfButtonSlot* sysMenu = nullptr;
  for (TsfButtonSlot& b : buttons)
    if (b.Auto && b.Visible && b.Command == 3 && !sysMenu) sysMenu = &b;
  if (!g.ButtonsInLeft) {
    int x = area.Right;
    ForEachLaidOut(buttons, [&](TsfButtonSlot& b) {
      b.Rect = TRect(x - b.Width, top, x, top + b.Height);
      x -= b.Width + g.ButtonsOffset;
    });
    if (!inButtonsRect && caption) caption->Right = x + g.ButtonsOffset;
    x = g.CaptionRect.Left;
    if (sysMenu) {
      const int t = g.CaptionRect.Top + g.CaptionRect.Height() / 2 - sysMenu->Height / 2;
      sysMenu->Rect = TRect(x, t, x + sysMenu->Width, t + sysMenu->Height);
      x += sysMenu->Width + g.ButtonsOffset;
      if (caption) caption->Left = x - g.ButtonsOffset;
    }
    return;
  }
  int x = area.Left;
  auto place = [&](TsfButtonSlot& b) {
    b.Rect = TRect(x, top, x + b.Width, top + b.Height);
    x += b.Width + g.ButtonsOffset;
  };
  ForEachLaidOut(buttons, place);
  if (!inButtonsRect) {
    if (sysMenu) place(*sysMenu);
    if (caption) caption->Left = x + g.ButtonsOffset;
  }
}

TRect ArrangeDefaultButtons(std::vector<TsfButtonSlot>& buttons, int W, bool toolWindow,
                            int iconSize) {
  const int size = DefaultButtonSize(toolWindow);
  TRect caption(3, 3, W - 3, DefaultCaptionHeight(toolWindow));
  int x = W - 3;
  for (int command : kButtonOrder)
    for (TsfButtonSlot& b : buttons)
      if (b.Visible && b.Command == command) {
        b.Rect = TRect(x - size, 4, x, 4 + size);
        x -= size;
        caption.Right = x;
        break;
      }
  for (TsfButtonSlot& b : buttons)
    if (b.Visible && b.Command == 3) {
      const int side = iconSize > 0 ? iconSize : size;
      b.Rect = TRect(caption.Left, 4, caption.Left + side, 4 + side);
      caption.Left += side;
      break;
    }
  return caption;
}

namespace {
bool InCaption(const TsfHitState& s, int x, int y) {
  return !IsEmptyArea(s.Caption) && s.Caption.Contains(TPoint(x, y));
}

// Whether a point of the window lies outside its shape: outside the window,
// or outside the mask area on a mask pixel that is not black.
bool OutsideShape(const TsfHitState& s, int x, int y) {
  if (x < 0 || y < 0 || x >= s.W || y >= s.H) return true;
  const TRect& m = s.G.MaskArea;
  if (m.Contains(TPoint(x, y))) return false;
  auto white = [](const TBitmap& part, int px, int py) {
    if (px < 0 || py < 0 || px >= part.Width() || py >= part.Height()) return true;
    return (part.Image().pixel(px, py) & 0xFFFFFF) != 0;
  };
  if (y < m.Top) return white(s.Mask->Top, x, y);
  if (y >= m.Bottom) return white(s.Mask->Bottom, x, y - m.Bottom);
  if (x < m.Left) return white(s.Mask->Left, x, y - m.Top);
  return white(s.Mask->Right, x - m.Right, y - m.Top);
}

int Inner(const TsfHitState& s, const TRect& client, int x, int y) {
  if (client.Contains(TPoint(x, y))) return HTCLIENT;
  if (InCaption(s, x, y)) return HTCAPTION;
  return HTOBJECT;
}
}  // namespace

int SkinHitTest(const TsfHitState& s, int x, int y) {
  const TsfFrameGeometry& g = s.G;
  const TPoint p(x, y);
  if (s.RolledUp || s.Minimized) return InCaption(s, x, y) ? HTCAPTION : HTOBJECT;
  if (s.ObjectActive && !InCaption(s, x, y) && !g.ClientRect.Contains(p) && !s.InSizeMove)
    return HTOBJECT;
  if (s.Maximized || !s.CanResize) return Inner(s, g.ClientRect, x, y);
  const int w = s.BorderWidth;
  const TPoint probes[] = {{x - w, y}, {x, y - w}, {x + w, y}, {x, y + w}};
  bool nearEdge = false;
  const bool masked = s.Mask && !g.MaskArea.Contains(p);
  for (const TPoint& q : probes) {
    if (s.Mask ? masked && OutsideShape(s, q.X, q.Y)
               : (q.X < 0 || q.Y < 0 || q.X >= s.W || q.Y >= s.H))
      nearEdge = true;
  }
  if (!nearEdge) return Inner(s, g.ClientRect, x, y);
  const TRect& cl = g.ClientRect;
  if (x <= g.HitLT.X && y <= g.HitLT.Y) return HTTOPLEFT;
  if (x >= g.HitRT.X && y <= g.HitRT.Y) return HTTOPRIGHT;
  if (x <= g.HitLB.X && y >= g.HitLB.Y) return HTBOTTOMLEFT;
  if (x >= g.HitRB.X && y >= g.HitRB.Y) return HTBOTTOMRIGHT;
  if (TRect(g.HitLT.X, 0, g.HitRT.X, cl.Top).Contains(p)) return HTTOP;
  if (TRect(g.HitLB.X, cl.Bottom, g.HitRB.X, s.H).Contains(p)) return HTBOTTOM;
  if (TRect(0, g.HitLT.Y, cl.Left, g.HitLB.Y).Contains(p)) return HTLEFT;
  if (TRect(cl.Right, g.HitRT.Y, s.W, g.HitRB.Y).Contains(p)) return HTRIGHT;
  return Inner(s, cl, x, y);
}

int DefaultHitTest(const TsfHitState& s, int x, int y) {
  const int ch = DefaultCaptionHeight(s.ToolWindow);
  const TRect client(3, ch + 3, s.W - 3, s.H - 3);
  if (!(s.Maximized || s.RolledUp || !s.CanResize || s.Minimized)) {
    if (s.ObjectActive) return HTOBJECT;
    const int W = s.W, H = s.H;
    if (x <= 2 && y <= 2) return HTTOPLEFT;
    if (x >= W - 2 && y <= 2) return HTTOPRIGHT;
    if (x <= 2 && y >= H - 2) return HTBOTTOMLEFT;
    if (x >= W - 2 && y >= H - 2) return HTBOTTOMRIGHT;
    if (x <= 2) return HTLEFT;
    if (y <= 2) return HTTOP;
    if (x >= W - 2) return HTRIGHT;
    if (y >= H - 2) return HTBOTTOM;
  }
  if (InCaption(s, x, y)) return HTCAPTION;
  if (client.Contains(TPoint(x, y))) return HTCLIENT;
  return HTOBJECT;
}

TRect SizeDragRect(int code, const TRect& start, int dx, int dy, int minW, int minH, int maxW,
                   int maxH) {
  TRect r = start;
  const bool left = code == HTLEFT || code == HTTOPLEFT || code == HTBOTTOMLEFT;
  const bool right = code == HTRIGHT || code == HTTOPRIGHT || code == HTBOTTOMRIGHT;
  const bool top = code == HTTOP || code == HTTOPLEFT || code == HTTOPRIGHT;
  const bool bottom = code == HTBOTTOM || code == HTBOTTOMLEFT || code == HTBOTTOMRIGHT;
  auto clampSize = [](int v, int lo, int hi) { return std::max(lo, hi > 0 ? std::min(v, hi) : v); };
  if (left) r.Left = start.Right - clampSize(start.Width() - dx, minW, maxW);
  if (right) r.Right = start.Left + clampSize(start.Width() + dx, minW, maxW);
  if (top) r.Top = start.Bottom - clampSize(start.Height() - dy, minH, maxH);
  if (bottom) r.Bottom = start.Top + clampSize(start.Height() + dy, minH, maxH);
  return r;
}

TRect MaximizedBounds(const TRect& work, const TRect& monitor, bool fullScreen) {
  if (fullScreen) return monitor;
  if (work == monitor && monitor.Left == 0 && monitor.Top == 0) return work.Inflate(-1, -1);
  return work;
}

QPoint MonitorCentre(const TRect& A, int w, int h) {
  return QPoint(A.Left + A.Width() / 2 - w / 2, A.Top + A.Height() / 2 - h / 2);
}

namespace {
// One axis of the magnetic snap: `pos` is the proposed left or top, `edge`
// the work area's edge it is compared with (through `far`, the window's
// extent past pos, for the right and bottom edges).
void SnapAxis(bool& snapped, int& origin, int cursor, int edge, int M, int far, int& pos) {
  const int probe = pos + far;
  const bool near = edge - M < probe && probe < edge + M;
  const bool movedAway = std::abs(cursor - origin) > M;
  if (near && !snapped) {
    pos = edge - far;
    origin = cursor;
  } else if (snapped && movedAway) {
    pos = edge - far + (cursor - origin);
  } else if (snapped) {
    pos = edge - far;
  }
  snapped = near;
}
}  // namespace

void TsfMagnet::Snap(const TRect& A, int M, const TPoint& cursor, int& left, int& top, int w,
                     int h) {
  SnapAxis(Left, Origin.X, cursor.X, A.Left, M, 0, left);
  SnapAxis(Top, Origin.Y, cursor.Y, A.Top, M, 0, top);
  SnapAxis(Right, Origin.X, cursor.X, A.Right, M, w, left);
  SnapAxis(Bottom, Origin.Y, cursor.Y, A.Bottom, M, h, top);
}

#pragma once
// The geometry of a skinned window frame as pure functions of the skin's
// frame values, the window size and the window state: the frame laid out at
// a size, the non-client widths, where frame objects and caption buttons go,
// the hit test, the size limits and the bounds a drag or a maximise gives.
// Painting and hit testing both use these, and tests check them without a
// window.

#include <vector>

#include "platform/messages.h"
#include "platform/types.h"
#include "skin/data/form_sections.h"
#include "skin/render/mask_region.h"

// Any frame part that is neither caption, border nor client: clicks there
// reach the frame objects.
constexpr int HTOBJECT = 19;

// The skin's frame laid out at a window of W x H.
struct TsfFrameGeometry {
  TPoint LT, RT, LB, RB;  // the corner points
  TRect ClientRect;
  TRect CaptionRect;
  TRect ButtonsRect;
  bool ButtonsInLeft = false;
  int ButtonsOffset = 0;
  TPoint HitLT, HitRT, HitLB, HitRB;
  TRect MaskArea;
};

TsfFrameGeometry CalcFrameGeometry(const TsfFormInfo& f, int picW, int picH, int W, int H);

// The widths of the frame around the client area.
struct TsfNonClient {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TsfNonClient&, const TsfNonClient&) = default;
};
TsfNonClient SkinNonClient(const TsfFormInfo& f, int picW, int picH);
// The plain frame drawn when no skin is loaded: a 3-pixel border and a caption.
int DefaultCaptionHeight(bool toolWindow);
int DefaultButtonSize(bool toolWindow);
TsfNonClient DefaultNonClient(bool toolWindow);

// A rect of the form picture placed at a window grown by (dx, dy), by the
// corner region(s) it lies in.
TRect MapObjectRect(const TRect& r, const TsfFormInfo& f, int picW, int picH, int dx, int dy);

// One caption button for the layout: its command, whether it is visible and
// laid out automatically (its picture is its own), its size, its place.
struct TsfButtonSlot {
  int Command = 4;
  bool Visible = true;
  bool Auto = true;
  int Width = 0, Height = 0;
  TRect Rect;
};
// Lays out the automatic buttons in the buttons rect (or, when it is empty, in
// the caption rect, narrowing `caption`, the first caption object's rect).
void ArrangeButtons(std::vector<TsfButtonSlot>& buttons, const TsfFrameGeometry& g,
                    TRect* caption);
// The default buttons of a W-wide window without skin; returns the caption
// rect. With `iconSize` the system-menu button is the window icon's square
// of that size instead of a button square.
TRect ArrangeDefaultButtons(std::vector<TsfButtonSlot>& buttons, int W, bool toolWindow,
                            int iconSize = 0);

// What the hit test needs to know of the window.
struct TsfHitState {
  int W = 0, H = 0;
  bool Skin = false;
  bool ToolWindow = false;
  TsfFrameGeometry G;  // with a skin
  int BorderWidth = 0;
  TRect Caption;       // the caption object's rect (empty: none)
  const TsfMaskBorders* Mask = nullptr;  // the laid-out mask parts, when the skin has a mask
  bool RolledUp = false, Minimized = false, Maximized = false;
  bool CanResize = true;
  bool ObjectActive = false;
  bool InSizeMove = false;
};
int SkinHitTest(const TsfHitState& s, int x, int y);
int DefaultHitTest(const TsfHitState& s, int x, int y);
inline bool IsSizingCode(int code) { return code >= HTLEFT && code <= HTBOTTOMRIGHT; }

// Magnetic edges: a window moved near an edge of the work area sticks to it
// until the cursor has moved more than the magnetic size from where it stuck.
struct TsfMagnet {
  bool Left = false, Top = false, Right = false, Bottom = false;
  TPoint Origin;  // the cursor where the last snap happened
  void Clear() { Left = Top = Right = Bottom = false; }
  // Adjusts the proposed (left, top) of a w x h window; `cursor` in screen
  // coordinates, A the work area, M the magnetic size.
  void Snap(const TRect& A, int M, const TPoint& cursor, int& left, int& top, int w, int h);
};

// The bounds of a window dragged by its border `code` by (dx, dy) from
// `start`, kept within the size limits with the opposite edge fixed.
TRect SizeDragRect(int code, const TRect& start, int dx, int dy, int minW, int minH, int maxW,
                   int maxH);
// The bounds of a maximised window: the work area, or the monitor with
// `fullScreen`; a work area that is the whole monitor at the screen's origin
// is shrunk by one pixel on every side (so the window does not hide a
// task bar that shows itself at the screen edge).
TRect MaximizedBounds(const TRect& work, const TRect& monitor, bool fullScreen);
// The top-left corner of a w x h window centred on area A (a monitor or its
// work area); the halves truncate toward zero.
QPoint MonitorCentre(const TRect& A, int w, int h);

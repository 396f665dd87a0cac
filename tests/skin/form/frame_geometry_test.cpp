// The frame geometry of skinned windows without a window: non-client widths,
// the laid-out frame, object and button placement, the hit test and the
// bounds of sizing and maximising.

#include <gtest/gtest.h>

#include "skin/form/frame_geometry.h"
#include "skin/render/compose.h"
#include "tests/skin/form/form_fixture.h"

namespace {

TsfFormInfo Info(TRect client) {
  TsfFormInfo f;
  f.clientrect = client;
  return f;
}

TEST(FrameGeometry, NonClientWidthsComeFromTheClientRectAtEverySize) {
  struct Case {
    int picW, picH;
    TRect client;
    TsfNonClient expected;
  } cases[] = {
      {100, 100, TRect(10, 30, 90, 95), {10, 30, 10, 5}},
      {160, 100, TRect(4, 30, 156, 96), {4, 30, 4, 4}},
      {40, 30, TRect(4, 20, 36, 26), {4, 20, 4, 4}},
      {300, 80, TRect(0, 0, 300, 80), {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const TsfFormInfo f = Info(c.client);
    EXPECT_EQ(SkinNonClient(f, c.picW, c.picH), c.expected);
    for (int W : {c.picW, c.picW + 1, 816, 1500}) {
      const int H = W / 2 + c.picH;
      const TsfFrameGeometry g = CalcFrameGeometry(f, c.picW, c.picH, W, H);
      EXPECT_EQ(g.ClientRect.Left, c.expected.Left);
      EXPECT_EQ(g.ClientRect.Top, c.expected.Top);
      EXPECT_EQ(W - g.ClientRect.Right, c.expected.Right);
      EXPECT_EQ(H - g.ClientRect.Bottom, c.expected.Bottom);
    }
  }
}

TEST(FrameGeometry, DefaultFrameSizes) {
  EXPECT_EQ(DefaultNonClient(false), (TsfNonClient{3, 22, 3, 3}));
  EXPECT_EQ(DefaultNonClient(true), (TsfNonClient{3, 18, 3, 3}));
  EXPECT_EQ(DefaultButtonSize(false), 17);
  EXPECT_EQ(DefaultButtonSize(true), 13);
}

TEST(FrameGeometry, PointsAndRectsFollowTheirCorner) {
  formtest::TinySkin skin;
  const TsfFormInfo& f = skin.data->FormInfo;
  const TsfFrameGeometry g = CalcFrameGeometry(f, 100, 100, 300, 200);
  EXPECT_EQ(g.RT, TPoint(280, 30));
  EXPECT_EQ(g.LB, TPoint(20, 195));
  EXPECT_EQ(g.RB, TPoint(280, 195));
  EXPECT_EQ(g.CaptionRect, TRect(10, 0, 290, 30));
  EXPECT_EQ(g.ButtonsRect, TRect(260, 7, 288, 23)) << "right of the middle: follows the right edge";
  EXPECT_EQ(g.HitRB, TPoint(294, 194));
  EXPECT_EQ(g.MaskArea, TRect(10, 30, 290, 195));
  struct Case {
    TRect in, out;
  } cases[] = {
      {TRect(2, 2, 18, 18), TRect(2, 2, 18, 18)},          // top-left corner
      {TRect(82, 2, 98, 18), TRect(282, 2, 298, 18)},      // top-right corner
      {TRect(2, 96, 18, 99), TRect(2, 196, 18, 199)},      // bottom-left corner
      {TRect(82, 96, 98, 99), TRect(282, 196, 298, 199)},  // bottom-right corner
      {TRect(20, 0, 80, 30), TRect(20, 0, 280, 30)},       // across the top
      {TRect(2, 2, 18, 99), TRect(2, 2, 18, 199)},         // down the left
      {TRect(30, 40, 50, 60), TRect(30, 40, 50, 60)},      // in no corner
  };
  for (const Case& c : cases) EXPECT_EQ(MapObjectRect(c.in, f, 100, 100, 200, 100), c.out);
}

TEST(FrameGeometry, ButtonsCloseUpWhenSomeAreAbsent) {
  formtest::TinySkin skin;
  const TsfFrameGeometry g = CalcFrameGeometry(skin.data->FormInfo, 100, 100, 300, 200);
  auto layout = [&](bool withMax) {
    std::vector<TsfButtonSlot> b;
    for (int command : {0, 1, 2, 5, 3}) {
      TsfButtonSlot s;
      s.Command = command;
      s.Visible = command != 1 || withMax;
      s.Width = s.Height = 16;
      b.push_back(s);
    }
    TRect caption(20, 0, 280, 30);
    ArrangeButtons(b, g, &caption);
    EXPECT_EQ(caption.Left, 26);
    return b;
  };
  std::vector<TsfButtonSlot> all = layout(true);
  EXPECT_EQ(all[0].Rect, TRect(272, 7, 288, 23));
  EXPECT_EQ(all[1].Rect, TRect(254, 7, 270, 23));
  EXPECT_EQ(all[2].Rect, TRect(236, 7, 252, 23));
  EXPECT_EQ(all[3].Rect, TRect(218, 7, 234, 23));
  EXPECT_EQ(all[4].Rect, TRect(10, 7, 26, 23)) << "system menu: caption left, centred";
  std::vector<TsfButtonSlot> noMax = layout(false);
  EXPECT_EQ(noMax[0].Rect, TRect(272, 7, 288, 23));
  EXPECT_EQ(noMax[2].Rect, TRect(254, 7, 270, 23));
  EXPECT_EQ(noMax[3].Rect, TRect(236, 7, 252, 23));

  // Without a buttons rect they go into the caption rect, which narrows.
  TsfFrameGeometry inCaption = g;
  inCaption.ButtonsRect = TRect();
  std::vector<TsfButtonSlot> one(1);
  one[0].Command = 0;
  one[0].Width = one[0].Height = 16;
  TRect caption(20, 0, 280, 30);
  ArrangeButtons(one, inCaption, &caption);
  EXPECT_EQ(one[0].Rect, TRect(274, 0, 290, 16));
  EXPECT_EQ(caption.Right, 274);

  // The default frame: squares from the right, system menu at the left.
  std::vector<TsfButtonSlot> d;
  for (int command : {0, 1, 2, 5, 3}) {
    TsfButtonSlot s;
    s.Command = command;
    d.push_back(s);
  }
  d[1].Visible = false;
  const TRect cap = ArrangeDefaultButtons(d, 200, false);
  EXPECT_EQ(d[0].Rect, TRect(180, 4, 197, 21));
  EXPECT_EQ(d[2].Rect, TRect(163, 4, 180, 21));
  EXPECT_EQ(d[3].Rect, TRect(146, 4, 163, 21));
  EXPECT_EQ(d[4].Rect, TRect(3, 4, 20, 21));
  EXPECT_EQ(cap, TRect(20, 3, 146, 19));
  // With the window's icon the system-menu button is the icon's square.
  const TRect withIcon = ArrangeDefaultButtons(d, 200, false, 16);
  EXPECT_EQ(d[4].Rect, TRect(3, 4, 19, 20));
  EXPECT_EQ(d[0].Rect, TRect(180, 4, 197, 21));
  EXPECT_EQ(withIcon, TRect(19, 3, 146, 19));
}

TEST(FrameGeometry, HitTestTable) {
  formtest::TinySkin skin;
  const TsfFormInfo& f = skin.data->FormInfo;
  TsfHitState s;
  s.W = 300;
  s.H = 200;
  s.Skin = true;
  s.G = CalcFrameGeometry(f, 100, 100, 300, 200);
  s.BorderWidth = 3;
  s.Caption = TRect(26, 0, 280, 30);
  struct Case {
    const char* what;
    int x, y, code;
  } plain[] = {
      {"corner", 0, 0, HTTOPLEFT},
      {"corner of the hit-test rect, not the edge", 6, 2, HTTOPLEFT},
      {"top edge", 150, 1, HTTOP},
      {"left edge", 2, 100, HTLEFT},
      {"right edge", 297, 100, HTRIGHT},
      {"bottom edge", 150, 198, HTBOTTOM},
      {"bottom-right", 299, 199, HTBOTTOMRIGHT},
      {"bottom-left", 1, 197, HTBOTTOMLEFT},
      {"top-right", 298, 3, HTTOPRIGHT},
      {"caption", 150, 15, HTCAPTION},
      {"client", 150, 100, HTCLIENT},
      {"frame away from the edge", 8, 100, HTOBJECT},
      {"inside the mask's white corner, but the window is a rectangle", 8, 4, HTOBJECT},
  };
  for (const Case& c : plain) EXPECT_EQ(SkinHitTest(s, c.x, c.y), c.code) << c.what;

  // With the mask the white corner is outside the shape: near the edge.
  TsfMaskBorders parts;
  ComposeMaskBorders(parts,
                     TsfFramePoints{f.lefttoppoint, f.righttoppoint, f.leftbottompoint,
                                    f.rightbottompoint, f.maskrectarea},
                     TsfFramePoints{s.G.LT, s.G.RT, s.G.LB, s.G.RB, s.G.MaskArea}, 300,
                     skin.data->MainMask);
  TsfHitState masked = s;
  masked.Mask = &parts;
  EXPECT_EQ(SkinHitTest(masked, 8, 4), HTTOP);
  EXPECT_EQ(SkinHitTest(masked, 150, 15), HTCAPTION);
  EXPECT_EQ(SkinHitTest(masked, 150, 1), HTTOP);

  TsfHitState hot = s;
  hot.ObjectActive = true;
  EXPECT_EQ(SkinHitTest(hot, 297, 1), HTOBJECT) << "a hot button never gives a resize code";
  hot.InSizeMove = true;
  EXPECT_EQ(SkinHitTest(hot, 297, 1), HTTOPRIGHT);

  for (bool rolled : {true, false}) {
    TsfHitState r = s;
    r.RolledUp = rolled;
    r.Minimized = !rolled;
    EXPECT_EQ(SkinHitTest(r, 150, 15), HTCAPTION);
    EXPECT_EQ(SkinHitTest(r, 0, 0), HTOBJECT);
    EXPECT_EQ(SkinHitTest(r, 150, 100), HTOBJECT) << "no client area";
  }
  TsfHitState max = s;
  max.Maximized = true;
  EXPECT_EQ(SkinHitTest(max, 0, 0), HTOBJECT);
  EXPECT_EQ(SkinHitTest(max, 150, 100), HTCLIENT);
  TsfHitState fixed = s;
  fixed.CanResize = false;
  EXPECT_EQ(SkinHitTest(fixed, 150, 1), HTCAPTION) << "not resizable: the caption reaches the edge";
}

TEST(FrameGeometry, DefaultHitTestTable) {
  TsfHitState s;
  s.W = 200;
  s.H = 100;
  s.Caption = TRect(20, 3, 146, 19);
  struct Case {
    int x, y, code;
  } cases[] = {{0, 0, HTTOPLEFT},    {199, 0, HTTOPRIGHT}, {0, 99, HTBOTTOMLEFT},
               {199, 99, HTBOTTOMRIGHT}, {1, 50, HTLEFT},  {100, 2, HTTOP},
               {198, 50, HTRIGHT},   {100, 98, HTBOTTOM},  {100, 10, HTCAPTION},
               {100, 50, HTCLIENT},  {10, 10, HTOBJECT}};
  for (const Case& c : cases) EXPECT_EQ(DefaultHitTest(s, c.x, c.y), c.code) << c.x << "," << c.y;
  s.Maximized = true;
  EXPECT_EQ(DefaultHitTest(s, 0, 0), HTOBJECT);
  EXPECT_EQ(DefaultHitTest(s, 100, 10), HTCAPTION);
}

TEST(FrameGeometry, SizingKeepsTheOppositeEdgeAndTheLimits) {
  const TRect start(100, 100, 400, 300);
  struct Case {
    int code, dx, dy;
    TRect out;
  } cases[] = {
      {HTLEFT, 250, 0, TRect(200, 100, 400, 300)},          // stops at the minimum width
      {HTLEFT, -20, 0, TRect(80, 100, 400, 300)},
      {HTTOP, 0, -50, TRect(100, 50, 400, 300)},
      {HTBOTTOMRIGHT, -500, -500, TRect(100, 100, 300, 200)},
      {HTRIGHT, 1000, 0, TRect(100, 100, 600, 300)},        // stops at the maximum width
      {HTTOPLEFT, 10, 500, TRect(110, 200, 400, 300)},
      {HTBOTTOM, 40, 30, TRect(100, 100, 400, 330)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SizeDragRect(c.code, start, c.dx, c.dy, 200, 100, 500, 0), c.out) << c.code;
}

TEST(FrameGeometry, MaximisedBounds) {
  EXPECT_EQ(MaximizedBounds(TRect(0, 0, 1280, 800), TRect(0, 0, 1280, 800), false),
            TRect(1, 1, 1279, 799));
  EXPECT_EQ(MaximizedBounds(TRect(0, 0, 1280, 770), TRect(0, 0, 1280, 800), false),
            TRect(0, 0, 1280, 770));
  EXPECT_EQ(MaximizedBounds(TRect(0, 0, 1280, 770), TRect(0, 0, 1280, 800), true),
            TRect(0, 0, 1280, 800));
}

TEST(FrameGeometry, MonitorCentreTruncatesTheHalves) {
  const struct {
    TRect area;
    int w, h;
    QPoint expected;
  } cases[] = {
      {TRect(0, 0, 1024, 768), 300, 200, QPoint(362, 284)},
      {TRect(0, 0, 1023, 767), 301, 201, QPoint(361, 283)},        // odd sizes: both halves down
      {TRect(1920, 0, 3200, 1024), 816, 498, QPoint(2152, 263)},  // a second monitor
      {TRect(-1280, 24, 0, 1024), 100, 100, QPoint(-690, 474)},   // left of the first one
      {TRect(0, 0, 800, 600), 1000, 700, QPoint(-100, -50)},      // larger than the monitor
  };
  for (const auto& c : cases) EXPECT_EQ(MonitorCentre(c.area, c.w, c.h), c.expected) << c.w;
}

TEST(FrameGeometry, MagneticEdgesStickUntilTheCursorMovesAway) {
  const TRect A(0, 20, 800, 600);
  const int M = 5, w = 200, h = 100;
  // Each step: cursor x and y, the proposed left and top, the result.
  struct Step {
    int cx, cy, left, top, wantLeft, wantTop;
  } steps[] = {
      {500, 300, 50, 200, 50, 200},   // far from every edge
      {454, 300, 4, 200, 0, 200},     // within M of the left edge: snaps
      {452, 300, 2, 200, 0, 200},     // still near: stays
      {458, 300, 8, 200, 0, 200},     // not near, cursor 4 from the snap: stays once more
      {480, 300, 30, 200, 30, 200},   // free again
      {480, 300, 597, 200, 600, 200}, // right edge: left + w near 800
      {483, 300, 603, 200, 600, 200}, // past it, but within M of the snap
      {489, 300, 609, 200, 609, 200}, // 9 from the snap and not near: free
      {480, 276, 300, 23, 300, 20},   // the top edge
      {480, 283, 300, 30, 300, 27},   // moved 7 from the snap while snapped: follows
  };
  TsfMagnet magnet;
  for (const Step& s : steps) {
    int left = s.left, top = s.top;
    magnet.Snap(A, M, TPoint(s.cx, s.cy), left, top, w, h);
    EXPECT_EQ(left, s.wantLeft) << s.cx << "," << s.cy;
    EXPECT_EQ(top, s.wantTop) << s.cx << "," << s.cy;
  }
}

}  // namespace

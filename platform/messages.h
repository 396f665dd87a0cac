#pragma once
// Host-style messages. Qt events are translated into these in platform/ only,
// and only for the messages some component handles.

#include <cstdint>

struct TMessage {
  unsigned Msg = 0;
  intptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

constexpr unsigned WM_NULL = 0x0000;
// LParam: the new position (x low word, y high word) in the parent.
constexpr unsigned WM_MOVE = 0x0003;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_ENABLE = 0x000A;
constexpr unsigned WM_SETTEXT = 0x000C;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_ERASEBKGND = 0x0014;
constexpr unsigned WM_SHOWWINDOW = 0x0018;
constexpr unsigned WM_NCPAINT = 0x0085;
constexpr unsigned WM_NCACTIVATE = 0x0086;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_USER = 0x0400;
// Framework-internal notifications, numbered as the host framework numbers them.
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 5;
constexpr unsigned CM_COLORCHANGED = CM_BASE + 6;
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;
constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 22;

// Mouse key state in WParam of mouse messages.
constexpr intptr_t MK_LBUTTON = 0x0001;
constexpr intptr_t MK_RBUTTON = 0x0002;
constexpr intptr_t MK_SHIFT = 0x0004;
constexpr intptr_t MK_CONTROL = 0x0008;
constexpr intptr_t MK_MBUTTON = 0x0010;

// Packing of points into LParam, as the host does (signed 16-bit halves).
constexpr intptr_t MakeLParam(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                               static_cast<uint16_t>(x));
}
constexpr int LParamX(intptr_t l) { return static_cast<int16_t>(l & 0xFFFF); }
constexpr int LParamY(intptr_t l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

constexpr unsigned WM_NCHITTEST = 0x0084;
constexpr unsigned WM_NCMOUSEMOVE = 0x00A0;
constexpr unsigned WM_NCLBUTTONDOWN = 0x00A1;
constexpr unsigned WM_NCLBUTTONUP = 0x00A2;
constexpr unsigned WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr unsigned WM_NCRBUTTONDOWN = 0x00A4;
constexpr unsigned WM_NCRBUTTONUP = 0x00A5;

// Hit-test codes answered to WM_NCHITTEST.
constexpr int HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTSYSMENU = 3, HTMINBUTTON = 8,
              HTMAXBUTTON = 9, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13,
              HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17,
              HTBORDER = 18, HTCLOSE = 20;

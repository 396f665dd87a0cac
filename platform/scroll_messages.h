#pragma once
// Scroll messages and scroll information in the host's terms. The host packs
// a thumb position into 16 bits of WParam; ours keeps the whole int above the
// scroll code, so a long text scrolls past 65,535 pixels correctly.

#include <cstdint>

constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned WM_VSCROLL = 0x0115;

// Bars of a control.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;

// Scroll codes (low 16 bits of WParam).
constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3,
              SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7,
              SB_ENDSCROLL = 8;
constexpr int SB_LINELEFT = SB_LINEUP, SB_LINERIGHT = SB_LINEDOWN;

constexpr intptr_t MakeScrollWParam(int code, int position = 0) {
  return static_cast<intptr_t>(static_cast<uint16_t>(code)) |
         static_cast<intptr_t>(static_cast<uint64_t>(static_cast<int64_t>(position)) << 16);
}
constexpr int ScrollCodeOf(intptr_t wparam) { return static_cast<int>(wparam & 0xFFFF); }
constexpr int ScrollPositionOf(intptr_t wparam) { return static_cast<int>(static_cast<int64_t>(wparam) >> 16); }

// A bar's state as the host reports it: the range includes the page, so the
// position reaches Max - Page + 1.
struct TScrollInfo {
  int Min = 0;
  int Max = 0;
  int Page = 0;
  int Pos = 0;
  friend bool operator==(const TScrollInfo&, const TScrollInfo&) = default;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

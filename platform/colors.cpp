#include "platform/colors.h"

namespace {
// One fixed table of system colours (a classic light desktop scheme), so
// drawing does not depend on the desktop theme of the machine.
constexpr TColor kSystemColors[31] = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // background
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // app workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // gray text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3D dark shadow
    RGB(212, 208, 200),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
    RGB(181, 181, 181),  // (unused index 25)
    RGB(0, 0, 128),      // hot light
    RGB(166, 202, 240),  // gradient active caption
    RGB(192, 192, 192),  // gradient inactive caption
    RGB(49, 106, 197),   // menu highlight
    RGB(236, 233, 216),  // menu bar
};
}  // namespace

TColor ColorToRGB(TColor c) {
  const uint32_t u = static_cast<uint32_t>(c);
  if ((u & 0xFF000000u) == 0xFF000000u) {
    const unsigned index = u & 0xFFu;
    return index < std::size(kSystemColors) ? kSystemColors[index] : clBlack;
  }
  return static_cast<TColor>(u & 0x00FFFFFFu);
}

QColor ToQColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

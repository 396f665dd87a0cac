#pragma once
// Display changes for a window: a screen's size or work area changed, a
// screen came or went, the primary screen changed, or the window moved to
// another screen. A form turns each into WM_DISPLAYCHANGE.

#include <QSize>
#include <functional>

class QWidget;

// Sent to a form when the displays changed. WParam: the colour depth; LParam:
// the size of the form's screen (width in the low word, height in the high).
constexpr unsigned WM_DISPLAYCHANGE = 0x007E;

// Calls `changed` with the size of the window's screen after every display
// change, for as long as `window` lives. A move to another screen is reported
// from the event loop, so that `changed` may destroy the window.
void WatchDisplays(QWidget* window, std::function<void(QSize screen)> changed);

#pragma once
// Drawing what lies behind a control (to make it look transparent) and
// finding the work area of the monitor that holds a window.

#include <QWidget>
#include <optional>

#include "platform/canvas.h"
#include "platform/control.h"
#include "platform/types.h"

// Paints into `canvas` (in the control's coordinates) the parent's
// background and the windowless siblings that come before the control and
// overlap it. Nothing when the control has no parent. While it runs, the
// widget being copied answers true to IsPaintingCopy.
void DrawParentBackground(TControl* control, TCanvas* canvas);
bool IsPaintingCopy(const QWidget* widget);

// The work area (workArea set) or the whole area of the monitor nearest to
// the window; without a window, the primary monitor's.
void GetWorkArea(const QWidget* window, bool workArea, TRect& rect);
// For tests: every window's monitor has this work area and whole area
// (nullopt: the real screens again).
struct TScreenAreas {
  TRect Work, Monitor;
};
void OverrideScreenAreas(std::optional<TScreenAreas> areas);

#pragma once
// Dialog keys of skinned windows: Enter clicks the window's default button
// when no button has the focus, Esc its cancel button, and a caption's
// accelerator ("&x") focuses and clicks its control. Qt has no such routing,
// so one application-wide filter turns these key presses into the messages
// below and sends them to the controls of the window that has the focus.

#include <QString>

class QWidget;

#include "platform/keys.h"
#include "platform/messages.h"

class TWinControl;

// WParam: the virtual key (Enter or Esc). Result 1: handled.
constexpr unsigned CM_DIALOGKEY = CM_BASE + 60;
// WParam: the character typed (with Alt, or on a control that takes no text).
// Result 1: handled.
constexpr unsigned CM_DIALOGCHAR = CM_BASE + 61;

// Installs the filter once per application.
void InstallDialogKeys();
// Installs the filter and marks `control` as one that takes no text (a
// button, a check box): a plain character typed while it has the focus
// goes to its window's accelerators as if typed with Alt.
void InstallDialogKeysForTextless(QWidget* control);

// Whether `ch` is the accelerator of `caption` ("&x"; "&&" is a literal "&"),
// compared without regard to case.
bool IsAccel(QChar ch, const QString& caption);

// The dialog's arrow-key navigation for controls that take no arrows
// themselves (buttons, check boxes, radio buttons): Left and Up move the
// focus to the previous control of the same parent that can take it, Right
// and Down to the next, in creation order and wrapping round. `key` is
// cleared when it was such an arrow without modifiers. Returns the control
// that took the focus, or null.
TWinControl* NavigateByArrow(TWinControl* from, WORD& key, TShiftState shift);

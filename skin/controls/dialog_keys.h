#pragma once
// Dialog keys of skinned windows: Enter clicks the window's default button
// when no button has the focus, Esc its cancel button, and a caption's
// accelerator ("&x") focuses and clicks its control. Qt has no such routing,
// so one application-wide filter turns these key presses into the messages
// below and sends them to the controls of the window that has the focus.

#include <QString>

#include "platform/messages.h"

// WParam: the virtual key (Enter or Esc). Result 1: handled.
constexpr unsigned CM_DIALOGKEY = CM_BASE + 60;
// WParam: the character typed (with Alt, or on a control that takes no text).
// Result 1: handled.
constexpr unsigned CM_DIALOGCHAR = CM_BASE + 61;

// Installs the filter once per application.
void InstallDialogKeys();

// Whether `ch` is the accelerator of `caption` ("&x"; "&&" is a literal "&"),
// compared without regard to case.
bool IsAccel(QChar ch, const QString& caption);

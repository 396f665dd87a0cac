#pragma once
// The host's TabOrder of a windowed control: its place among the windowed
// controls of its parent in the order the Tab key visits them (0 first).
// Setting it moves the control to that place (clamped to the last place)
// and keeps the others in their order; a negative place is the last.

class QWidget;

int TabOrderOf(const QWidget* control);
void SetTabOrderOf(QWidget* control, int order);

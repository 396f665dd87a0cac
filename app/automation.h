#pragma once
// Switches for driving the installed program from scripts, read from the
// environment at start:
//   TOLMSYS_SELFTEST=paint   start, paint the main window once, and stop (the
//                            start-up benchmark measures exactly this)
//   TOLMSYS_CONTROL_MAP=1    each time a window is shown, print the screen
//                            rectangle of every visible control in it, so a
//                            script can click on them with real input

class QObject;

// Installs what the environment asks for; returns whether the program stops
// after its first paint.
bool InstallAutomation(QObject* parent);

#pragma once
// Start-up and shut-down of the program, in the designed order.

class QObject;

// Titles the application, creates dm, the main window and the hidden practice
// window, runs the event loop until the main window closes, then destroys
// the windows and the data module. Returns the exit code.
int RunProgram();

// The start-up steps without the event loop (used by RunProgram and tests).
void StartProgram();
void StopProgram();

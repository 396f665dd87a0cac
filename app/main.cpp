// tolmsys: practice past exam papers. Takes no arguments and reads no
// configuration: the bank and the skin lie beside the executable.

#include "app/startup.h"
#include "platform/application.h"

int main(int argc, char** argv) {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  // Windows are placed by the program itself, which Wayland forbids.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
  int qtArgc = 1;
  TQtApplication qt(qtArgc, argv);
  Q_UNUSED(argc);
  return RunProgram();
}

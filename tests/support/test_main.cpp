// Test entry: widget tests run offscreen under the program's own QApplication,
// so exceptions escaping event handlers are handled as in the program.
#include <gtest/gtest.h>

#include "platform/application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  ::testing::InitGoogleTest(&argc, argv);
  TQtApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

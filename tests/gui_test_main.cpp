// Runs the GUI tests inside one QApplication on the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>

#include "gui/app/application.h"

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  nuvelo::configureApplication(app);
  nuvelo::applyProgramFont(app);  // the design's pixels, whatever the machine's desktop font
  return RUN_ALL_TESTS();
}

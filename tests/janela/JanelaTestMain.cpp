// Test main for the main window's suites: the program's own application object, on the
// offscreen platform unless a platform is named.
#include <gtest/gtest.h>

#include "shell/AplicacaoKovrinta.h"

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  AplicacaoKovrinta app(argc, argv);
  // A window a test closes must not end the event loops of the tests after it.
  QApplication::setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Test main for the widgets: a QApplication on the offscreen platform with a fixed font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>

int main(int argc, char **argv) {
  // Widget tests never open windows on a developer's display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Captions are measured and placed by pixels, so every machine draws them in one font.
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

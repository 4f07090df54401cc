// Entry point of the window test programs: the windows need an application object, and the
// tests run without a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

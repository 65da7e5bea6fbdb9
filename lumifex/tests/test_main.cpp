// Widgets need a QApplication, and test discovery runs this binary without CTest's environment
// (and during the build), so the offscreen platform is chosen here when nothing else is, and
// Qt's runtime folder is prepared without its warning.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/desktop_api/runtime_folder.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  desktop_api::PrepareRuntimeFolder();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}

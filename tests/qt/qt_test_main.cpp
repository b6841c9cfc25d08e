// The Qt suite runs in one QApplication on the offscreen platform, with the
// Qt front end installed for the whole run.
#include "tests/qt/qt_test_support.h"

#include "platform/front_end.h"
#include "res/program_resources.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {
QtFrontEnd* installed = nullptr;
}

QtFrontEnd& qtFrontEnd() { return *installed; }

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QtFrontEnd frontEnd(programInstance());
  installed = &frontEnd;
  setFrontEnd(&frontEnd);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  setFrontEnd(nullptr);
  return result;
}

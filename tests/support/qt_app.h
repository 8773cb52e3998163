// The one QApplication of a Qt test program, made on first use: widgets need it before they are made.
// Off screen unless the environment names a platform; the offscreen platform's size-hint chatter is
// dropped, as the programs drop it.
#pragma once

#include <QApplication>

#include <cstdlib>

#include "qt/window_setup.h"

namespace testsupport {

inline QApplication& qtApplication() {
  static int argc = 1;
  static char name[] = "ondrix-test";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  host::qt::quietOffscreenPlatform();
  static QApplication* app = qApp ? qApp : new QApplication(argc, argv);
  return *app;
}

}  // namespace testsupport

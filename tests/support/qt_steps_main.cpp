// ondrix-print-dialog --steps without the dialog's window: the step engine on Qt widgets inside a bare
// window, so tests can hold its lines against ondrix-pde-host's.
#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>

#include "qt/qt_steps.h"
#include "qt/window_setup.h"

int main(int argc, char** argv) {
  host::qt::quietOffscreenPlatform();
  QApplication app(argc, argv);
  QWidget window;
  new QVBoxLayout(&window);
  return host::qt::runSteps(argc, argv, window, "ondrix-qt-steps");
}

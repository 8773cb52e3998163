// What the tests of the windows that show the panel (the print dialog, the job agent's window) do alike:
// keep what a window tells its user, and reach the panel's controls by name.
#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <string>
#include <vector>

#include "plugin/panel.h"

namespace testsupport {

// Shows the window, its messages to the user kept in informed as "title\ntext".
template <class Window>
void showKeepingMessages(Window& window, std::vector<std::string>& informed) {
  window.inform = [&informed](const QString& title, const QString& text) {
    informed.push_back((title + "\n" + text).toStdString());
  };
  window.show();
}

// The window's panel's control by name, for the step driver's hands.
template <class Window>
ui::Control& panelControl(Window& window, const char* name) {
  ui::Control* c = static_cast<OndrixPrintPdeTarvel*>(window.panel())->nib()->controlNamed(name);
  EXPECT_TRUE(c) << name;
  return *c;
}

}  // namespace testsupport

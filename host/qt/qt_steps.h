// The step engine on Qt widgets: ondrix-pde-host's scripts run on the Qt toolkit as a user would run
// them. click is a mouse click on the widget, type key presses through the field's validator, paste a
// Ctrl+V of the clipboard, clear a select-all and Delete, select a click on the tab or a choice in the
// pop-up. The lines printed and the exit status are those of ondrix-pde-host.
//
// ondrix-print-dialog's main calls, for "ondrix-print-dialog [host options] --steps STEP...":
//   QApplication app(argc, argv);
//   QWidget window;                       // or the dialog's own window
//   return host::qt::runSteps(argc, argv, window);
#pragma once

#include <string_view>

#include "engine/engine.h"
#include "toolkits/qt/qt_toolkit.h"

class QWidget;

namespace host::qt {

// The hands of the step engine on Qt widgets (engine.h has the contract of each operation).
class QtActions : public UserActions {
 public:
  // parent: the window the panel's view is placed into (in its layout, if it has one) and shown, the first
  // time a user operation needs it on screen. It must outlive the actions.
  explicit QtActions(QWidget& parent) : UserActions(toolkits::qt::specifics()), parent_(parent) {}
  bool click(ui::Control& control) override;
  bool select(ui::Control& control, long index) override;
  std::size_t type(ui::TextField& field, const platform::Text& text) override;
  bool paste(ui::TextField& field, const platform::Text& text) override;
  bool clear(ui::TextField& field) override;
  std::vector<ui::Control*> controlsOf(ui::Nib& nib) override;
  // The facts of parent's window, with the panel's view placed in it first.
  std::optional<WindowFacts> window(ui::Nib* nib) override;

 private:
  // The control's wrapper when a user could reach it now, its layout placed and shown first.
  QWidget& parent_;
};

// Runs the command line (ondrix-pde-host's options, then "--steps" and the steps) on the Qt toolkit with
// the panel's view inside parent. Returns the exit status of ondrix-pde-host for the same steps; job, when
// given, completes a job already in the print system (engine.h).
// REQUIRES: a QApplication exists; called on its thread.
int runSteps(int argc, char** argv, QWidget& parent, std::string_view program = "ondrix-print-dialog",
             const JobActions* job = nullptr);

}  // namespace host::qt

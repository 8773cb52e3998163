// The step engine of the scriptable dialogs: it parses a command line of ondrix-pde-host's options and
// steps, loads the panel's bundle, makes the panel for the named printer, runs the steps and prints one
// line per answer (shouldPrint=, summary:, alert:, panelName=, panelKind=, the dump JSON). The same engine
// serves ondrix-pde-host on headless controls and ondrix-print-dialog --steps on Qt widgets; a front end
// gives it the toolkit, the run loop and the hands that operate the controls.
//
// Usage from a front end:
//   MyActions actions;                  // implements host::UserActions for the front end's controls
//   host::Frontend frontend{toolkit, runLoop, actions, "ondrix-print-dialog"};
//   return host::runCommandLine(argc, argv, frontend);
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/printcore.h"
#include "platform/text.h"
#include "toolkits/model/control_model.h"
#include "ui/toolkit.h"

namespace platform {
class RunLoop;
}

namespace host {

// Exit statuses of a run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;       // the last print step was refused (shouldPrint=NO)
inline constexpr int kExitUsage = 2;         // bad options or steps, unreadable PPD, settings or bundle
inline constexpr int kExitSubmitFailed = 3;  // CUPS did not take the job of --print

// What the window around the panel shows of its own, and whether the panel's tab titles show whole.
struct WindowFacts {
  struct PanelTab {
    std::string title;
    bool whole = false;  // the whole title is in view at the window's current size
  };
  std::string title;
  std::vector<std::string> tabs;     // the window's own tab titles
  std::vector<std::string> buttons;  // its buttons in view, mnemonic marks removed
  std::vector<std::string> labels;   // its labels and group titles in view
  std::vector<PanelTab> panelTabs;
};

// The user's hands on one toolkit's controls, and the eyes that read them for the dump. Every user
// operation refuses (returns false or 0) a control of another toolkit, a disabled one and a hidden one.
// Setting and describing are the same on every toolkit (control_model.h); a front end gives only its
// toolkit's specifics for them.
class UserActions {
 public:
  // toolkit: borrowed for the life of the actions.
  explicit UserActions(const toolkits::ToolkitSpecifics& toolkit) : toolkit_(toolkit) {}
  virtual ~UserActions() = default;
  // Check box, hold button: flip and send the action; radio cell: select its row and send the matrix's
  // action; push button: send its action.
  virtual bool click(ui::Control& control) = 0;
  // Pop-up item, matrix row or tab item by index; then the control's action. Separators and indexes
  // outside the control are refused.
  virtual bool select(ui::Control& control, long index) = 0;
  // Keys typed one character at a time at the end of the field, each judged by the field's formatter.
  // Returns the number of keys the field took.
  virtual std::size_t type(ui::TextField& field, const platform::Text& text) = 0;
  // The whole text inserted at the end of the field at once, judged once by the formatter.
  virtual bool paste(ui::TextField& field, const platform::Text& text) = 0;
  // Select all and delete, judged once by the formatter.
  virtual bool clear(ui::TextField& field) = 0;
  // The named controls of a loaded layout in document order, the root excluded.
  virtual std::vector<ui::Control*> controlsOf(ui::Nib& nib) = 0;
  // The window the panel's view (that of nib, none before the view) is shown in; none without a window.
  virtual std::optional<WindowFacts> window(ui::Nib* /*nib*/) { return std::nullopt; }

  // Sets a value as the program would, without formatter or action (toolkits::set()).
  bool set(ui::Control& control, std::string_view value) { return toolkits::set(control, value, toolkit_); }
  // What the dump shows of one control: the same facts from every toolkit (toolkits::describe()).
  toolkits::Description describe(ui::Control& control) { return toolkits::describe(control, toolkit_); }

 private:
  const toolkits::ToolkitSpecifics& toolkit_;
};

// For a front end whose panel completes a job that is already in the print system (the job agent): what an
// approved print step does instead of submitting --print, and what the cancel step does. Each returns false
// when the print system refused, which ends the run with kExitSubmitFailed.
struct JobActions {
  std::function<bool(const platform::PrintSettings& settings)> release;
  std::function<bool()> cancel;
};

// What a front end hands the engine; everything is borrowed for the run.
struct Frontend {
  ui::Toolkit& toolkit;
  platform::RunLoop& runLoop;
  UserActions& actions;
  std::string_view program;  // the name that opens error messages
  const JobActions* job = nullptr;  // none: the cancel step is refused as bad usage
};

// Runs one dialog from a command line of ondrix-pde-host's options and steps (an optional "--steps" word
// before the steps is allowed). Alerts are printed as "alert: TITLE | MESSAGE | BUTTON" lines and do not
// wait. Returns one of the exit statuses above.
// REQUIRES: called once per process (the plug-in's host services are process-wide), on the thread that
// owns the front end's controls.
int runCommandLine(int argc, char** argv, Frontend& frontend);

}  // namespace host

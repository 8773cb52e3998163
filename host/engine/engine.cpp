// The command line of the scriptable dialogs and the run of its steps (the contract is in engine.h).
#include "engine/engine.h"

#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "engine/bundle_location.h"
#include "engine/dialog_host.h"
#include "engine/dump.h"
#include "engine/plugin_loader.h"
#include "engine/settings_file.h"
#include "engine/steps.h"
#include "platform/alert.h"
#include "platform/host_services.h"
#include "platform/printcore_cups.h"

namespace host {
namespace {

// Line breaks inside a text would break the one-line-per-answer output.
std::string oneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

// Alerts are shown as a line and dismissed at once, so a script never waits for a user.
class PrintingAlerts : public platform::AlertPresenter {
 public:
  void present(const platform::Text& title, const platform::Text& message, const platform::Text& button) override {
    std::cout << "alert: " << oneLine(title.utf8()) << " | " << oneLine(message.utf8()) << " | "
              << oneLine(button.utf8()) << std::endl;
  }
};

struct Options {
  std::string bundle;  // none: found beside the program
  std::string ppd;
  std::string queue = "Demo";
  std::optional<std::string> deviceURI;
  bool noConstraintHandling = false;
  std::string settingsFile;
  bool noPrintSettings = false;
  std::optional<std::string> jobName;
  std::string type{kPrintDialogType};
  std::string cupsQueue;
  std::string printFile;
  bool stepsMarker = false;
  std::vector<std::string> steps;
};

class Session {
 public:
  Session(OndrixPrintPdeTarvel& panel, DialogHost& dialog, const Options& options, Frontend& frontend)
      : panel_(panel), dialog_(dialog), options_(options), frontend_(frontend) {}

  // Runs the steps; returns the exit status.
  int run(const std::vector<Step>& steps) {
    int status = kExitOk;
    for (const Step& step : steps) {
      const int result = runStep(step);
      if (step.verb == "print") status = result;
      if (result == kExitUsage || result == kExitSubmitFailed) return result;
    }
    return status;
  }

 private:
  int usage(const std::string& message) const {
    std::cerr << frontend_.program << ": " << message << std::endl;
    return kExitUsage;
  }

  // The control of the loaded layout; none with a usage message when no layout is loaded yet or it lacks
  // the control, so a script never passes over a step that did nothing.
  ui::Control* control(const Step& step, int& status) {
    if (!panel_.nib()) {
      status = usage("step \"" + step.verb + "\" comes before the controls exist: put view (or restore) first");
      return nullptr;
    }
    ui::Control* c = panel_.nib()->controlNamed(step.args[0]);
    if (!c) status = usage("this printer's layout has no control " + step.args[0] + " (the controls step lists them)");
    return c;
  }

  int runStep(const Step& step) {
    const std::string& verb = step.verb;
    if (verb == "view") panel_.panelView();
    else if (verb == "show") panel_.willShow();
    else if (verb == "restore") panel_.restoreValuesAndReturnError(nullptr);
    else if (verb == "save") panel_.saveValuesAndReturnError(nullptr);
    else if (verb == "print") return print();
    else if (verb == "summary") summary();
    else if (verb == "name") std::cout << "panelName=" << oneLine(panel_.panelName().utf8()) << std::endl;
    else if (verb == "kind") std::cout << "panelKind=" << oneLine(panel_.panelKind().utf8()) << std::endl;
    else if (verb == "dump") std::cout << dumpText(panel_, frontend_.actions) << std::endl;
    else if (verb == "controls") return controls();
    else if (verb == "window") return window();
    else return userAction(step);
    return kExitOk;
  }

  int controls() {
    if (!panel_.nib()) return usage("step \"controls\" comes before the controls exist: put view (or restore) first");
    // The ones a step can name; the layout's other widgets (tab pages, layouts) are no outlets.
    for (ui::Control* c : frontend_.actions.controlsOf(*panel_.nib()))
      if (isKnownControlName(std::string(c->identifier())))
        std::cout << "control: " << c->identifier() << ' ' << frontend_.actions.describe(*c).kind << std::endl;
    return kExitOk;
  }

  // The command-line host has no window: a script that asks for one is a script for the other dialog.
  int window() {
    const std::optional<WindowFacts> facts = frontend_.actions.window(panel_.nib());
    if (!facts) return usage("step \"window\": this dialog has no window (ondrix-print-dialog --steps has one)");
    std::cout << windowText(*facts) << std::endl;
    return kExitOk;
  }

  // Rows of a matrix, items of a pop-up, tabs of a tab view; none for a control that has no choices.
  static std::optional<long> choices(ui::Control& c) {
    if (ui::Matrix* m = c.asMatrix()) return m->numberOfRows();
    if (ui::PopUpButton* p = c.asPopUpButton()) return p->menu().numberOfItems();
    if (ui::TabView* t = c.asTabView()) return t->numberOfTabViewItems();
    return std::nullopt;
  }

  int userAction(const Step& step) {
    int status = kExitOk;
    ui::Control* c = control(step, status);
    if (!c) return status;
    UserActions& hands = frontend_.actions;
    const std::string& verb = step.verb;
    if (verb == "click") {
      hands.click(*c);
    } else if (verb == "select") {
      char* end = nullptr;
      const long index = std::strtol(step.args[1].c_str(), &end, 10);
      if (step.args[1].empty() || *end) return usage("select needs a number, not \"" + step.args[1] + "\"");
      const std::optional<long> count = choices(*c);
      if (!count) return usage(step.args[0] + " has nothing to select");
      if (index < 0 || index >= *count)
        return usage("select " + step.args[0] + " " + step.args[1] + ": it has " + std::to_string(*count) +
                     " choices, numbered from 0");
      hands.select(*c, index);
    } else if (verb == "set") {
      if (!hands.set(*c, step.args[1])) return usage("cannot set " + step.args[0] + " to \"" + step.args[1] + "\"");
    } else if (ui::TextField* field = c->asTextField()) {
      if (verb == "type") hands.type(*field, platform::Text::fromUtf8(step.args[1]));
      else if (verb == "paste") hands.paste(*field, platform::Text::fromUtf8(step.args[1]));
      else if (verb == "clear") hands.clear(*field);
    } else {
      return usage(step.args[0] + " is not a text field");
    }
    return kExitOk;
  }

  int print() {
    const bool approved = panel_.shouldPrint();
    std::cout << "shouldPrint=" << (approved ? "YES" : "NO") << std::endl;
    if (!approved) return kExitRefused;
    if (options_.printFile.empty()) return kExitOk;
    const platform::Text& name = dialog_.settings().jobName();
    const std::string title = name.isNone() ? options_.printFile : name.utf8();
    // Without --cups the job goes to the CUPS queue of the dialog's own name.
    const std::string& queue = options_.cupsQueue.empty() ? options_.queue : options_.cupsQueue;
    const auto result = platform::cups::printFile(queue, options_.printFile, title, dialog_.settings());
    if (result.jobId == 0) {
      std::cout << "error: CUPS did not take the job: " << oneLine(result.error) << std::endl;
      return kExitSubmitFailed;
    }
    std::cout << "job=" << queue << "-" << result.jobId << std::endl;
    return kExitOk;
  }

  void summary() {
    const SummaryInfo info = panel_.summaryInfo();
    // A sorted listing, so scripts can compare it.
    std::map<std::string, std::string> sorted;
    for (const auto& [title, value] : info) sorted[title.utf8()] = value.utf8();
    for (const auto& [title, value] : sorted) std::cout << "summary: " << oneLine(title) << "=" << oneLine(value) << std::endl;
  }

  OndrixPrintPdeTarvel& panel_;
  DialogHost& dialog_;
  const Options& options_;
  Frontend& frontend_;
};

// True when file can be opened for reading and is no folder; otherwise false with the reason.
bool checkReadableFile(const std::string& file, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "cannot read the file to print " + file + ": it is a folder";
    return false;
  }
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read the file to print " + file + ": " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  return true;
}

}  // namespace

int runCommandLine(int argc, char** argv, Frontend& frontend) {
  std::setlocale(LC_ALL, "");
  const auto usage = [&](const std::string& message) {
    std::cerr << frontend.program << ": " << message << std::endl;
    return kExitUsage;
  };

  Options o;
  CLI::App app{"A scriptable print dialog that drives the Job Handling panel.", std::string(frontend.program)};
  app.add_option("--bundle", o.bundle,
                 std::string("the plug-in bundle folder (default: $") + kBundleVariable + ", else the installed one)");
  app.add_option("--ppd", o.ppd, "the printer's PPD (default: the demo document-filing model)");
  app.add_option("--queue", o.queue, "the print queue's identifier");
  app.add_option("--device-uri", o.deviceURI, "the printer's device URI");
  app.add_flag("--no-constraint-handling", o.noConstraintHandling, "a dialog without constraint handling");
  app.add_option("--settings", o.settingsFile, "print settings file (key=value lines), read at start, written at exit");
  app.add_flag("--no-print-settings", o.noPrintSettings, "a dialog that gives the panel no print settings");
  app.add_option("--job-name", o.jobName, "the job's own name");
  app.add_option("--type", o.type, "the dialog's type identifier");
  app.add_option("--cups", o.cupsQueue, "take queue, device URI and PPD from this CUPS queue");
  app.add_option("--print", o.printFile,
                 "after an approved print step, submit this file to the CUPS queue (--cups, else --queue)");
  app.add_flag("--steps", o.stepsMarker, "the words that follow are steps");
  app.add_option("steps", o.steps,
                 "view show restore save print summary name kind dump controls window | click NAME | select NAME N | "
                 "type NAME TEXT | paste NAME TEXT | clear NAME | set NAME VALUE");
  app.footer(
      "Without steps: view restore save print.\n"
      "Control names: the controls step lists those of the printer's layout with their kinds (try: view controls);\n"
      "man ondrix-pde-host tells what each step does.\n"
      "Exit status: 0 done; 1 the last print step was refused; 2 bad usage (unknown option, step or control, a step\n"
      "the layout does not fit, a file, queue, PPD or bundle that cannot be used: nothing written); 3 CUPS did not\n"
      "take the job.\n"
      "Environment: ONDRIX_PDE_BUNDLE (the bundle when --bundle is not given), LANGUAGE=de|ja with a UTF-8 LANG.");
  app.set_version_flag("--version", std::string(frontend.program) + " " ONDRIX_VERSION);
  app.positionals_at_end();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }

  std::string error;
  const auto steps = parseSteps(o.steps, error);
  if (!steps) return usage(error);
  if (o.bundle.empty()) o.bundle = defaultBundle().string();
  if (!isBundle(o.bundle)) return usage("no plug-in bundle at " + o.bundle + " (it lacks Contents/Linux/libondrix-pde.so)");
  // What the run needs at its end is checked before it starts: a job that could not be submitted or
  // kept must change nothing, preferences included.
  if (!o.printFile.empty() && !checkReadableFile(o.printFile, error)) return usage(error);
  if (!o.settingsFile.empty() && !checkSettingsFileWritable(o.settingsFile, error)) return usage(error);

  // The printer: from CUPS, or the one named on the command line.
  std::optional<platform::cups::Queue> cupsQueue =
      o.cupsQueue.empty() ? std::nullopt : platform::cups::lookUpQueue(o.cupsQueue, error);
  platform::Printer printer(o.queue, o.deviceURI);
  std::string ppdPath = o.ppd.empty() ? o.bundle + "/Contents/Resources/ppd/demo-filing.ppd" : o.ppd;
  if (!o.cupsQueue.empty()) {
    if (!cupsQueue) return usage(error);
    printer = cupsQueue->printer;
    if (o.deviceURI) printer = platform::Printer(printer.id(), o.deviceURI);
    if (o.ppd.empty()) ppdPath = cupsQueue->ppdFile.string();
  }
  ppd::FilePtr ppdFile = ppd::openFile(ppdPath, &error);
  if (!ppdFile) return usage("cannot read the PPD " + ppdPath + ": " + error);

  DialogHost dialog(printer, std::move(ppdFile), !o.noConstraintHandling, !o.noPrintSettings);
  if (!o.settingsFile.empty() && !readSettingsFile(o.settingsFile, dialog.settings(), error)) return usage(error);
  if (o.jobName) dialog.settings().setJobName(platform::Text::fromUtf8(*o.jobName));

  PrintingAlerts alerts;
  const platform::HostServices services{&frontend.toolkit, &frontend.runLoop, &alerts};
  platform::setHostServices(services);

  LoadedPlugIn plugIn(o.bundle, services, error);
  if (!plugIn.principal()) return usage(error);
  const platform::Bundle bundle(o.bundle);
  plugIn.principal()->initWithBundle(&bundle);

  auto callback = std::shared_ptr<DialogHost>(&dialog, [](DialogHost*) {});
  auto panels = plugIn.principal()->PDEPanelsForType(platform::Text::fromUtf8(o.type), callback);
  if (!panels || panels->empty()) return usage("no panel for the dialog type \"" + o.type + "\"");
  // The plug-in makes only panels of its one class.
  auto& panel = static_cast<OndrixPrintPdeTarvel&>(*panels->front());

  int status = Session(panel, dialog, o, frontend).run(*steps);
  panels.reset();
  // A script that went wrong leaves the job's settings as they were.
  if (status == kExitUsage) return status;
  if (!o.settingsFile.empty() && !writeSettingsFile(o.settingsFile, dialog.settings(), error)) {
    std::cerr << frontend.program << ": " << error << std::endl;
    if (status == kExitOk) status = kExitUsage;
  }
  return status;
}

}  // namespace host

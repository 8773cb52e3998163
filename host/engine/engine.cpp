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
#include <memory>

#include "engine/bundle_location.h"
#include "engine/dialog_host.h"
#include "engine/plugin_loader.h"
#include "engine/settings_file.h"
#include "engine/session.h"
#include "engine/steps.h"
#include "platform/alert.h"
#include "platform/host_services.h"
#include "platform/printcore_cups.h"

namespace host {
namespace {

// Alerts are shown as a line and dismissed at once, so a script never waits for a user.
class PrintingAlerts : public platform::AlertPresenter {
 public:
  void present(const platform::Text& title, const platform::Text& message, const platform::Text& button) override {
    std::cout << "alert: " << oneLine(title.utf8()) << " | " << oneLine(message.utf8()) << " | "
              << oneLine(button.utf8()) << std::endl;
  }
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

// Reads the command line into o. None when the run goes on; otherwise the exit status, after CLI11 has
// printed the help, the version or the usage error.
std::optional<int> parseCommandLine(int argc, char** argv, std::string_view program, Options& o) {
  CLI::App app{"A scriptable print dialog that drives the Job Handling panel.", std::string(program)};
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
  app.add_option("steps", o.steps, stepsSynopsis());
  app.footer(
      "Without steps: " + defaultSteps() + ".\n"
      "Control names: the controls step lists those of the printer's layout with their kinds (try: view controls);\n"
      "man ondrix-pde-host tells what each step does.\n"
      "Exit status: 0 done; 1 the last print step was refused; 2 bad usage (unknown option, step or control, a step\n"
      "the layout does not fit, a file, queue, PPD or bundle that cannot be used: nothing written); 3 CUPS did not\n"
      "take the job.\n"
      "Environment: ONDRIX_PDE_BUNDLE (the bundle when --bundle is not given), LANGUAGE=de|ja with a UTF-8 LANG.");
  app.set_version_flag("--version", std::string(program) + " " ONDRIX_VERSION);
  app.positionals_at_end();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return std::nullopt;
}

// What the run needs at its end is checked before it starts: a job that could not be submitted or kept
// must change nothing, preferences included. Fills in the default bundle. False with the reason.
bool checkBeforeRun(Options& o, std::string& error) {
  if (o.bundle.empty()) o.bundle = defaultBundle().string();
  if (!isBundle(o.bundle)) {
    error = "no plug-in bundle at " + o.bundle + " (it lacks Contents/Linux/libondrix-pde.so)";
    return false;
  }
  if (!o.printFile.empty() && !checkReadableFile(o.printFile, error)) return false;
  return o.settingsFile.empty() || checkSettingsFileWritable(o.settingsFile, error);
}

// The stand-in dialog for the printer: from CUPS, or the one named on the command line, with its PPD and
// the job's settings from --settings and --job-name. None with the reason.
std::unique_ptr<DialogHost> openDialog(const Options& o, std::string& error) {
  std::optional<platform::cups::Queue> cupsQueue =
      o.cupsQueue.empty() ? std::nullopt : platform::cups::lookUpQueue(o.cupsQueue, error);
  platform::Printer printer(o.queue, o.deviceURI);
  std::string ppdPath = o.ppd.empty() ? o.bundle + "/Contents/Resources/ppd/demo-filing.ppd" : o.ppd;
  if (!o.cupsQueue.empty()) {
    if (!cupsQueue) return nullptr;
    printer = cupsQueue->printer;
    if (o.deviceURI) printer = platform::Printer(printer.id(), o.deviceURI);
    if (o.ppd.empty()) ppdPath = cupsQueue->ppdFile.string();
  }
  ppd::FilePtr ppdFile = ppd::openFile(ppdPath, error);
  if (!ppdFile) {
    error = "cannot read the PPD " + ppdPath + ": " + error;
    return nullptr;
  }
  auto dialog = std::make_unique<DialogHost>(printer, std::move(ppdFile), !o.noConstraintHandling, !o.noPrintSettings);
  if (!o.settingsFile.empty() && !readSettingsFile(o.settingsFile, dialog->settings(), error)) return nullptr;
  if (o.jobName) dialog->settings().setJobName(platform::Text::fromUtf8(*o.jobName));
  return dialog;
}

// The plug-in's panels for the dialog, from the bundle's library loaded with the front end's services.
// plugIn keeps the library for as long as the panels live. None with the reason.
std::optional<std::vector<std::shared_ptr<PDEPanel>>> makePanels(LoadedPlugIn& plugIn, const Options& o,
                                                                 DialogHost& dialog, std::string& error) {
  if (!plugIn.principal()) return std::nullopt;
  const platform::Bundle bundle(o.bundle);
  plugIn.principal()->initWithBundle(&bundle);
  auto callback = std::shared_ptr<DialogHost>(&dialog, [](DialogHost*) {});
  auto panels = plugIn.principal()->PDEPanelsForType(platform::Text::fromUtf8(o.type), callback);
  if (!panels || panels->empty()) {
    error = "no panel for the dialog type \"" + o.type + "\"";
    return std::nullopt;
  }
  return panels;
}

}  // namespace

int runCommandLine(int argc, char** argv, Frontend& frontend) {
  std::setlocale(LC_ALL, "");
  const auto usage = [&](const std::string& message) {
    std::cerr << frontend.program << ": " << message << std::endl;
    return kExitUsage;
  };

  Options o;
  if (const std::optional<int> exit = parseCommandLine(argc, argv, frontend.program, o)) return *exit;
  std::string error;
  const auto steps = parseSteps(o.steps, error);
  if (!steps) return usage(error);
  if (!checkBeforeRun(o, error)) return usage(error);
  const std::unique_ptr<DialogHost> dialog = openDialog(o, error);
  if (!dialog) return usage(error);

  PrintingAlerts alerts;
  const platform::HostServices services{&frontend.toolkit, &frontend.runLoop, &alerts};
  platform::setHostServices(services);
  LoadedPlugIn plugIn(o.bundle, services, error);
  auto panels = makePanels(plugIn, o, *dialog, error);
  if (!panels) return usage(error);
  // The plug-in makes only panels of its one class.
  auto& panel = static_cast<OndrixPrintPdeTarvel&>(*panels->front());

  int status = Session(panel, *dialog, o, frontend).run(*steps);
  panels.reset();
  // A script that went wrong leaves the job's settings as they were.
  if (status == kExitUsage) return status;
  if (!o.settingsFile.empty() && !writeSettingsFile(o.settingsFile, dialog->settings(), error)) {
    std::cerr << frontend.program << ": " << error << std::endl;
    if (status == kExitOk) status = kExitUsage;
  }
  return status;
}

}  // namespace host

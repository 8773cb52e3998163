// ondrix-print-dialog: a Qt print dialog for CUPS queues that shows the Job Handling panel for Ondrix
// printers.
#include <CLI/CLI.hpp>

#include <QApplication>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/bundle_location.h"
#include "engine/plugin_loader.h"
#include "platform/host_services.h"
#include "plugin/panel.h"
#include "print_window.h"
#include "printer_list.h"
#include "qt/qt_steps.h"
#include "qt/window_setup.h"
#include "toolkits/qt/qt_toolkit.h"


namespace {

// The bundle a script names with --bundle (the step engine reads its options itself), else the default one.
std::string scriptBundle(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--steps") break;
    if (a == "--bundle" && i + 1 < argc) return argv[i + 1];
    if (a.starts_with("--bundle=")) return std::string(a.substr(9));
  }
  return host::defaultBundle().string();
}

}  // namespace

int main(int argc, char** argv) {
  host::qt::quietOffscreenPlatform();
  // With --steps the window runs a script of the command-line host's steps on its Job Handling page; a
  // script needs no screen, so without a display the window is made off screen.
  if (std::any_of(argv + 1, argv + argc, [](const char* a) { return std::string_view(a) == "--steps"; })) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    host::qt::installWindowLanguage(scriptBundle(argc, argv));
    printdialog::PrintWindow window({}, nullptr, {});
    window.show();
    return host::qt::runSteps(argc, argv, window.panelPage());
  }

  std::string bundle;
  std::optional<std::string> jobName;
  std::string settingsFile;
  std::string cupsQueue;
  std::string type{kPrintDialogType};
  std::vector<std::string> files;
  CLI::App cli{"A print dialog that shows the Job Handling panel for Ondrix printers."};
  cli.add_option("--bundle", bundle, "the plug-in bundle folder");
  cli.add_option("--job-name", jobName, "the job's own name");
  cli.add_option("--settings", settingsFile, "print settings file (key=value lines) the job starts from");
  cli.add_option("--cups", cupsQueue, "the CUPS queue to start with");
  cli.add_option("--type", type, "the dialog's type identifier");
  cli.add_option("files", files, "the files to print");
  // Handled before parsing (see above); named here so that --help tells of it.
  bool steps = false;
  cli.add_flag("--steps", steps, "run ondrix-pde-host's steps on the window's widgets instead of showing it");
  cli.footer("With --steps it takes ondrix-pde-host's options: --ppd, --queue, --device-uri, --settings,\n"
             "--job-name, --cups, --bundle, --print, --type, --no-print-settings, --no-constraint-handling.");
  cli.set_version_flag("--version", std::string("ondrix-print-dialog ") + ONDRIX_VERSION);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = cli.exit(e);
    return code == 0 ? 0 : 2;
  }
  // Without --bundle, the bundle installed or built beside the program.
  if (bundle.empty()) bundle = host::defaultBundle().string();
  QApplication app(argc, argv);
  std::setlocale(LC_ALL, "");
  host::qt::installWindowLanguage(bundle);

  toolkits::qt::QtToolkit toolkit;
  toolkits::qt::QtRunLoop runLoop;
  toolkits::qt::MessageBoxAlerts alerts;
  const platform::HostServices services{&toolkit, &runLoop, &alerts};
  platform::setHostServices(services);
  std::string error;
  host::LoadedPlugIn plugIn(bundle, services, error);
  if (!plugIn.principal()) {
    std::cerr << "ondrix-print-dialog: " << error << std::endl;
    return 2;
  }
  const platform::Bundle pdeBundle(bundle);
  plugIn.principal()->initWithBundle(&pdeBundle);

  printdialog::PrinterList printers = printdialog::listPrinters(bundle);
  for (std::size_t i = 0; i < printers.entries.size(); ++i)
    if (printers.entries[i].kind == printdialog::PrinterEntry::Kind::cups && printers.entries[i].queue == cupsQueue)
      printers.chosen = i;
  printdialog::PrintWindow window(std::move(printers), plugIn.principal(),
                                  {bundle, files, jobName, settingsFile, type});
  return window.exec() == QDialog::Accepted ? 0 : 1;
}

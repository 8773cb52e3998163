// ondrix-bench-cycle: the dialog's whole life, again and again inside one process, the way a print dialog
// that stays open across jobs would see it: open the PPD, make the panel, view, restore, a user edit,
// save, print, release. Prints the CPU time of one cycle in microseconds, taken over cycles 2..N so that
// loading the plug-in and first-use set-up are left out.
//
// Each cycle types a user name that differs from the last one, so that its print stores one change, as
// the I/O floor's durable write does.
//
// Usage: ondrix-bench-cycle BUNDLE PPD QUEUE CYCLES   (the preferences go where XDG_CONFIG_HOME says)
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/dialog_host.h"
#include "engine/plugin_loader.h"
#include "platform/host_services.h"
#include "platform/runloop.h"
#include "toolkits/headless/headless_toolkit.h"
#include "plugin/panel.h"

namespace {

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One dialog: false when the plug-in made no panel.
bool cycle(OndrixPrintPdeTarvelPDEPlugIn& principal, const std::string& ppdPath, const std::string& queue,
           int round) {
  auto ppdFile = ppd::openFile(ppdPath);
  if (!ppdFile) return false;
  host::DialogHost dialog(platform::Printer(queue, std::nullopt), std::move(ppdFile), true, true);
  auto callback = std::shared_ptr<host::DialogHost>(&dialog, [](host::DialogHost*) {});
  auto panels = principal.PDEPanelsForType(platform::Text::fromUtf8(kPrintDialogType), callback);
  if (!panels || panels->empty()) return false;
  auto& panel = static_cast<OndrixPrintPdeTarvel&>(*panels->front());

  panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  if (ui::Control* c = panel.nib() ? panel.nib()->controlNamed("userNameEditText") : nullptr) {
    if (ui::TextField* field = c->asTextField()) {
      headless::clear(*field);
      headless::typeText(*field, platform::Text::fromUtf8(round % 2 ? "bench-odd" : "bench-even"));
    }
  }
  panel.saveValuesAndReturnError(nullptr);
  return panel.shouldPrint();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: ondrix-bench-cycle BUNDLE PPD QUEUE CYCLES\n");
    return 2;
  }
  const std::string bundlePath = argv[1], ppdPath = argv[2], queue = argv[3];
  const int cycles = std::atoi(argv[4]);
  if (cycles < 2) return 2;

  headless::HeadlessToolkit toolkit;
  platform::RunLoop runLoop;
  const platform::HostServices services{&toolkit, &runLoop, nullptr};
  platform::setHostServices(services);
  std::string error;
  host::LoadedPlugIn plugIn(bundlePath, services, error);
  if (!plugIn.principal()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const platform::Bundle bundle(bundlePath);
  plugIn.principal()->initWithBundle(&bundle);

  if (!cycle(*plugIn.principal(), ppdPath, queue, 0)) return 1;
  const double start = cpuSeconds();
  for (int i = 1; i < cycles; ++i) {
    if (!cycle(*plugIn.principal(), ppdPath, queue, i)) return 1;
  }
  std::printf("%.1f\n", (cpuSeconds() - start) / (cycles - 1) * 1e6);
  return 0;
}

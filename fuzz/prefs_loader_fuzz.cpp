// Any bytes as the printer's preference file: the panel loads it at creation, restores from it and the
// host dumps what it has.
#include <cstdint>

#include "engine/dump.h"
#include "headless_actions.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Environment& env = fuzz::Environment::get();
  // A damaged file is moved aside; start from an empty folder each time.
  std::filesystem::remove_all(env.prefs());
  std::filesystem::create_directories(env.prefs());
  fuzz::writeBytes(env.prefs() / "ondrix.mfp.Fuzz.plist", data, size);
  OndrixPrintPdeTarvel panel(fuzz::Environment::host(fuzz::Environment::demoPPD("demo-filing.ppd")), env.bundle());
  panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  host::HeadlessActions eyes;
  (void)host::dumpText(panel, eyes);
  return 0;
}

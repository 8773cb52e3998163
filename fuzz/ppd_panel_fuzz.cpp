// Any bytes as the printer's PPD: the panel is created from it, built, restored, saved and summarised.
#include <cstdint>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Environment& env = fuzz::Environment::get();
  const std::filesystem::path ppd = env.scratch() / "fuzz.ppd";
  fuzz::writeBytes(ppd, data, size);
  OndrixPrintPdeTarvel panel(fuzz::Environment::host(ppd), env.bundle());
  panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  panel.saveValuesAndReturnError(nullptr);
  (void)panel.summaryInfo();
  return 0;
}

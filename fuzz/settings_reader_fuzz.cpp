// Any print settings restored into a built panel, and saved back: one "key=value" per line; a key without
// a leading "@" is one of the panel's keys ("ondrix.print.PrintSettings." is put in front).
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Environment& env = fuzz::Environment::get();
  auto host = fuzz::Environment::host(fuzz::Environment::demoPPD(size % 2 ? "demo-filing.ppd" : "demo-directory.ppd"));
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string key(line.substr(0, eq));
    key = key.starts_with('@') ? key.substr(1) : "ondrix.print.PrintSettings." + key;
    host->settings.setValue(key, std::string(line.substr(eq + 1)));
  }
  OndrixPrintPdeTarvel panel(host, env.bundle());
  panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  panel.saveValuesAndReturnError(nullptr);
  panel.restoreValuesAndReturnError(nullptr);
  return 0;
}

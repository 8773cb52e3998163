// Any bytes as the panel's layout file: loaded, connected and driven through a restore and a save.
#include <cstdint>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Environment& env = fuzz::Environment::get();
  // A copy of the bundle whose two layouts are the input.
  static const std::filesystem::path bundleDir = [&] {
    const std::filesystem::path dir = env.scratch() / "bundle";
    std::filesystem::copy(ONDRIX_BUNDLE_DIR, dir, std::filesystem::copy_options::recursive);
    return dir;
  }();
  static const auto bundle = std::make_shared<platform::Bundle>(bundleDir);
  const std::filesystem::path resources = bundleDir / "Contents" / "Resources";
  fuzz::writeBytes(resources / "JobControl4.ui", data, size);
  fuzz::writeBytes(resources / "JobControl5.ui", data, size);

  OndrixPrintPdeTarvel panel(fuzz::Environment::host(fuzz::Environment::demoPPD("demo-filing.ppd")), bundle);
  panel.panelView();
  panel.restoreValuesAndReturnError(nullptr);
  panel.saveValuesAndReturnError(nullptr);
  return 0;
}

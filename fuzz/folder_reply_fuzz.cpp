// Any bytes as the folder service's reply file, parsed into a built panel's list and its pop-up.
#include <cstdint>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Environment& env = fuzz::Environment::get();
  static auto host = fuzz::Environment::host(fuzz::Environment::demoPPD("demo-filing.ppd"));
  static OndrixPrintPdeTarvel* panel = [&] {
    auto* p = new OndrixPrintPdeTarvel(host, env.bundle());
    p->panelView();
    return p;
  }();
  const std::filesystem::path reply = env.scratch() / "reply.xml";
  fuzz::writeBytes(reply, data, size);
  panel->parseXML(reply);
  panel->makeFolderPopup();
  panel->saveValuesAndReturnError(nullptr);
  return 0;
}

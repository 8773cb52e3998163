// The principal class: the object the host makes once per loaded bundle and asks for panels.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/bundle.h"
#include "platform/host_services.h"
#include "plugin/host_interface.h"

class OndrixPrintPdeTarvelPDEPlugIn {
 public:
  // Keeps nothing; always YES.
  bool initWithBundle(const platform::Bundle* bundle);
  // For the print dialog's type, an array with one new panel (none when it cannot be made); for any other
  // type an empty array. The host owns what it receives.
  std::optional<std::vector<std::shared_ptr<PDEPanel>>> PDEPanelsForType(
      const platform::Text& type, std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> hostInfo);
};

// The C entry points of the plug-in library, for dlopen.
extern "C" {
using OndrixPDEPlugInCreateFn = OndrixPrintPdeTarvelPDEPlugIn* (*)(const platform::HostServices*);
using OndrixPDEPlugInDestroyFn = void (*)(OndrixPrintPdeTarvelPDEPlugIn*);
}

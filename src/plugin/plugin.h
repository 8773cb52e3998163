// The principal class: the object the host makes once per loaded bundle and asks for panels.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/bundle.h"
#include "platform/host_services.h"
#include "plugin/host_interface.h"

// Its operations are virtual so that a host reaches them through the object the library made.
class OndrixPrintPdeTarvelPDEPlugIn {
 public:
  virtual ~OndrixPrintPdeTarvelPDEPlugIn() = default;
  // Keeps nothing; always YES.
  virtual bool initWithBundle(const platform::Bundle* bundle);
  // For the print dialog's type, an array with one new panel (none when it cannot be made); for any other
  // type an empty array. The host owns what it receives.
  virtual std::optional<std::vector<std::shared_ptr<PDEPanel>>> PDEPanelsForType(
      const platform::Text& type, std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> hostInfo);
};

// The C entry points of the plug-in library, for dlopen.
extern "C" {
using OndrixPDEPlugInCreateFn = OndrixPrintPdeTarvelPDEPlugIn* (*)(const platform::HostServices*);
using OndrixPDEPlugInDestroyFn = void (*)(OndrixPrintPdeTarvelPDEPlugIn*);
}

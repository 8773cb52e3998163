// Loads the plug-in bundle's library with dlopen and makes its principal object.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/host_services.h"
#include "plugin/plugin.h"

namespace host {

class LoadedPlugIn {
 public:
  // Loads <bundle>/Contents/Linux/libondrix-pde.so; on failure, error says why and principal() is none.
  LoadedPlugIn(const std::filesystem::path& bundle, const platform::HostServices& services, std::string& error);
  ~LoadedPlugIn();
  LoadedPlugIn(const LoadedPlugIn&) = delete;
  LoadedPlugIn& operator=(const LoadedPlugIn&) = delete;

  OndrixPrintPdeTarvelPDEPlugIn* principal() const { return principal_; }

 private:
  void* handle_ = nullptr;
  OndrixPDEPlugInDestroyFn destroy_ = nullptr;
  OndrixPrintPdeTarvelPDEPlugIn* principal_ = nullptr;
};

}  // namespace host

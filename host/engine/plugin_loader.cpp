#include "engine/plugin_loader.h"

#include <dlfcn.h>

namespace host {

LoadedPlugIn::LoadedPlugIn(const std::filesystem::path& bundle, const platform::HostServices& services,
                           std::string& error) {
  const std::filesystem::path library = bundle / "Contents" / "Linux" / "libondrix-pde.so";
  handle_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error = "cannot load the plug-in " + library.string() + ": " + (why ? why : "unknown error");
    return;
  }
  auto create = reinterpret_cast<OndrixPDEPlugInCreateFn>(dlsym(handle_, "OndrixPDEPlugInCreate"));
  destroy_ = reinterpret_cast<OndrixPDEPlugInDestroyFn>(dlsym(handle_, "OndrixPDEPlugInDestroy"));
  if (!create || !destroy_) {
    error = "the library " + library.string() + " is not an Ondrix panel plug-in";
    return;
  }
  principal_ = create(&services);
}

LoadedPlugIn::~LoadedPlugIn() {
  if (principal_ && destroy_) destroy_(principal_);
  // The library stays mapped: panels and their controls' actions may still refer to its code until exit.
}

}  // namespace host

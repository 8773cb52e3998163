#include "engine/plugin_loader.h"

#include <dlfcn.h>

namespace host {
namespace {

// The plug-in and the libraries it brings (libcrypto above all, thousands of bindings to itself) look
// their symbols up in their own scope before the dialog's global one, instead of trying every library
// the dialog has loaded first: that search was a quarter of a dialog's instructions. The plug-in is
// built to bind to itself already (-Bsymbolic, hidden symbols) and shares the dialog's C and C++
// runtimes, whose data this position-independent host does not copy (no copy relocations), so nothing
// it binds changes. AddressSanitizer replaces the allocator by interposition, which a deep-bound library
// would bypass, so sanitized builds keep the ordinary order.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kOwnScopeFirst = 0;
#else
constexpr int kOwnScopeFirst = RTLD_DEEPBIND;
#endif

}  // namespace

LoadedPlugIn::LoadedPlugIn(const std::filesystem::path& bundle, const platform::HostServices& services,
                           std::string& error) {
  const std::filesystem::path library = bundle / "Contents" / "Linux" / "libondrix-pde.so";
  handle_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | kOwnScopeFirst);
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

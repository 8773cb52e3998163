// Libraries loaded when first needed rather than with the plug-in (libcurl, libcrypto): how they are
// opened and how their functions are bound.
#pragma once

#include <dlfcn.h>

namespace platform {

// Such a library and the libraries it brings bind to themselves before searching the dialog's libraries,
// which would cost more than the work they are loaded for. Not under AddressSanitizer, whose allocator
// works by interposition.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kOwnScopeFirst = 0;
#else
inline constexpr int kOwnScopeFirst = RTLD_DEEPBIND;
#endif

// Binds one function of a loaded library; false when the library lacks it.
template <class F>
bool bindFunction(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace platform

#define OPENSSL_SUPPRESS_DEPRECATED 1

#include "crypto/libcrypto.h"

#include <dlfcn.h>
#include <openssl/md5.h>
#include <openssl/opensslv.h>

#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "platform/late_binding.h"

namespace crypto {
namespace {

static_assert(std::is_same_v<decltype(&::AES_set_encrypt_key), decltype(LibCrypto::setEncryptKey)> &&
              std::is_same_v<decltype(&::AES_set_decrypt_key), decltype(LibCrypto::setDecryptKey)> &&
              std::is_same_v<decltype(&::AES_encrypt), decltype(LibCrypto::encrypt)> &&
              std::is_same_v<decltype(&::AES_decrypt), decltype(LibCrypto::decrypt)> &&
              std::is_same_v<decltype(&::MD5), decltype(LibCrypto::md5)>);

#define ONDRIX_STRINGIFY2(x) #x
#define ONDRIX_STRINGIFY(x) ONDRIX_STRINGIFY2(x)
constexpr const char* kLibraryName = "libcrypto.so." ONDRIX_STRINGIFY(OPENSSL_VERSION_MAJOR);

template <class F>
void bind(void* library, const char* name, F& function) {
  if (!platform::bindFunction(library, name, function)) {
    std::fprintf(stderr, "ondrix-pde: %s lacks %s\n", kLibraryName, name);
    std::abort();
  }
}

}  // namespace

const LibCrypto& libcrypto() {
  // Thread-safe once: the first caller loads, the others wait. The library stays loaded until exit.
  static const LibCrypto loaded = [] {
    void* library = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL | platform::kOwnScopeFirst);
    if (!library) {
      const char* why = ::dlerror();
      std::fprintf(stderr, "ondrix-pde: cannot load %s: %s\n", kLibraryName, why ? why : "unknown error");
      std::abort();
    }
    LibCrypto c{};
    bind(library, "AES_set_encrypt_key", c.setEncryptKey);
    bind(library, "AES_set_decrypt_key", c.setDecryptKey);
    bind(library, "AES_encrypt", c.encrypt);
    bind(library, "AES_decrypt", c.decrypt);
    bind(library, "MD5", c.md5);
    return c;
  }();
  return loaded;
}

}  // namespace crypto

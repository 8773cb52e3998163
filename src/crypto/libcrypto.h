// OpenSSL's libcrypto, loaded when a credential is first encrypted or decrypted rather than with the
// plug-in: its thousands of relocations cost every dialog 1.4 MiB of pages, and most dialogs hold no
// credential.
#pragma once

#include <openssl/aes.h>

namespace crypto {

struct LibCrypto {
  int (*setEncryptKey)(const unsigned char*, int, AES_KEY*);
  int (*setDecryptKey)(const unsigned char*, int, AES_KEY*);
  void (*encrypt)(const unsigned char*, unsigned char*, const AES_KEY*);
  void (*decrypt)(const unsigned char*, unsigned char*, const AES_KEY*);
  unsigned char* (*md5)(const unsigned char*, size_t, unsigned char*);
};

// The library's functions, loaded on the first call. A system without the library the package depends
// on cannot protect credentials: the process stops with the loader's reason rather than store them
// unprotected or lose them.
const LibCrypto& libcrypto();

}  // namespace crypto

// MD5 through libcups's hash function; the lowercase hex framing is the filter's.
//
// libcups is loaded with every dialog and hashes with the TLS library it already brings. OpenSSL's
// libcrypto, linked for this one digest of every save, added 1.4 MiB of relocated pages to each dialog
// process; it is now loaded only when a credential is encrypted (credential_cipher.cpp).
#include "crypto/digest.h"

#include <cups/cups.h>

#include <cstring>

#include "crypto/libcrypto.h"
#include "platform/hex.h"

namespace {
constexpr std::size_t kMd5Bytes = 16;
}  // namespace

void calcMD5(char* output, const char* text) {
  if (!text) return;

  unsigned char digest[kMd5Bytes] = {};
  const std::size_t length = std::strlen(text);
  // A libcups whose TLS library refuses MD5 (a FIPS policy) leaves it to libcrypto.
  if (cupsHashData("md5", text, length, digest, sizeof digest) != static_cast<ssize_t>(kMd5Bytes))
    crypto::libcrypto().md5(reinterpret_cast<const unsigned char*>(text), length, digest);
  if (!output) return;

  platform::writeHex(digest, kMd5Bytes, output, platform::HexDigits::lower);
}

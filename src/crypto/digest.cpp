// MD5 through OpenSSL's one-shot MD5 function; the lowercase hex framing is the filter's.
//
// The digest interface (EVP) would first set up OpenSSL's provider library: about five million
// instructions and 3 MiB of touched pages, more than the rest of a dialog's life. The plain function
// needs no set-up and gives the same digest. It is deprecated in OpenSSL 3, like the AES block interface.
#define OPENSSL_SUPPRESS_DEPRECATED 1

#include "crypto/digest.h"

#include <openssl/md5.h>

#include <cstring>

void calcMD5(char* output, const char* text) {
  if (!text) return;

  unsigned char digest[MD5_DIGEST_LENGTH] = {};
  MD5(reinterpret_cast<const unsigned char*>(text), std::strlen(text), digest);
  if (!output) return;

  constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < MD5_DIGEST_LENGTH; ++i) {
    output[2 * i] = kDigits[digest[i] >> 4];
    output[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  output[2 * MD5_DIGEST_LENGTH] = '\0';
}

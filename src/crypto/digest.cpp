// MD5 through OpenSSL's digest interface; the lowercase hex framing is the filter's.
#include "crypto/digest.h"

#include <openssl/evp.h>

#include <cstring>

void calcMD5(char* output, const char* text) {
  if (!text) return;

  unsigned char digest[EVP_MAX_MD_SIZE] = {};
  unsigned int size = 0;
  if (EVP_Digest(text, std::strlen(text), digest, &size, EVP_md5(), nullptr) != 1 || size != 16) {
    if (output) output[0] = '\0';
    return;
  }
  if (!output) return;

  constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned int i = 0; i < size; ++i) {
    output[2 * i] = kDigits[digest[i] >> 4];
    output[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  output[2 * size] = '\0';
}

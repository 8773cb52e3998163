// The hex and Base64 decoders on any text (also as the credential-text reader uses them), and both codecs'
// round trip on any bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "crypto/base64.h"
#include "crypto/credential_text.h"
#include "settings/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // a terminator behind the bytes

  // Decoding any text stays within the sizes the contracts give.
  std::vector<unsigned char> hex(size / 2 + 1);
  myatoi(text.data(), hex.data(), static_cast<std::uint32_t>(size));
  std::vector<unsigned char> base64(Base64decode_len(text.c_str()));
  Base64decode(base64.data(), text.c_str());
  for (const std::size_t digits : {32u, 64u}) (void)crypto::decryptFromHex(text, digits);
  (void)crypto::decryptFromBase64(text);

  // Any bytes come back from their own encoding unchanged.
  std::vector<char> hexText(2 * size + 1);
  myitoa(data, hexText.data(), static_cast<std::uint32_t>(size));
  std::vector<unsigned char> hexBack(size + 1);
  if (!myatoi(hexText.data(), hexBack.data(), static_cast<std::uint32_t>(2 * size)) ||
      std::memcmp(hexBack.data(), data, size) != 0)
    std::abort();
  std::vector<char> base64Text(Base64encode_len(size));
  Base64encode(base64Text.data(), data, size);
  std::vector<unsigned char> base64Back(Base64decode_len(base64Text.data()));
  if (Base64decode(base64Back.data(), base64Text.data()) != size || std::memcmp(base64Back.data(), data, size) != 0)
    std::abort();
  return 0;
}

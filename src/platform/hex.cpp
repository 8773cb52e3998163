#include "platform/hex.h"

namespace platform {

void writeHex(const unsigned char* source, std::size_t count, char* destination, HexDigits digits) {
  const char* symbols = digits == HexDigits::upper ? "0123456789ABCDEF" : "0123456789abcdef";
  for (std::size_t i = 0; i < count; ++i) {
    destination[2 * i] = symbols[source[i] >> 4];
    destination[2 * i + 1] = symbols[source[i] & 0x0F];
  }
  destination[2 * count] = '\0';
}

std::string hexText(std::string_view bytes, HexDigits digits) {
  std::string hex(2 * bytes.size() + 1, '\0');
  writeHex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), hex.data(), digits);
  hex.resize(2 * bytes.size());
  return hex;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> hexBytes(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes(hex.size() / 2, '\0');
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = hexValue(hex[i]);
    const int low = hexValue(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes[i / 2] = static_cast<char>(high << 4 | low);
  }
  return bytes;
}

}  // namespace platform

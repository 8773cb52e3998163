// Bytes as hexadecimal text and back, two digits per byte, high digit first: the one form of every hex
// value the system writes (credentials and names for the printer's filter, digests, file names).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class HexDigits { upper, lower };

// Writes the hex text of count bytes of source and a terminator into destination, which holds
// 2 * count + 1 bytes.
void writeHex(const unsigned char* source, std::size_t count, char* destination,
              HexDigits digits = HexDigits::upper);

// The hex text of bytes.
std::string hexText(std::string_view bytes, HexDigits digits = HexDigits::upper);

// The value of one hex digit (0-9, A-F or a-f), or -1.
int hexValue(char c);

// The bytes of hex text in either case; none when it is not whole pairs of hex digits.
std::optional<std::string> hexBytes(std::string_view hex);

}  // namespace platform

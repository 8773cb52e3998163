// The two numberings of text encodings and the conversions between texts and bytes.
//
// String-object identifiers (NSStringEncoding) name the encoding of a string object; core-string numbers
// (CFStringEncoding) are used by the byte conversions. Conversions go through ICU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

using NSStringEncoding = std::uint64_t;
using CFStringEncoding = std::uint32_t;

inline constexpr NSStringEncoding kNSASCIIStringEncoding = 1;
inline constexpr NSStringEncoding kNSUTF8StringEncoding = 4;
inline constexpr NSStringEncoding kNSISOLatin1StringEncoding = 5;
inline constexpr NSStringEncoding kNSShiftJISStringEncoding = 8;
inline constexpr NSStringEncoding kNSWindowsCP1252StringEncoding = 12;
inline constexpr NSStringEncoding kNSMacOSRomanStringEncoding = 30;

inline constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
inline constexpr CFStringEncoding kCFStringEncodingMacJapanese = 1;
inline constexpr CFStringEncoding kCFStringEncodingMacChineseTrad = 2;
inline constexpr CFStringEncoding kCFStringEncodingMacKorean = 3;
inline constexpr CFStringEncoding kCFStringEncodingMacChineseSimp = 25;
inline constexpr CFStringEncoding kCFStringEncodingWindowsLatin1 = 0x0500;
inline constexpr CFStringEncoding kCFStringEncodingASCII = 0x0600;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;
inline constexpr CFStringEncoding kCFStringEncodingISOLatin1 = 0x0201;
inline constexpr CFStringEncoding kCFStringEncodingShiftJIS = 0x0A01;
// No encoding: the answer of toCFStringEncoding for an identifier without a core-string number.
inline constexpr CFStringEncoding kCFStringEncodingInvalidId = 0xFFFFFFFF;

// The system's default encoding, from the user's locale (LC_ALL, LC_CTYPE, LANG in that order):
// Japanese gives Mac Japanese, Traditional Chinese 2, Korean 3, Simplified Chinese 25, anything else Mac Roman.
CFStringEncoding systemEncoding();
// The same rule for a given locale name such as "ja_JP.UTF-8" or "zh_TW".
CFStringEncoding systemEncodingForLocale(std::string_view locale);

// Core-string number to string-object identifier and back; encodings without an identifier of their own
// map to 0x80000000 + number, as the platform does.
NSStringEncoding toNSStringEncoding(CFStringEncoding encoding);
CFStringEncoding toCFStringEncoding(NSStringEncoding encoding);

// Converts units [location, location + count) of a text into at most maxBytes bytes.
// lossByte 0: stops before the first character the encoding cannot represent; otherwise such a
// character becomes lossByte. Stops before a character whose bytes would not fit. A surrogate pair is one
// character. Returns the number of units converted; bytes receives what was produced (no terminator).
struct ConvertedBytes {
  std::size_t unitsConverted = 0;
  std::string bytes;
};
ConvertedBytes getBytes(const Text& text, std::size_t location, std::size_t count, CFStringEncoding encoding,
                        std::uint8_t lossByte, std::size_t maxBytes);

// The whole text in the encoding, or none when a character cannot be represented.
std::optional<std::string> getCString(const Text& text, CFStringEncoding encoding);

// A text from bytes; none when the bytes are not valid in the encoding (for ASCII: a byte above 0x7F).
// As with the C-string calls it stands for, the bytes end at the first zero byte.
Text createWithBytes(std::string_view bytes, CFStringEncoding encoding);
// The same with a string-object identifier (stringWithCString:encoding:).
Text createWithBytesNS(std::string_view bytes, NSStringEncoding encoding);

// Whether the bytes are well-formed UTF-8, which Text::fromUtf8 takes without a replacement character and
// whose text gives the same bytes back.
bool isWellFormedUtf8(std::string_view bytes);

}  // namespace platform

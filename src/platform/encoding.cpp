// The two encoding numberings and the byte conversions, on ICU converters.
//
// Conversions to bytes run one character at a time so that the stopping point (first unconvertible
// character, or first character whose bytes would not fit) is exact, as callers cut texts by it.
#include "platform/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>

namespace platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The ICU converter that stands for a core-string number; nullptr for numbers this platform lacks.
// The East-Asian Mac encodings use their common Unix counterparts.
const char* icuNameFor(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingMacRoman: return "macintosh";
    case kCFStringEncodingMacJapanese: return "Shift_JIS";
    case kCFStringEncodingMacChineseTrad: return "Big5";
    case kCFStringEncodingMacKorean: return "EUC-KR";
    case kCFStringEncodingMacChineseSimp: return "GB2312";
    case kCFStringEncodingWindowsLatin1: return "windows-1252";
    case kCFStringEncodingISOLatin1: return "ISO-8859-1";
    case kCFStringEncodingShiftJIS: return "Shift_JIS";
    case kCFStringEncodingASCII: return "US-ASCII";
    case kCFStringEncodingUTF8: return "UTF-8";
    default: return nullptr;
  }
}

// A converter for the encoding that stops at the first unconvertible character in both directions, or
// nullptr. Converters are kept per thread: opening one costs far more than a conversion, and a
// converter must not be shared between threads. The cache owns them.
UConverter* converterFor(CFStringEncoding encoding) {
  thread_local std::map<CFStringEncoding, ConverterPtr> cache;
  if (auto found = cache.find(encoding); found != cache.end()) return found->second.get();

  const char* name = icuNameFor(encoding);
  if (!name) return nullptr;
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name, &status));
  if (U_FAILURE(status) || !converter) return nullptr;
  ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  if (U_FAILURE(status)) return nullptr;
  return cache.emplace(encoding, std::move(converter)).first->second.get();
}

// Room for the bytes of one character in any of the encodings above (UTF-8 needs four).
using CharacterBytes = std::array<char, 16>;

// Converts one character (one unit, or a surrogate pair) into out; the byte count, or -1 when the encoding
// cannot represent it. An unpaired surrogate is never representable.
int encodeCharacter(UConverter* converter, const char16_t* units, int32_t count, CharacterBytes& out) {
  if (count == 1 && U16_IS_SURROGATE(units[0])) return -1;
  ucnv_resetFromUnicode(converter);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()), units, count, &status);
  if (U_FAILURE(status) || length < 0 || length > static_cast<int32_t>(out.size())) return -1;
  return length;
}

std::string lowerAscii(std::string_view s) {
  std::string lower(s);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower;
}

// True when a Chinese locale name asks for traditional characters: the script subtag Hant, or without a
// script subtag a region of Taiwan, Hong Kong or Macao.
bool isTraditionalChinese(const std::string& lowerLocale) {
  if (lowerLocale.find("hant") != std::string::npos) return true;
  if (lowerLocale.find("hans") != std::string::npos) return false;
  const std::string body = lowerLocale.substr(0, lowerLocale.find_first_of(".@"));
  std::size_t start = 0;
  while (start <= body.size()) {
    const std::size_t end = std::min(body.find_first_of("_-", start), body.size());
    const std::string_view part = std::string_view(body).substr(start, end - start);
    if (start > 0 && (part == "tw" || part == "hk" || part == "mo")) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

// The language is the part of the name before any region, script, code set or modifier, so that a
// three-letter language starting with the same letters ("jam") is not taken for Japanese.
CFStringEncoding systemEncodingForLocale(std::string_view locale) {
  const std::string lower = lowerAscii(locale);
  const std::string language = lower.substr(0, lower.find_first_of("_-.@"));
  if (language == "ja") return kCFStringEncodingMacJapanese;
  if (language == "ko") return kCFStringEncodingMacKorean;
  if (language == "zh") return isTraditionalChinese(lower) ? kCFStringEncodingMacChineseTrad
                                                           : kCFStringEncodingMacChineseSimp;
  return kCFStringEncodingMacRoman;
}

// The first non-empty of the variables that name the character-type locale, as the C library reads them.
CFStringEncoding systemEncoding() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return systemEncodingForLocale(value);
  }
  return kCFStringEncodingMacRoman;
}

NSStringEncoding toNSStringEncoding(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingMacRoman: return kNSMacOSRomanStringEncoding;
    case kCFStringEncodingWindowsLatin1: return kNSWindowsCP1252StringEncoding;
    case kCFStringEncodingASCII: return kNSASCIIStringEncoding;
    case kCFStringEncodingUTF8: return kNSUTF8StringEncoding;
    case kCFStringEncodingISOLatin1: return kNSISOLatin1StringEncoding;
    case kCFStringEncodingShiftJIS: return kNSShiftJISStringEncoding;
    case kCFStringEncodingInvalidId: return 0;
    default: return 0x80000000ULL + encoding;
  }
}

// Identifiers without a core-string number (0, and any the platform does not know) give the invalid id.
CFStringEncoding toCFStringEncoding(NSStringEncoding encoding) {
  switch (encoding) {
    case kNSMacOSRomanStringEncoding: return kCFStringEncodingMacRoman;
    case kNSWindowsCP1252StringEncoding: return kCFStringEncodingWindowsLatin1;
    case kNSASCIIStringEncoding: return kCFStringEncodingASCII;
    case kNSUTF8StringEncoding: return kCFStringEncodingUTF8;
    case kNSISOLatin1StringEncoding: return kCFStringEncodingISOLatin1;
    case kNSShiftJISStringEncoding: return kCFStringEncodingShiftJIS;
    default: break;
  }
  constexpr NSStringEncoding kForeignBase = 0x80000000ULL;
  if (encoding >= kForeignBase && encoding - kForeignBase < kCFStringEncodingInvalidId)
    return static_cast<CFStringEncoding>(encoding - kForeignBase);
  return kCFStringEncodingInvalidId;
}

// A range beyond the text is clamped to it; an encoding without a converter converts nothing.
ConvertedBytes getBytes(const Text& text, std::size_t location, std::size_t count, CFStringEncoding encoding,
                        std::uint8_t lossByte, std::size_t maxBytes) {
  ConvertedBytes result;
  const std::u16string& units = text.utf16();
  if (location >= units.size() || count == 0) return result;
  const std::size_t end = location + std::min(count, units.size() - location);
  UConverter* converter = converterFor(encoding);
  if (!converter) return result;

  std::size_t at = location;
  CharacterBytes bytes{};
  while (at < end) {
    // A pair whose second half lies outside the range counts as an unpaired surrogate.
    const int32_t width =
        (U16_IS_LEAD(units[at]) && at + 1 < end && U16_IS_TRAIL(units[at + 1])) ? 2 : 1;
    int length = encodeCharacter(converter, units.data() + at, width, bytes);
    if (length < 0) {
      if (lossByte == 0) break;
      bytes[0] = static_cast<char>(lossByte);
      length = 1;
    }
    if (static_cast<std::size_t>(length) > maxBytes - result.bytes.size()) break;
    result.bytes.append(bytes.data(), static_cast<std::size_t>(length));
    at += static_cast<std::size_t>(width);
  }
  result.unitsConverted = at - location;
  return result;
}

std::optional<std::string> getCString(const Text& text, CFStringEncoding encoding) {
  if (text.isNone() || !converterFor(encoding)) return std::nullopt;
  ConvertedBytes converted =
      getBytes(text, 0, text.length(), encoding, 0, std::numeric_limits<std::size_t>::max());
  if (converted.unitsConverted != text.length()) return std::nullopt;
  return std::move(converted.bytes);
}

Text createWithBytes(std::string_view bytes, CFStringEncoding encoding) {
  bytes = bytes.substr(0, bytes.find('\0'));
  UConverter* converter = converterFor(encoding);
  if (!converter) return Text();
  if (bytes.empty()) return Text::empty();
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX / 2)) return Text();
  const auto byteCount = static_cast<int32_t>(bytes.size());

  // No byte of these encodings yields more than two units, so one pass fills a buffer of twice the size.
  std::u16string units(bytes.size() * 2, u'\0');
  ucnv_resetToUnicode(converter);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                                       bytes.data(), byteCount, &status);
  if (U_FAILURE(status) || length < 0) return Text();
  units.resize(static_cast<std::size_t>(length));
  return Text::fromUtf16(std::move(units));
}

Text createWithBytesNS(std::string_view bytes, NSStringEncoding encoding) {
  return createWithBytes(bytes, toCFStringEncoding(encoding));
}

// The same rule of well-formedness as the conversion from UTF-8 uses; ASCII needs no decoding.
bool isWellFormedUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<std::int64_t>(bytes.size());
  std::int64_t i = 0;
  while (i < length) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    UChar32 c = 0;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace platform

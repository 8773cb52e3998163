// The two encoding numberings and the byte conversions.
//
// Conversions to bytes run one character at a time so that the stopping point (first unconvertible
// character, or first character whose bytes would not fit) is exact, as callers cut texts by it.
//
// The single-byte encodings convert through tables that the build takes from ICU's own converters
// (single_byte_tables.inc), and UTF-8 through ICU's string functions: opening a converter loads ICU's
// data and alias tables, 0.9 MiB of pages in every dialog, for 256-entry tables. The East-Asian
// encodings convert through ICU's converters.
#include "platform/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
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

// Code points [first, last] convert to `byte`, or to no bytes at all when it is -1.
struct ByteRange {
  char32_t first, last;
  int byte;
};

#include "single_byte_tables.inc"

struct SingleByte {
  const char16_t* toUnicode;  // 0xFFFF: the byte has no character
  const ByteRange* fromUnicode;
  std::size_t ranges;
};

constexpr char16_t kNoCharacter = 0xFFFF;

template <std::size_t N>
constexpr SingleByte singleByte(const char16_t (&toUnicode)[256], const ByteRange (&fromUnicode)[N]) {
  return {toUnicode, fromUnicode, N};
}

const SingleByte* singleByteFor(CFStringEncoding encoding) {
  static constexpr SingleByte kMacRoman = singleByte(kMacRomanToUnicode, kMacRomanFromUnicode);
  static constexpr SingleByte kWindowsLatin1 = singleByte(kWindowsLatin1ToUnicode, kWindowsLatin1FromUnicode);
  static constexpr SingleByte kISOLatin1 = singleByte(kISOLatin1ToUnicode, kISOLatin1FromUnicode);
  static constexpr SingleByte kASCII = singleByte(kASCIIToUnicode, kASCIIFromUnicode);
  switch (encoding) {
    case kCFStringEncodingMacRoman: return &kMacRoman;
    case kCFStringEncodingWindowsLatin1: return &kWindowsLatin1;
    case kCFStringEncodingISOLatin1: return &kISOLatin1;
    case kCFStringEncodingASCII: return &kASCII;
    default: return nullptr;
  }
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The ICU converter that stands for a multi-byte core-string number; nullptr for numbers this platform
// lacks. The East-Asian Mac encodings use their common Unix counterparts.
const char* icuNameFor(CFStringEncoding encoding) {
  switch (encoding) {
    case kCFStringEncodingMacJapanese: return "Shift_JIS";
    case kCFStringEncodingMacChineseTrad: return "Big5";
    case kCFStringEncodingMacKorean: return "EUC-KR";
    case kCFStringEncodingMacChineseSimp: return "GB2312";
    case kCFStringEncodingShiftJIS: return "Shift_JIS";
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

// How an encoding converts: through a table, as UTF-8, through a converter, or not at all.
struct Codec {
  const SingleByte* table = nullptr;
  bool utf8 = false;
  UConverter* converter = nullptr;
  explicit operator bool() const { return table || utf8 || converter; }
};

Codec codecFor(CFStringEncoding encoding) {
  if (const SingleByte* table = singleByteFor(encoding)) return {table, false, nullptr};
  if (encoding == kCFStringEncodingUTF8) return {nullptr, true, nullptr};
  return {nullptr, false, converterFor(encoding)};
}

// Room for the bytes of one character in any of the encodings above (UTF-8 needs four).
using CharacterBytes = std::array<char, 16>;

// Converts one character (one unit, or a surrogate pair) into out; the byte count, or -1 when the encoding
// cannot represent it. An unpaired surrogate is never representable.
int encodeCharacter(const Codec& codec, const char16_t* units, int32_t count, CharacterBytes& out) {
  if (count == 1 && U16_IS_SURROGATE(units[0])) return -1;
  const char32_t c = count == 2 ? U16_GET_SUPPLEMENTARY(units[0], units[1]) : units[0];
  if (codec.table) {
    const ByteRange* end = codec.table->fromUnicode + codec.table->ranges;
    const ByteRange* range =
        std::lower_bound(codec.table->fromUnicode, end, c, [](const ByteRange& r, char32_t v) { return r.last < v; });
    if (range == end || range->first > c) return -1;
    if (range->byte < 0) return 0;
    out[0] = static_cast<char>(range->byte);
    return 1;
  }
  if (codec.utf8) {
    int32_t length = 0;
    U8_APPEND_UNSAFE(out.data(), length, c);
    return length;
  }
  ucnv_resetFromUnicode(codec.converter);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      ucnv_fromUChars(codec.converter, out.data(), static_cast<int32_t>(out.size()), units, count, &status);
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
  const Codec codec = codecFor(encoding);
  if (!codec) return result;

  std::size_t at = location;
  CharacterBytes bytes{};
  while (at < end) {
    // A pair whose second half lies outside the range counts as an unpaired surrogate.
    const int32_t width =
        (U16_IS_LEAD(units[at]) && at + 1 < end && U16_IS_TRAIL(units[at + 1])) ? 2 : 1;
    int length = encodeCharacter(codec, units.data() + at, width, bytes);
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
  if (text.isNone() || !codecFor(encoding)) return std::nullopt;
  ConvertedBytes converted =
      getBytes(text, 0, text.length(), encoding, 0, std::numeric_limits<std::size_t>::max());
  if (converted.unitsConverted != text.length()) return std::nullopt;
  return std::move(converted.bytes);
}

Text createWithBytes(std::string_view bytes, CFStringEncoding encoding) {
  bytes = bytes.substr(0, bytes.find('\0'));
  const Codec codec = codecFor(encoding);
  if (!codec) return Text();
  if (bytes.empty()) return Text::empty();
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX / 2)) return Text();
  const auto byteCount = static_cast<int32_t>(bytes.size());

  if (codec.table) {
    std::u16string units(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      units[i] = codec.table->toUnicode[static_cast<unsigned char>(bytes[i])];
      if (units[i] == kNoCharacter) return Text();
    }
    return Text::fromUtf16(std::move(units));
  }

  // No byte of these encodings yields more than two units, so one pass fills a buffer of twice the size.
  std::u16string units(bytes.size() * 2, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = -1;
  if (codec.utf8) {
    u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length, bytes.data(), byteCount, &status);
  } else {
    ucnv_resetToUnicode(codec.converter);
    length = ucnv_toUChars(codec.converter, units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                           byteCount, &status);
  }
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

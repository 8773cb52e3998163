// Value encodings of the print-settings keys.
#include "settings/encoding.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

namespace {

// What ReplaceSpaceCode blanks: control characters but TAB and the zero byte, and the double quote.
bool isBlanked(char32_t c) { return (c >= 0x01 && c <= 0x08) || (c >= 0x0A && c <= 0x1F) || c == '"'; }

// Stores an ASCII value under a key, or removes the key for a missing, empty or non-ASCII value.
void storeAscii(platform::PrintSettings& settings, const std::string& key, const char* value) {
  // Values are ASCII by contract with the filter; anything else is dropped rather than sent mangled.
  bool ascii = value && *value != '\0';
  for (const char* p = value; ascii && *p; ++p) ascii = static_cast<unsigned char>(*p) <= 0x7F;
  settings.setValue(key, ascii ? std::optional<std::string>(value) : std::nullopt);
}

}  // namespace

void myitoa(const unsigned char* source, char* destination, std::uint32_t count) {
  if (!destination) return;
  if (!source) count = 0;
  platform::writeHex(source, count, destination);
}

bool myatoi(const char* source, unsigned char* destination, std::uint32_t count) {
  if (!destination) return false;
  destination[0] = 0;
  if (!source || count % 2 != 0) return false;

  // Check every digit first, so that a damaged value leaves no partial bytes behind.
  for (std::uint32_t i = 0; i < count; ++i)
    if (platform::hexValue(source[i]) < 0) return false;
  for (std::size_t i = 0; i < count; i += 2)
    destination[i / 2] =
        static_cast<unsigned char>(platform::hexValue(source[i]) << 4 | platform::hexValue(source[i + 1]));
  destination[count / 2] = 0;
  return true;
}

int formatSpoolTime(char* destination, const SpoolTimeFields& fields) {
  if (!destination) return 0;
  static constexpr const char* kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* weekday = fields.dayOfWeek >= 1 && fields.dayOfWeek <= 7 ? kWeekdays[fields.dayOfWeek - 1] : "Mon";
  const char* month = fields.month >= 1 && fields.month <= 12 ? kMonths[fields.month - 1] : "Jan";

  // The zone as hhmm with the sign of the offset: -12600 s gives -0330.
  const long offset = static_cast<long>(fields.utcOffsetSeconds);
  const long zone = offset / 3600 * 100 + offset % 3600 / 60;
  const int written = std::snprintf(destination, kSpoolTimeSize, "%s, %d %s %04d %02d:%02d:%02d %+05ld", weekday,
                                    fields.day, month, fields.year, fields.hour, fields.minute,
                                    static_cast<int>(fields.second), zone);
  if (written < 0) {
    destination[0] = '\0';
    return 0;
  }
  return written < static_cast<int>(kSpoolTimeSize) ? written : static_cast<int>(kSpoolTimeSize) - 1;
}

int GetSpoolTime(char* destination, std::chrono::system_clock::time_point when, long utcOffsetSeconds) {
  if (!destination) return 0;

  // The local calendar is the UTC calendar of the moment shifted by the zone's offset.
  const auto seconds = std::chrono::floor<std::chrono::seconds>(when);
  const std::time_t local = static_cast<std::time_t>(seconds.time_since_epoch().count() + utcOffsetSeconds);
  std::tm calendar{};
  if (!gmtime_r(&local, &calendar)) {
    destination[0] = '\0';
    return 0;
  }

  SpoolTimeFields fields;
  fields.year = calendar.tm_year + 1900;
  fields.month = calendar.tm_mon + 1;
  fields.day = calendar.tm_mday;
  fields.hour = calendar.tm_hour;
  fields.minute = calendar.tm_min;
  fields.second = calendar.tm_sec;
  fields.dayOfWeek = calendar.tm_wday == 0 ? 7 : calendar.tm_wday;  // Monday first, Sunday 7
  fields.utcOffsetSeconds = static_cast<double>(utcOffsetSeconds);
  return formatSpoolTime(destination, fields);
}

int GetSpoolTime(char* destination) {
  if (!destination) return 0;
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  const long offset = localtime_r(&t, &local) ? local.tm_gmtoff : 0;
  return GetSpoolTime(destination, now, offset);
}

void ReplaceSpaceCode(char* bytes, long count) {
  if (!bytes) return;
  for (long i = 0; i < count; ++i) {
    if (isBlanked(static_cast<unsigned char>(bytes[i]))) bytes[i] = ' ';
  }
}

std::string blankedBytes(std::string bytes) {
  ReplaceSpaceCode(bytes.data(), static_cast<long>(bytes.size()));
  return bytes;
}

platform::Text blankedText(const platform::Text& text) {
  if (text.isNone()) return text;
  std::u16string units = text.utf16();
  for (char16_t& u : units) {
    if (isBlanked(u)) u = u' ';
  }
  return platform::Text::fromUtf16(std::move(units));
}

bool encodingWindowsLatin1(platform::CFStringEncoding encoding) {
  switch (encoding) {
    case platform::kCFStringEncodingMacJapanese:
    case platform::kCFStringEncodingMacChineseTrad:
    case platform::kCFStringEncodingMacKorean:
    case platform::kCFStringEncodingMacChineseSimp:
      return false;
    default:
      return true;
  }
}

bool encodingWindowsLatin1() { return encodingWindowsLatin1(platform::systemEncoding()); }

void MyPMPrintSetAsciiCStrValue(platform::PrintSettings* settings, const platform::Text& key, const char* value) {
  if (!settings || key.isNone()) return;
  storeAscii(*settings, key.utf8(), value);
}

void setAsciiValue(platform::PrintSettings* settings, const std::string& key, const char* value) {
  if (settings) storeAscii(*settings, key, value);
}

void MyMultiPMPrintSetAsciiCStrValue(platform::PrintSettings* settings, const char* prefix, const char* value) {
  if (!settings || !prefix) return;
  const std::size_t prefixLength = std::strlen(prefix);
  if (prefixLength == 0 || prefixLength > 98) return;
  const auto keyAt = [&](std::size_t index) { return std::string(prefix) + std::to_string(index); };

  settings->setValue(keyAt(1), std::nullopt);
  if (!value || *value == '\0') return;

  // Readers stop at the first absent index, so the key after the last chunk must go.
  const std::size_t length = std::strlen(value);
  const std::size_t chunks = (length + kFamilyChunkLength - 1) / kFamilyChunkLength;
  for (std::size_t i = 2; i <= chunks + 1; ++i) settings->setValue(keyAt(i), std::nullopt);
  for (std::size_t i = 1; i <= chunks; ++i) {
    const std::size_t start = (i - 1) * kFamilyChunkLength;
    const std::string chunk(value + start, std::min(kFamilyChunkLength, length - start));
    storeAscii(*settings, keyAt(i), chunk.c_str());
  }
}

// Value encodings of the print-settings keys: hex text, the job's spool-time stamp, blanking of control
// characters, the choice of the Western code page, and writing ASCII values under one key or a numbered
// key family. Every buffer belongs to the caller.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/hex.h"
#include "platform/printcore.h"
#include "platform/text.h"

inline constexpr std::size_t kSpoolTimeSize = 64;        // spool-time buffer, terminator included
inline constexpr std::size_t kSpoolTimeKeyLength = 16;   // trailing characters that form the job's key
inline constexpr std::size_t kFamilyChunkLength = 254;   // characters per key of a numbered family

// Writes the hex text of `count` bytes of `source` (two uppercase digits per byte, high nibble first)
// and a terminator into `destination`, which holds 2 * count + 1 bytes.
void myitoa(const unsigned char* source, char* destination, std::uint32_t count);

// Decodes `count` characters of hex text (digits 0-9, A-F or a-f) into `destination`, which holds
// count / 2 + 1 bytes, and appends a zero byte. Reads nothing past `count`. Returns false for a damaged
// value (an odd count or a character that is no hex digit): `destination` then holds only the zero
// byte, so that callers treat the value as absent.
bool myatoi(const char* source, unsigned char* destination, std::uint32_t count);

// The hex text of bytes in myitoa's form, and back (platform/hex.h).
using platform::hexBytes;
using platform::hexText;

// The calendar fields of one moment as the spool-time text shows them. dayOfWeek counts 1 = Monday to
// 7 = Sunday, month 1 to 12; numbers outside those ranges show as Mon and Jan. utcOffsetSeconds is
// positive east of GMT.
struct SpoolTimeFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  double second = 0;
  int dayOfWeek = 0;
  double utcOffsetSeconds = 0;
};

// Formats the fields as "Tue, 5 Mar 2024 09:07:03 +0530" into `destination` (kSpoolTimeSize bytes).
// Returns the number of characters written.
int formatSpoolTime(char* destination, const SpoolTimeFields& fields);

// The spool-time text of `when` in a zone `utcOffsetSeconds` east of GMT, into `destination`
// (kSpoolTimeSize bytes). Returns the number of characters written.
int GetSpoolTime(char* destination, std::chrono::system_clock::time_point when, long utcOffsetSeconds);

// The spool-time text of the current moment in the system's time zone.
int GetSpoolTime(char* destination);

// Turns, in place, every byte 0x01-0x08, 0x0A-0x1F and '"' among the first `count` bytes into a space.
// Zero bytes and TAB stay. A count of 0 or less does nothing.
void ReplaceSpaceCode(char* bytes, long count);

// A copy of the bytes blanked as ReplaceSpaceCode does.
std::string blankedBytes(std::string bytes);

// The text with the same characters blanked, UTF-16 unit by unit. None stays none.
platform::Text blankedText(const platform::Text& text);

// True unless the encoding is one of the East-Asian Mac encodings (Japanese, Traditional Chinese,
// Korean, Simplified Chinese), whose texts the Western code page cannot carry.
bool encodingWindowsLatin1(platform::CFStringEncoding encoding);
// The same for the system's default encoding.
bool encodingWindowsLatin1();

// Stores the zero-terminated `value` under `key` as an ASCII string value. A missing or empty value, or
// one with a byte above 0x7F, removes the key. No settings or no key (none): nothing happens.
void MyPMPrintSetAsciiCStrValue(platform::PrintSettings* settings, const platform::Text& key, const char* value);
// The same with the key as UTF-8 bytes, for callers that have it so: no conversion to a text and back.
void setAsciiValue(platform::PrintSettings* settings, const std::string& key, const char* value);

// Stores `value` as a numbered key family: chunks of at most 254 characters under prefix + "1",
// prefix + "2", ..., the key after the last chunk removed. A missing or empty value removes only
// prefix + "1", which empties the family. No settings, or a missing, empty or longer than 98 characters
// prefix: nothing happens.
void MyMultiPMPrintSetAsciiCStrValue(platform::PrintSettings* settings, const char* prefix, const char* value);

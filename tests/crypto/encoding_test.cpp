#include "settings/encoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace {

using namespace std::chrono;
using platform::PrintSettings;

std::string hex(const std::string& bytes) {
  std::string out(2 * bytes.size() + 1, '\x7F');
  myitoa(reinterpret_cast<const unsigned char*>(bytes.data()), out.data(), static_cast<std::uint32_t>(bytes.size()));
  EXPECT_EQ(out.back(), '\0');
  out.pop_back();
  return out;
}

// Decodes from a heap copy without terminator or slack, so that a read past the count is reported.
std::optional<std::string> unhex(const std::string& text) {
  auto source = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(source.get(), text.data(), text.size());
  std::vector<unsigned char> out(text.size() / 2 + 1, 0x7F);
  if (!myatoi(source.get(), out.data(), static_cast<std::uint32_t>(text.size()))) {
    EXPECT_EQ(out[0], 0);
    return std::nullopt;
  }
  EXPECT_EQ(out[text.size() / 2], 0);
  return std::string(out.begin(), out.begin() + static_cast<long>(text.size() / 2));
}

TEST(Hex, EncodesHighNibbleFirstInUppercase) {
  const struct {
    std::string bytes;
    const char* text;
  } cases[] = {{std::string("\x00\xAB\x7F", 3), "00AB7F"}, {"", ""}, {"AB", "4142"},
               {"*standard", "2A7374616E64617264"}, {"\xFF\x10", "FF10"}};
  for (const auto& c : cases) {
    EXPECT_EQ(hex(c.bytes), c.text);
    EXPECT_EQ(unhex(c.text), c.bytes) << c.text;
  }
}

TEST(Hex, EveryByteRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  EXPECT_EQ(unhex(hex(bytes)), bytes);
  EXPECT_EQ(unhex("4a6b"), "Jk");  // lower-case digits are still hex digits
}

TEST(Hex, DamagedValuesAreReportedNotGuessed) {
  for (const char* damaged : {"414", "4", "4G", "G4", "41 2", "0x41", "41-2", "4142zz", "\xC3\xA9"}) {
    EXPECT_EQ(unhex(damaged), std::nullopt) << damaged;
  }
  // Only the given count is read: a value followed by garbage decodes by its count.
  unsigned char out[3] = {0x7F, 0x7F, 0x7F};
  EXPECT_TRUE(myatoi("4142ZZ", out, 4));
  EXPECT_STREQ(reinterpret_cast<const char*>(out), "AB");
}

TEST(ReplaceSpaceCode, BlanksControlCharactersAndQuotesOnly) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  ReplaceSpaceCode(bytes.data(), static_cast<long>(bytes.size()));
  for (int i = 0; i < 256; ++i) {
    const bool blanked = (i >= 0x01 && i <= 0x08) || (i >= 0x0A && i <= 0x1F) || i == '"';
    EXPECT_EQ(static_cast<unsigned char>(bytes[i]), blanked ? ' ' : i) << i;
  }

  std::string mixed("\r\n\t\"\0x\n", 7);
  ReplaceSpaceCode(mixed.data(), 6);  // the count, not a zero byte, ends the pass
  EXPECT_EQ(mixed, std::string("  \t \0x\n", 7));
  for (long count : {0L, -1L}) {
    std::string untouched = "\n\"";
    ReplaceSpaceCode(untouched.data(), count);
    EXPECT_EQ(untouched, "\n\"");
  }
}

TEST(EncodingWindowsLatin1, FalseOnlyForEastAsianMacEncodings) {
  const struct {
    platform::CFStringEncoding encoding;
    bool latin1;
  } cases[] = {{platform::kCFStringEncodingMacRoman, true},       {platform::kCFStringEncodingMacJapanese, false},
               {platform::kCFStringEncodingMacChineseTrad, false}, {platform::kCFStringEncodingMacKorean, false},
               {platform::kCFStringEncodingMacChineseSimp, false}, {platform::kCFStringEncodingWindowsLatin1, true},
               {platform::kCFStringEncodingUTF8, true},            {platform::kCFStringEncodingASCII, true}};
  for (const auto& c : cases) EXPECT_EQ(encodingWindowsLatin1(c.encoding), c.latin1) << c.encoding;
}

// --- spool time

std::string spoolTime(sys_seconds utc, long offset, milliseconds extra = {}) {
  char text[kSpoolTimeSize];
  std::memset(text, 0x7F, sizeof text);
  const int n = GetSpoolTime(text, system_clock::time_point(utc + extra), offset);
  EXPECT_EQ(n, static_cast<int>(std::strlen(text)));
  return text;
}

TEST(SpoolTime, FixedInstantsInSeveralZones) {
  const sys_seconds tuesday = sys_days{2024y / March / 5} + 9h + 7min + 3s;
  const sys_seconds newYear = sys_days{2023y / December / 31} + 23h + 59min + 59s;
  const struct {
    sys_seconds utc;
    long offset;
    const char* text;
  } cases[] = {
      {tuesday, 0, "Tue, 5 Mar 2024 09:07:03 +0000"},
      {tuesday, 5 * 3600 + 30 * 60, "Tue, 5 Mar 2024 14:37:03 +0530"},
      {tuesday, -(3 * 3600 + 30 * 60), "Tue, 5 Mar 2024 05:37:03 -0330"},
      {tuesday, -10 * 3600, "Mon, 4 Mar 2024 23:07:03 -1000"},
      {tuesday, 14 * 3600, "Tue, 5 Mar 2024 23:07:03 +1400"},
      {newYear, 5 * 3600 + 30 * 60, "Mon, 1 Jan 2024 05:29:59 +0530"},
      {newYear, 0, "Sun, 31 Dec 2023 23:59:59 +0000"},
      {sys_days{2024y / February / 29} + 12h, 9 * 3600, "Thu, 29 Feb 2024 21:00:00 +0900"},
  };
  for (const auto& c : cases) EXPECT_EQ(spoolTime(c.utc, c.offset), c.text);

  // Fractions of a second are cut, never rounded up.
  EXPECT_EQ(spoolTime(tuesday, 0, 999ms), "Tue, 5 Mar 2024 09:07:03 +0000");
}

TEST(SpoolTime, EveryWeekdayAndMonthName) {
  const char* weekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  for (int i = 0; i < 7; ++i) {
    const std::string text = spoolTime(sys_days{2024y / January / (1 + i)}, 0);  // 1 Jan 2024 was a Monday
    EXPECT_EQ(text.substr(0, 3), weekdays[i]);
  }
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (unsigned m = 1; m <= 12; ++m) {
    const std::string text = spoolTime(sys_days{2024y / month{m} / 10}, 0);
    EXPECT_EQ(text.substr(text.find(' ', 5) + 1, 3), months[m - 1]);
  }
}

TEST(SpoolTime, OutOfRangeWeekdayAndMonthFallBack) {
  const struct {
    int dayOfWeek;
    int month;
    const char* text;
  } cases[] = {{0, 0, "Mon, 7 Jan 2024 08:09:10 +0000"},
               {8, 13, "Mon, 7 Jan 2024 08:09:10 +0000"},
               {-1, -5, "Mon, 7 Jan 2024 08:09:10 +0000"},
               {7, 12, "Sun, 7 Dec 2024 08:09:10 +0000"},
               {1, 1, "Mon, 7 Jan 2024 08:09:10 +0000"}};
  for (const auto& c : cases) {
    SpoolTimeFields fields;
    fields.year = 2024;
    fields.month = c.month;
    fields.day = 7;
    fields.hour = 8;
    fields.minute = 9;
    fields.second = 10.75;
    fields.dayOfWeek = c.dayOfWeek;
    char text[kSpoolTimeSize];
    formatSpoolTime(text, fields);
    EXPECT_STREQ(text, c.text);
  }
}

TEST(SpoolTime, ZoneOffsetsAreTruncatedTowardZero) {
  const struct {
    double offset;
    const char* zone;
  } cases[] = {{0, "+0000"},        {19800, "+0530"},  {-12600, "-0330"}, {19800.9, "+0530"},
               {-12600.9, "-0330"}, {20759, "+0545"}, {-59, "+0000"},    {3600 * 12 + 2700, "+1245"}};
  for (const auto& c : cases) {
    SpoolTimeFields fields{2024, 3, 5, 9, 7, 3, 2, c.offset};
    char text[kSpoolTimeSize];
    formatSpoolTime(text, fields);
    EXPECT_EQ(std::string(text).substr(std::strlen(text) - 5), c.zone) << c.offset;
  }
}

TEST(SpoolTime, CurrentMomentUsesSystemZone) {
  char text[kSpoolTimeSize] = {};
  {
    const testsupport::EnvOverride zone("TZ", "IST-5:30");
    tzset();
    GetSpoolTime(text);
  }
  tzset();

  const std::string s = text;
  ASSERT_GE(s.size(), kSpoolTimeKeyLength);
  EXPECT_LE(s.size(), 31u);
  EXPECT_EQ(s.substr(s.size() - 6), " +0530");
  EXPECT_EQ(s.substr(3, 2), ", ");
}

// --- print settings

constexpr const char* kPrefix = "ondrix.print.PrintSettings.loginName1";

std::optional<std::string> at(const PrintSettings& settings, int index) {
  return settings.getValue(std::string(kPrefix) + std::to_string(index));
}

TEST(SingleValue, StoresAsciiAndRemovesTheRest) {
  const auto key = platform::Text::fromUtf8("ondrix.print.PrintSettings.jobName");
  const struct {
    const char* value;
    std::optional<std::string> stored;
  } cases[] = {{"4142", "4142"}, {"", std::nullopt}, {nullptr, std::nullopt}, {"caf\xC3\xA9", std::nullopt},
               {"\x7F", "\x7F"}, {"tab\tok", "tab\tok"}};
  for (const auto& c : cases) {
    PrintSettings settings;
    settings.setValue(key.utf8(), "old");
    MyPMPrintSetAsciiCStrValue(&settings, key, c.value);
    EXPECT_EQ(settings.getValue(key.utf8()), c.stored) << (c.value ? c.value : "(null)");
  }

  PrintSettings settings;
  settings.setValue("x", "old");
  MyPMPrintSetAsciiCStrValue(&settings, platform::Text(), "new");  // no key: nothing happens
  MyPMPrintSetAsciiCStrValue(nullptr, key, "new");
  EXPECT_EQ(settings.values().size(), 1u);
}

TEST(NumberedFamily, SplitsIntoChunksAndEndsWithAnAbsentKey) {
  const struct {
    std::size_t length;
    std::vector<std::size_t> chunks;
  } cases[] = {{600, {254, 254, 92}}, {254, {254}}, {255, {254, 1}}, {1, {1}}, {508, {254, 254}}, {3058, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.length);
    std::string value;
    for (std::size_t i = 0; i < c.length; ++i) value.push_back(static_cast<char>('A' + i % 26));
    std::vector<std::size_t> chunks = c.chunks;
    if (chunks.empty()) {
      for (std::size_t left = c.length; left > 0; left -= std::min<std::size_t>(left, 254))
        chunks.push_back(std::min<std::size_t>(left, 254));
    }

    // An earlier, longer value left chunks behind.
    PrintSettings settings;
    for (int i = 1; i <= 20; ++i) settings.setValue(std::string(kPrefix) + std::to_string(i), "stale");
    MyMultiPMPrintSetAsciiCStrValue(&settings, kPrefix, value.c_str());

    std::string joined;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
      const auto chunk = at(settings, static_cast<int>(i + 1));
      ASSERT_TRUE(chunk);
      EXPECT_EQ(chunk->size(), chunks[i]);
      joined += *chunk;
    }
    EXPECT_EQ(joined, value);
    EXPECT_EQ(at(settings, static_cast<int>(chunks.size() + 1)), std::nullopt);
    // Beyond the end marker old chunks may stay: readers never get there.
    if (chunks.size() + 2 <= 20) {
      EXPECT_EQ(at(settings, static_cast<int>(chunks.size() + 2)), "stale");
    }
  }
}

TEST(NumberedFamily, EmptyValueAndBadPrefixes) {
  PrintSettings settings;
  settings.setValue(std::string(kPrefix) + "1", "a");
  settings.setValue(std::string(kPrefix) + "2", "b");
  MyMultiPMPrintSetAsciiCStrValue(&settings, kPrefix, "");
  EXPECT_EQ(at(settings, 1), std::nullopt);
  EXPECT_EQ(at(settings, 2), "b");  // the family is empty once its first key is gone
  MyMultiPMPrintSetAsciiCStrValue(&settings, kPrefix, nullptr);
  EXPECT_EQ(at(settings, 1), std::nullopt);

  const std::string longest(98, 'p');
  const std::string tooLong(99, 'p');
  PrintSettings other;
  MyMultiPMPrintSetAsciiCStrValue(&other, tooLong.c_str(), "value");
  MyMultiPMPrintSetAsciiCStrValue(&other, "", "value");
  MyMultiPMPrintSetAsciiCStrValue(&other, nullptr, "value");
  MyMultiPMPrintSetAsciiCStrValue(nullptr, kPrefix, "value");
  EXPECT_TRUE(other.values().empty());
  MyMultiPMPrintSetAsciiCStrValue(&other, longest.c_str(), "value");
  EXPECT_EQ(other.getValue(longest + "1"), "value");
}

TEST(NumberedFamily, NonAsciiChunkIsRemoved) {
  PrintSettings settings;
  std::string value(254, 'a');
  value += "\xC3\xA9";
  MyMultiPMPrintSetAsciiCStrValue(&settings, kPrefix, value.c_str());
  EXPECT_EQ(at(settings, 1), std::string(254, 'a'));
  EXPECT_EQ(at(settings, 2), std::nullopt);
}

}  // namespace

// Encodings: byte conversions at their limits (loss byte, byte limit, surrogates), the East-Asian fallback
// encodings, strict ASCII, the two numberings and the locale table of the system encoding.
#include "platform/encoding.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "support/scratch.h"

namespace {

using namespace platform;

constexpr CFStringEncoding kUnknownEncoding = 0x1234;

TEST(Encoding, GetBytesAtItsLimits) {
  struct Case {
    const char* name;
    std::u16string text;
    std::size_t location;
    std::size_t count;
    CFStringEncoding encoding;
    std::uint8_t lossByte;
    std::size_t maxBytes;
    std::size_t unitsConverted;
    std::string bytes;
  };
  constexpr std::size_t kAll = 100;
  const Case cases[] = {
      // Western encodings, including the code points that differ between them.
      {"mac roman", u"café€", 0, kAll, kCFStringEncodingMacRoman, 0, kAll, 5, "caf\x8E\xDB"},
      {"windows-1252 specials", u"€‚Ÿœ™", 0, kAll, kCFStringEncodingWindowsLatin1, 0, kAll, 5,
       "\x80\x82\x9F\x9C\x99"},
      {"windows-1252 without CJK, spaces", u"a日b", 0, kAll, kCFStringEncodingWindowsLatin1, ' ', kAll, 3,
       "a b"},
      {"latin-1 has no euro", u"é€", 0, kAll, kCFStringEncodingISOLatin1, 0, kAll, 1, "\xE9"},

      // Loss modes: stop before the character, or replace it.
      {"stop at the first unconvertible", u"a日b", 0, kAll, kCFStringEncodingMacRoman, 0, kAll, 1, "a"},
      {"unconvertible first character", u"日b", 0, kAll, kCFStringEncodingMacRoman, 0, kAll, 0, ""},
      {"loss byte replaces each", u"a日本b", 0, kAll, kCFStringEncodingMacRoman, '?', kAll, 4, "a??b"},
      {"ascii fails above 0x7F", u"abcé", 0, kAll, kCFStringEncodingASCII, 0, kAll, 3, "abc"},
      {"ascii with loss byte", u"abcé", 0, kAll, kCFStringEncodingASCII, '?', kAll, 4, "abc?"},

      // Byte limit: the character that would not fit is left out whole.
      {"limit inside a two-byte character", u"é日", 0, kAll, kCFStringEncodingUTF8, 0, 4, 1, "\xC3\xA9"},
      {"limit exactly reached", u"é日", 0, kAll, kCFStringEncodingUTF8, 0, 5, 2, "\xC3\xA9\xE6\x97\xA5"},
      {"limit zero", u"abc", 0, kAll, kCFStringEncodingUTF8, 0, 0, 0, ""},
      {"loss byte past the limit", u"ab€", 0, kAll, kCFStringEncodingASCII, '?', 2, 2, "ab"},
      {"shift-jis double byte at the limit", u"日本", 0, kAll, kCFStringEncodingMacJapanese, 0, 3, 1,
       "\x93\xFA"},

      // A surrogate pair is one character; an unpaired half is never convertible.
      {"pair does not fit", u"a\U0001F600", 0, kAll, kCFStringEncodingUTF8, 0, 4, 1, "a"},
      {"pair fits", u"a\U0001F600", 0, kAll, kCFStringEncodingUTF8, 0, 5, 3, "a\xF0\x9F\x98\x80"},
      {"pair becomes one loss byte", u"a\U0001F600b", 0, kAll, kCFStringEncodingMacRoman, '?', kAll, 4, "a?b"},
      {"lone lead surrogate stops", u"a\xD800" "b", 0, kAll, kCFStringEncodingUTF8, 0, kAll, 1, "a"},
      {"lone lead surrogate replaced", u"a\xD800" "b", 0, kAll, kCFStringEncodingUTF8, ' ', kAll, 3, "a b"},
      {"lone trail surrogate stops", u"\xDC00" "b", 0, kAll, kCFStringEncodingUTF8, 0, kAll, 0, ""},
      {"range cuts a pair", u"\U0001F600", 0, 1, kCFStringEncodingUTF8, 0, kAll, 0, ""},
      {"range cuts a pair, replaced", u"\U0001F600", 0, 1, kCFStringEncodingUTF8, '?', kAll, 1, "?"},

      // Ranges are clamped to the text.
      {"inner range", u"abcd", 1, 2, kCFStringEncodingMacRoman, 0, kAll, 2, "bc"},
      {"count past the end", u"abcd", 2, kAll, kCFStringEncodingMacRoman, 0, kAll, 2, "cd"},
      {"location past the end", u"abcd", 7, 2, kCFStringEncodingMacRoman, 0, kAll, 0, ""},

      // The East-Asian system encodings, and the Mac Japanese fallback with spaces.
      {"mac japanese kanji", u"日本", 0, kAll, kCFStringEncodingMacJapanese, ' ', kAll, 2, "\x93\xFA\x96\x7B"},
      {"mac japanese half-width katakana", u"ｱｲ", 0, kAll, kCFStringEncodingMacJapanese, ' ', kAll, 2,
       "\xB1\xB2"},
      {"mac japanese without euro or emoji", u"a€\U0001F600b", 0, kAll, kCFStringEncodingMacJapanese, ' ',
       kAll, 5, "a  b"},
      {"mac japanese hangul stops", u"日한", 0, kAll, kCFStringEncodingMacJapanese, 0, kAll, 1, "\x93\xFA"},
      {"traditional chinese", u"中文", 0, kAll, kCFStringEncodingMacChineseTrad, 0, kAll, 2, "\xA4\xA4\xA4\xE5"},
      {"korean", u"한국", 0, kAll, kCFStringEncodingMacKorean, 0, kAll, 2, "\xC7\xD1\xB1\xB9"},
      {"simplified chinese", u"中文", 0, kAll, kCFStringEncodingMacChineseSimp, 0, kAll, 2, "\xD6\xD0\xCE\xC4"},
      {"shift-jis by its own number", u"日", 0, kAll, kCFStringEncodingShiftJIS, 0, kAll, 1, "\x93\xFA"},

      {"unknown encoding converts nothing", u"abc", 0, kAll, kUnknownEncoding, '?', kAll, 0, ""},
  };
  for (const Case& c : cases) {
    const ConvertedBytes out =
        getBytes(Text::fromUtf16(c.text), c.location, c.count, c.encoding, c.lossByte, c.maxBytes);
    EXPECT_EQ(out.unitsConverted, c.unitsConverted) << c.name;
    EXPECT_EQ(out.bytes, c.bytes) << c.name;
  }

  EXPECT_EQ(getBytes(Text(), 0, kAll, kCFStringEncodingUTF8, '?', kAll).unitsConverted, 0u);
}

TEST(Encoding, WholeTextConversion) {
  struct Case {
    const char* name;
    Text text;
    CFStringEncoding encoding;
    std::optional<std::string> bytes;
  };
  const Case cases[] = {
      {"ascii", Text::fromUtf8("Job"), kCFStringEncodingASCII, "Job"},
      {"ascii refuses", Text::fromUtf8("Jób"), kCFStringEncodingASCII, std::nullopt},
      {"empty text", Text::empty(), kCFStringEncodingASCII, ""},
      {"none", Text(), kCFStringEncodingASCII, std::nullopt},
      {"unknown encoding", Text::empty(), kUnknownEncoding, std::nullopt},
      {"lone surrogate", Text::fromUtf16(u"a\xDBFF"), kCFStringEncodingUTF8, std::nullopt},
      {"mac roman", Text::fromUtf8("Grüße"), kCFStringEncodingMacRoman, "Gr\x9F\xA7" "e"},
  };
  for (const Case& c : cases) EXPECT_EQ(getCString(c.text, c.encoding), c.bytes) << c.name;
}

TEST(Encoding, TextFromBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    CFStringEncoding encoding;
    Text expected;
  };
  const Case cases[] = {
      {"ascii", "abc", kCFStringEncodingASCII, Text::fromUtf8("abc")},
      {"ascii refuses 0x80", "ab\x80", kCFStringEncodingASCII, Text()},
      {"ascii refuses 0xFF", "\xFF", kCFStringEncodingASCII, Text()},
      {"empty bytes give an empty text", "", kCFStringEncodingASCII, Text::empty()},
      {"ends at a zero byte", std::string("ab\0\xFF", 4), kCFStringEncodingASCII, Text::fromUtf8("ab")},
      {"utf-8", "\xE6\x97\xA5", kCFStringEncodingUTF8, Text::fromUtf16(u"日")},
      {"utf-8 refuses malformed", "a\xC3", kCFStringEncodingUTF8, Text()},
      {"mac roman", "\x8E\xDB", kCFStringEncodingMacRoman, Text::fromUtf16(u"é€")},
      {"windows-1252", "\x80\x99", kCFStringEncodingWindowsLatin1, Text::fromUtf16(u"€™")},
      {"mac japanese", "\x93\xFA\xB1", kCFStringEncodingMacJapanese, Text::fromUtf16(u"日ｱ")},
      {"mac japanese refuses a cut character", "\x93", kCFStringEncodingMacJapanese, Text()},
      {"unknown encoding", "abc", kUnknownEncoding, Text()},
  };
  for (const Case& c : cases) {
    const Text t = createWithBytes(c.bytes, c.encoding);
    EXPECT_EQ(t, c.expected) << c.name;
    EXPECT_EQ(t.isNone(), c.expected.isNone()) << c.name;
  }

  // The string-object identifiers of the PPD encodings reach the same converters.
  struct NSCase {
    NSStringEncoding encoding;
    std::string bytes;
    std::u16string units;
  };
  const NSCase nsCases[] = {
      {kNSMacOSRomanStringEncoding, "\x8E", u"é"},
      {kNSISOLatin1StringEncoding, "\xE9", u"é"},
      {kNSWindowsCP1252StringEncoding, "\x80", u"€"},
      {kNSShiftJISStringEncoding, "\x93\xFA", u"日"},
      {kNSUTF8StringEncoding, "\xC3\xA9", u"é"},
      {kNSASCIIStringEncoding, "e", u"e"},
  };
  for (const NSCase& c : nsCases)
    EXPECT_EQ(createWithBytesNS(c.bytes, c.encoding).utf16(), c.units) << c.encoding;
  EXPECT_TRUE(createWithBytesNS("e", 0).isNone());
}

TEST(Encoding, RoundTripThroughEachEncoding) {
  struct Case {
    CFStringEncoding encoding;
    std::u16string text;
  };
  const Case cases[] = {
      {kCFStringEncodingMacRoman, u"Ablage: Grüße, 5 €"},
      {kCFStringEncodingWindowsLatin1, u"Ablage: Grüße, 5 €"},
      {kCFStringEncodingISOLatin1, u"Ablage: Grüße"},
      {kCFStringEncodingMacJapanese, u"ジョブ名 ｼﾞｮﾌﾞ abc"},
      {kCFStringEncodingMacChineseTrad, u"工作名稱"},
      {kCFStringEncodingMacKorean, u"작업 이름"},
      {kCFStringEncodingMacChineseSimp, u"作业名称"},
      {kCFStringEncodingUTF8, u"Job \U0001F5A8 名"},
      {kCFStringEncodingASCII, u"Job 42"},
  };
  for (const Case& c : cases) {
    const Text text = Text::fromUtf16(c.text);
    const std::optional<std::string> bytes = getCString(text, c.encoding);
    ASSERT_TRUE(bytes.has_value()) << c.encoding;
    EXPECT_EQ(createWithBytes(*bytes, c.encoding), text) << c.encoding;
  }
}

// ICU's converter for an encoding, stopping at the first unconvertible character: what every conversion
// went through before the single-byte tables and UTF-8 took their own paths.
class IcuReference {
 public:
  explicit IcuReference(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    converter_.reset(ucnv_open(name, &status));
    ucnv_setFromUCallBack(converter_.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setToUCallBack(converter_.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    EXPECT_TRUE(U_SUCCESS(status)) << name;
  }
  std::optional<std::string> bytes(const std::u16string& units) const {
    char out[16];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter_.get());
    const int32_t n = ucnv_fromUChars(converter_.get(), out, sizeof out, units.data(),
                                      static_cast<int32_t>(units.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    return std::string(out, static_cast<std::size_t>(n));
  }
  std::optional<std::u16string> text(const std::string& bytes) const {
    std::u16string units(2 * bytes.size() + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    ucnv_resetToUnicode(converter_.get());
    const int32_t n = ucnv_toUChars(converter_.get(), units.data(), static_cast<int32_t>(units.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    units.resize(static_cast<std::size_t>(n));
    return units;
  }

 private:
  struct Closer {
    void operator()(UConverter* c) const { ucnv_close(c); }
  };
  std::unique_ptr<UConverter, Closer> converter_;
};

// Every character and every byte converts as ICU's converter converts it: the same bytes, no bytes for
// ignorable characters, a stop where ICU stops; for UTF-8 also ill-formed and cut-off sequences.
TEST(Encoding, SingleByteEncodingsAndUtf8ConvertAsIcusConverters) {
  const std::pair<CFStringEncoding, const char*> encodings[] = {
      {kCFStringEncodingMacRoman, "macintosh"}, {kCFStringEncodingWindowsLatin1, "windows-1252"},
      {kCFStringEncodingISOLatin1, "ISO-8859-1"}, {kCFStringEncodingASCII, "US-ASCII"},
      {kCFStringEncodingUTF8, "UTF-8"}};
  for (const auto& [encoding, name] : encodings) {
    const IcuReference icu(name);
    int differences = 0;
    for (UChar32 c = 0; c <= 0x10FFFF && differences < 5; c += c < 0x10000 ? 1 : 61) {
      if (U_IS_SURROGATE(c)) continue;
      std::u16string units;
      units.push_back(static_cast<char16_t>(c <= 0xFFFF ? c : U16_LEAD(c)));
      if (c > 0xFFFF) units.push_back(static_cast<char16_t>(U16_TRAIL(c)));
      const ConvertedBytes ours = getBytes(Text::fromUtf16(units), 0, units.size(), encoding, 0,
                                           std::numeric_limits<std::size_t>::max());
      const std::optional<std::string> expected = icu.bytes(units);
      const bool same = expected ? ours.unitsConverted == units.size() && ours.bytes == *expected
                                 : ours.unitsConverted == 0 && ours.bytes.empty();
      if (!same) ++differences;
      EXPECT_TRUE(same) << name << " U+" << std::hex << c;
    }
    for (int byte = 1; byte < 256; ++byte) {
      const std::string bytes(1, static_cast<char>(byte));
      const auto expected = icu.text(bytes);
      const Text ours = createWithBytes(bytes, encoding);
      EXPECT_EQ(ours.isNone(), !expected) << name << " byte " << byte;
      if (expected && !ours.isNone()) {
        EXPECT_EQ(ours.utf16(), *expected) << name << " byte " << byte;
      }
    }
  }

  // UTF-8 sequences made of the bytes at the edges of its rules: leads, continuations, overlong and
  // surrogate forms, bytes past U+10FFFF, a byte-order mark.
  const unsigned char edges[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBB, 0xBF, 0xC0, 0xC1,
                                 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFE, 0xFF};
  const IcuReference icu("UTF-8");
  std::mt19937 random(15);
  int differences = 0;
  for (int i = 0; i < 20000 && differences < 5; ++i) {
    std::string bytes(1 + random() % 7, '\0');
    for (char& b : bytes) b = static_cast<char>(edges[random() % sizeof edges]);
    const auto expected = icu.text(bytes);
    const Text ours = createWithBytes(bytes, kCFStringEncodingUTF8);
    const bool same = expected ? !ours.isNone() && ours.utf16() == *expected : ours.isNone();
    if (!same) ++differences;
    EXPECT_TRUE(same) << testing::PrintToString(bytes);
  }
}

TEST(Encoding, TheTwoNumberings) {
  struct Case {
    CFStringEncoding cf;
    NSStringEncoding ns;
  };
  const Case cases[] = {
      {kCFStringEncodingMacRoman, 30},
      {kCFStringEncodingWindowsLatin1, 12},
      {kCFStringEncodingASCII, 1},
      {kCFStringEncodingUTF8, 4},
      {kCFStringEncodingISOLatin1, 5},
      {kCFStringEncodingShiftJIS, 8},
      {kCFStringEncodingMacJapanese, 0x80000001},
      {kCFStringEncodingMacChineseTrad, 0x80000002},
      {kCFStringEncodingMacKorean, 0x80000003},
      {kCFStringEncodingMacChineseSimp, 0x80000019},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toNSStringEncoding(c.cf), c.ns) << c.cf;
    EXPECT_EQ(toCFStringEncoding(c.ns), c.cf) << c.ns;
  }

  // Identifiers without a core-string number.
  for (NSStringEncoding ns : {NSStringEncoding{0}, NSStringEncoding{7}, NSStringEncoding{0x7FFFFFFF},
                              NSStringEncoding{0x80000000ULL + 0xFFFFFFFFULL}})
    EXPECT_EQ(toCFStringEncoding(ns), kCFStringEncodingInvalidId) << ns;
}

TEST(Encoding, SystemEncodingOfALocale) {
  struct Case {
    const char* locale;
    CFStringEncoding encoding;
  };
  const Case cases[] = {
      {"ja_JP.UTF-8", kCFStringEncodingMacJapanese},
      {"ja", kCFStringEncodingMacJapanese},
      {"ja_JP.eucJP@mod", kCFStringEncodingMacJapanese},
      {"zh_TW.UTF-8", kCFStringEncodingMacChineseTrad},
      {"zh_HK", kCFStringEncodingMacChineseTrad},
      {"zh_MO.Big5", kCFStringEncodingMacChineseTrad},
      {"zh-Hant-SG", kCFStringEncodingMacChineseTrad},
      {"zh_tw", kCFStringEncodingMacChineseTrad},
      {"zh_CN.UTF-8", kCFStringEncodingMacChineseSimp},
      {"zh_SG", kCFStringEncodingMacChineseSimp},
      {"zh-Hans-HK", kCFStringEncodingMacChineseSimp},
      {"zh", kCFStringEncodingMacChineseSimp},
      {"ko_KR.EUC-KR", kCFStringEncodingMacKorean},
      {"ko", kCFStringEncodingMacKorean},
      {"kok_IN", kCFStringEncodingMacRoman},  // Konkani, not Korean
      {"jam_JM", kCFStringEncodingMacRoman},
      {"en_US.UTF-8", kCFStringEncodingMacRoman},
      {"de_DE@euro", kCFStringEncodingMacRoman},
      {"C", kCFStringEncodingMacRoman},
      {"C.UTF-8", kCFStringEncodingMacRoman},
      {"POSIX", kCFStringEncodingMacRoman},
      {"", kCFStringEncodingMacRoman},
  };
  for (const Case& c : cases) EXPECT_EQ(systemEncodingForLocale(c.locale), c.encoding) << c.locale;
}

TEST(LocaleEnvironment, SystemEncodingTakesTheFirstNonEmptyVariable) {
  struct Case {
    std::optional<std::string> lcAll, lcCtype, lang;
    CFStringEncoding encoding;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, std::nullopt, kCFStringEncodingMacRoman},
      {std::nullopt, std::nullopt, "ja_JP.UTF-8", kCFStringEncodingMacJapanese},
      {std::nullopt, "ko_KR.UTF-8", "ja_JP.UTF-8", kCFStringEncodingMacKorean},
      {"zh_TW.UTF-8", "ko_KR.UTF-8", "ja_JP.UTF-8", kCFStringEncodingMacChineseTrad},
      {"", "", "zh_CN.UTF-8", kCFStringEncodingMacChineseSimp},
      {"C", "", "ja_JP.UTF-8", kCFStringEncodingMacRoman},
      {"", "en_US.UTF-8", "ja_JP.UTF-8", kCFStringEncodingMacRoman},
  };
  for (const Case& c : cases) {
    // Each case sets all three; the process's own values come back after it.
    const testsupport::EnvOverride lcAll("LC_ALL", c.lcAll), lcCtype("LC_CTYPE", c.lcCtype), lang("LANG", c.lang);
    EXPECT_EQ(systemEncoding(), c.encoding)
        << c.lcAll.value_or("-") << "/" << c.lcCtype.value_or("-") << "/" << c.lang.value_or("-");
  }
}

}  // namespace

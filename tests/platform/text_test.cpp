// Text: none against empty, the UTF-8 transforms at malformed input, and unit ranges.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::Text;
using platform::operator""_t;

TEST(Text, NoneAndEmptyStayDistinct) {
  const Text none;
  const Text empty = Text::empty();
  EXPECT_TRUE(none.isNone());
  EXPECT_FALSE(empty.isNone());
  EXPECT_NE(none, empty);
  EXPECT_LT(none, empty);

  // Both have no characters, whichever way one asks.
  for (const Text* t : {&none, &empty}) {
    EXPECT_TRUE(t->isEmpty());
    EXPECT_EQ(t->length(), 0u);
    EXPECT_EQ(t->utf16(), u"");
    EXPECT_EQ(t->utf8(), "");
  }

  // Empty bytes still give a text, as does an empty literal.
  EXPECT_EQ(Text::fromUtf8(""), empty);
  EXPECT_EQ(""_t, empty);
  EXPECT_EQ(Text::fromUtf16(u""), empty);
}

TEST(Text, Utf8ToUnits) {
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string units;
  };
  std::string allAscii;
  for (int byte = 0; byte < 0x80; ++byte) allAscii += static_cast<char>(byte);
  const Case cases[] = {
      {"ascii", "Job ID", u"Job ID"},
      {"two-byte", "Gr\xC3\xBC\xC3\x9F" "e", u"Grüße"},
      {"three-byte", "\xE6\x97\xA5\xE6\x9C\xAC", u"日本"},
      {"outside the BMP is a pair", "a\xF0\x9F\x98\x80" "b", u"a\U0001F600b"},
      {"zero byte kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"lone continuation byte", "a\x80" "b", u"a\uFFFDb"},
      {"byte never in UTF-8", "\xFF", u"\uFFFD"},
      {"truncated sequence at the end", "a\xE6\x97", u"a\uFFFD"},
      {"truncated sequence before ascii", "\xC3" "a", u"\uFFFDa"},
      {"overlong form", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"every ascii byte", allAscii, std::u16string(allAscii.begin(), allAscii.end())},
      {"the last ascii byte before a high one", "\x7F\x80", u"\x7F\uFFFD"},
  };
  for (const Case& c : cases) {
    const Text t = Text::fromUtf8(c.bytes);
    EXPECT_FALSE(t.isNone()) << c.name;
    EXPECT_EQ(t.utf16(), c.units) << c.name;
    EXPECT_EQ(t.length(), c.units.size()) << c.name;
  }
}

TEST(Text, UnitsToUtf8) {
  struct Case {
    const char* name;
    std::u16string units;
    std::string bytes;
  };
  const Case cases[] = {
      {"ascii", u"Printer", "Printer"},
      {"mixed", u"é日\U0001F600", "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80"},
      {"lone lead surrogate", u"a\xD800" "b", "a\xEF\xBF\xBD" "b"},
      {"lone trail surrogate at end", u"a\xDC00", "a\xEF\xBF\xBD"},
      {"swapped pair", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text::fromUtf16(c.units).utf8(), c.bytes) << c.name;
}

TEST(Text, SubstringClampsToTheText) {
  const Text text = Text::fromUtf16(u"ab\U0001F600c");  // 5 units
  struct Case {
    std::size_t location;
    std::size_t count;
    std::u16string units;
  };
  const Case cases[] = {
      {0, 2, u"ab"},
      {1, 100, u"b\U0001F600c"},
      {2, 1, u"\xD83D"},  // units, not characters: half a pair
      {4, 1, u"c"},
      {5, 1, u""},
      {9, 3, u""},
      {0, 0, u""},
      {0, static_cast<std::size_t>(-1), u"ab\U0001F600c"},
  };
  for (const Case& c : cases) {
    const Text sub = text.substring(c.location, c.count);
    EXPECT_FALSE(sub.isNone()) << c.location << "+" << c.count;
    EXPECT_EQ(sub.utf16(), c.units) << c.location << "+" << c.count;
  }
  EXPECT_TRUE(Text().substring(0, 3).isNone());
}

TEST(Text, ConcatenationTreatsNoneAsNoCharacters) {
  struct Case {
    Text left;
    Text right;
    Text expected;
  };
  const Case cases[] = {
      {"Pass Code"_t, ":"_t, "Pass Code:"_t},
      {Text(), ":"_t, ":"_t},
      {"a"_t, Text(), "a"_t},
      {Text::empty(), Text(), Text::empty()},
      {Text(), Text::empty(), Text::empty()},
      {Text(), Text(), Text()},
  };
  for (const Case& c : cases) {
    const Text joined = c.left + c.right;
    EXPECT_EQ(joined, c.expected) << c.left.utf8() << "+" << c.right.utf8();
    EXPECT_EQ(joined.isNone(), c.expected.isNone()) << c.left.utf8() << "+" << c.right.utf8();
  }
}

}  // namespace

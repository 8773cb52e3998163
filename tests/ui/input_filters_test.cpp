#include "ui/input_filters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::Text;

// Filters as the panel configures them, plus the two a caller could leave misconfigured.
struct Filters {
  Filters() {
    passCode.SetmaxCharactersCount(8);
    accountNumber.SetmaxCharactersCount(5);
    negative.SetmaxCharactersCount(-1);
    password.SetmaxCharactersCount(31);
  }
  MyIntegerNumberFilter passCode;
  MyIntegerNumberFilter accountNumber;
  MyIntegerNumberFilter unset;
  MyIntegerNumberFilter negative;
  MyRomanFilter password;
  LoginnameInputFilter loginName;
};

enum class Kind { replace, backspace };

// One edit as the toolkit reports it: the text before, its selection, and what replaces the selection
// (a keystroke or a paste), or a backspace at the caret.
struct Edit {
  const char* what;
  const ui::Formatter& filter;
  std::u16string original;
  ui::Range selection;
  Kind kind;
  std::u16string replacement;
  bool accepted;
};

bool judge(const Edit& e) {
  std::u16string partial = e.original;
  ui::Range proposed;
  if (e.kind == Kind::backspace) {
    partial.erase(e.selection.location - 1, 1);
    proposed = {e.selection.location - 1, 0};
  } else {
    partial.replace(e.selection.location, e.selection.length, e.replacement);
    proposed = {e.selection.location + e.replacement.size(), 0};
  }
  return e.filter.isPartialStringValid(Text::fromUtf16(partial), proposed, Text::fromUtf16(e.original),
                                       e.selection);
}

TEST(InputFiltersTest, EditsAreJudgedByFieldKind) {
  const Filters f;
  const std::u16string seven = u"1234567";
  const std::u16string eight = u"12345678";
  const std::u16string pw30(30, u'x');
  const std::u16string pw31(31, u'x');
  const Kind rep = Kind::replace;
  const Kind bs = Kind::backspace;
  const Edit edits[] = {
      // Keystrokes into a number field.
      {"first digit", f.passCode, u"", {0, 0}, rep, u"1", true},
      {"eighth digit", f.passCode, seven, {7, 0}, rep, u"8", true},
      {"ninth digit", f.passCode, eight, {8, 0}, rep, u"9", false},
      {"digit in the middle", f.passCode, u"1234", {2, 0}, rep, u"9", true},
      {"digit over the whole full field", f.passCode, eight, {0, 8}, rep, u"9", false},
      {"letter", f.passCode, u"12", {2, 0}, rep, u"a", false},
      {"space", f.passCode, u"", {0, 0}, rep, u" ", false},
      {"full-width digit", f.passCode, u"", {0, 0}, rep, u"\uFF11", false},
      {"Arabic-Indic digit", f.passCode, u"", {0, 0}, rep, u"\u0663", false},
      {"fifth account digit", f.accountNumber, u"1234", {4, 0}, rep, u"5", true},
      {"sixth account digit", f.accountNumber, u"12345", {5, 0}, rep, u"6", false},
      // Pastes into a number field: every character and the length after the edit count.
      {"paste digits", f.passCode, u"", {0, 0}, rep, u"1234", true},
      {"paste digits then letters", f.passCode, u"", {0, 0}, rep, u"12ab", false},
      {"paste letters then digits", f.passCode, u"", {0, 0}, rep, u"ab12", false},
      {"paste full-width digits", f.passCode, u"", {0, 0}, rep, u"\uFF11\uFF12", false},
      {"paste twenty digits beside seven", f.passCode, seven, {7, 0}, rep, u"12345678901234567890", false},
      {"paste two digits beside seven", f.passCode, seven, {7, 0}, rep, u"12", false},
      {"paste one digit beside seven", f.passCode, seven, {7, 0}, rep, u"1", true},
      {"paste over part of seven", f.passCode, seven, {0, 3}, rep, u"9999", true},
      {"paste six account digits", f.accountNumber, u"", {0, 0}, rep, u"123456", false},
      // Deletions always pass.
      {"backspace in a full field", f.passCode, eight, {8, 0}, bs, u"", true},
      {"delete the whole full field", f.passCode, eight, {0, 8}, rep, u"", true},
      {"backspace over a letter already there", f.passCode, u"12a", {3, 0}, bs, u"", true},
      // A maximum never set, or not positive, takes no insertion.
      {"unset: digit", f.unset, u"", {0, 0}, rep, u"1", false},
      {"unset: backspace", f.unset, u"12", {2, 0}, bs, u"", true},
      {"negative: digit", f.negative, u"", {0, 0}, rep, u"1", false},
      // The password takes any character up to 31 units.
      {"password letter", f.password, u"", {0, 0}, rep, u"a", true},
      {"password punctuation", f.password, u"ab", {2, 0}, rep, u"!", true},
      {"password non-ASCII", f.password, u"ab", {2, 0}, rep, u"\u00E9", true},
      {"password 31st character", f.password, pw30, {30, 0}, rep, u"y", true},
      {"password 32nd character", f.password, pw31, {31, 0}, rep, u"y", false},
      {"password pair as the 31st", f.password, pw30, {30, 0}, rep, u"\U0001F512", false},
      {"password pair as the 30th", f.password, std::u16string(29, u'x'), {29, 0}, rep, u"\U0001F512", true},
      {"password paste past 31", f.password, std::u16string(28, u'x'), {28, 0}, rep, u"abcd", false},
      {"password paste up to 31", f.password, std::u16string(28, u'x'), {28, 0}, rep, u"abc", true},
      {"password backspace when full", f.password, pw31, {31, 0}, bs, u"", true},
      // The login name takes anything.
      {"login letters", f.loginName, u"", {0, 0}, rep, u"j.doe@example", true},
      {"login long paste", f.loginName, pw31, {31, 0}, rep, std::u16string(500, u'n'), true},
      {"login backspace", f.loginName, u"ab", {2, 0}, bs, u"", true},
  };
  for (const Edit& e : edits) {
    EXPECT_EQ(judge(e), e.accepted) << e.what;
  }
}

// Zero is a digit like any other, also as the first character.
TEST(InputFiltersTest, ZeroIsADigit) {
  const Filters f;
  for (const char16_t* typed : {u"0", u"0123"}) {
    const Edit e{"zero", f.passCode, u"", {0, 0}, Kind::replace, typed, true};
    EXPECT_TRUE(judge(e)) << Text::fromUtf16(typed).utf8();
  }
}

// Typing one character at a time stops exactly at the maximum.
TEST(InputFiltersTest, TypingFillsANumberFieldToItsMaximum) {
  const Filters f;
  struct Case {
    const MyIntegerNumberFilter& filter;
    std::size_t maximum;
  };
  for (const Case& c : {Case{f.passCode, 8}, Case{f.accountNumber, 5}}) {
    std::u16string text;
    for (int key = 0; key < 12; ++key) {
      const std::u16string typed = text + u"7";
      if (c.filter.isPartialStringValid(Text::fromUtf16(typed), {typed.size(), 0}, Text::fromUtf16(text),
                                        {text.size(), 0}))
        text = typed;
    }
    EXPECT_EQ(text.size(), c.maximum);
  }
}

TEST(InputFiltersTest, ConversionsKeepTheTextAndTheFormatIsInert) {
  MyIntegerNumberFilter filter;
  filter.setFormat(platform::operator""_t("##0", 3));
  filter.SetmaxCharactersCount(8);
  EXPECT_EQ(filter.maxValue, 8);
  const Text values[] = {Text::fromUtf8("0042"), Text::empty(), Text::fromUtf8("abc")};
  for (const Text& value : values) {
    EXPECT_EQ(filter.stringForObjectValue(value), value);
    Text object;
    EXPECT_TRUE(filter.getObjectValue(object, value));
    EXPECT_EQ(object, value);
  }
}

}  // namespace

// Case-insensitive equality of texts under Unicode case folding.
#include "platform/text_compare.h"

#include <gtest/gtest.h>

namespace {

using platform::Text;
using platform::operator""_t;

TEST(TextCompareTest, CaseInsensitiveEqual) {
  struct Case {
    Text a, b;
    bool equal;
  };
  const Case cases[] = {
      {"Sales"_t, "sales"_t, true},
      {"Sales"_t, "SALES"_t, true},
      {"Sales"_t, "Sale"_t, false},
      {"Sales"_t, "Sales "_t, false},
      {"\xC3\x84rger"_t, "\xC3\xA4RGER"_t, true},                // Ä / ä
      {"Stra\xC3\x9F" "e"_t, "STRASSE"_t, true},                  // ß folds to ss
      {"\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"_t, "\xCF\x83\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1"_t, true},  // Σ / σ
      {"\xEF\xBC\xA1"_t, "\xEF\xBD\x81"_t, true},                // full-width A / a
      {"A"_t, "\xEF\xBC\xA1"_t, false},                          // width is no case
      {""_t, ""_t, true},
      {""_t, Text(), false},
      {Text(), Text(), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.utf8() + " / " + c.b.utf8());
    EXPECT_EQ(platform::caseInsensitiveEqual(c.a, c.b), c.equal);
    EXPECT_EQ(platform::caseInsensitiveEqual(c.b, c.a), c.equal);
  }
}

}  // namespace

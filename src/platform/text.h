// String objects of the platform: a text is either none (no object) or a sequence of UTF-16 code units,
// possibly empty. Lengths and ranges count UTF-16 units, as the dialog's string objects do.
#pragma once

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Text {
 public:
  Text() = default;  // none
  static Text fromUtf16(std::u16string units);
  // Invalid UTF-8 sequences become U+FFFD, so a text always exists for bytes that were given.
  static Text fromUtf8(std::string_view bytes);
  static Text empty() { return fromUtf16({}); }

  bool isNone() const { return !units_.has_value(); }
  // True for none and for a text without units: the platform's "no characters".
  bool isEmpty() const { return !units_ || units_->empty(); }
  std::size_t length() const { return units_ ? units_->size() : 0; }
  // The units; an empty sequence for none.
  const std::u16string& utf16() const;
  std::string utf8() const;

  // Units [location, location + count), clamped to the text; none stays none.
  Text substring(std::size_t location, std::size_t count) const;
  // None counts as no characters; only none + none stays none.
  Text operator+(const Text& other) const;

  friend bool operator==(const Text&, const Text&) = default;
  friend std::strong_ordering operator<=>(const Text& a, const Text& b) { return a.units_ <=> b.units_; }

 private:
  std::optional<std::u16string> units_;
};

// Shorthand for literals in the panel's code: always a text, never none.
inline Text operator""_t(const char* s, std::size_t n) { return Text::fromUtf8(std::string_view(s, n)); }

}  // namespace platform

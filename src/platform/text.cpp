// Text: none or a sequence of UTF-16 units. The UTF-8 transforms go through ICU so that malformed input is
// replaced the same way everywhere (one U+FFFD per maximal ill-formed subpart).
#include "platform/text.h"

#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace platform {
namespace {

constexpr UChar32 kReplacementCharacter = 0xFFFD;

}  // namespace

Text Text::fromUtf16(std::u16string units) {
  Text text;
  text.units_ = std::move(units);
  return text;
}

// Bytes that are not UTF-8 still give a text: each ill-formed sequence becomes U+FFFD. Inputs beyond what
// ICU can index (2 GiB) give an empty text rather than a truncated one.
Text Text::fromUtf8(std::string_view bytes) {
  if (bytes.empty()) return empty();
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return empty();
  // ASCII is the same units widened, found without ICU: most texts are ASCII, folder names above all, and
  // the pop-up converts every folder name at each build.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return fromUtf16(std::u16string(bytes.begin(), bytes.end()));
  const auto byteCount = static_cast<int32_t>(bytes.size());

  // UTF-16 never needs more units than UTF-8 has bytes, so one pass fills a buffer of that size.
  std::u16string units(bytes.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(units.data(), byteCount, &length, bytes.data(), byteCount, kReplacementCharacter, nullptr,
                       &status);
  if (U_FAILURE(status)) return empty();
  units.resize(static_cast<std::size_t>(length));
  return fromUtf16(std::move(units));
}

const std::u16string& Text::utf16() const {
  static const std::u16string kNoUnits;
  return units_ ? *units_ : kNoUnits;
}

// The text as UTF-8; an unpaired surrogate becomes U+FFFD. None gives the empty string.
std::string Text::utf8() const {
  if (!units_ || units_->empty()) return {};
  if (units_->size() > static_cast<std::size_t>(INT32_MAX / 3)) return {};
  const auto unitCount = static_cast<int32_t>(units_->size());

  // At most three bytes per unit: a surrogate pair (two units) takes four bytes.
  std::string bytes(units_->size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(bytes.data(), static_cast<int32_t>(bytes.size()), &length, units_->data(), unitCount,
                     kReplacementCharacter, nullptr, &status);
  if (U_FAILURE(status)) return {};
  bytes.resize(static_cast<std::size_t>(length));
  return bytes;
}

Text Text::substring(std::size_t location, std::size_t count) const {
  if (!units_) return Text();
  if (location >= units_->size()) return empty();
  return fromUtf16(units_->substr(location, count));
}

// Concatenation treats none as no characters; only none plus none stays none.
Text Text::operator+(const Text& other) const {
  if (!units_ && !other.units_) return Text();
  return fromUtf16(utf16() + other.utf16());
}

}  // namespace platform

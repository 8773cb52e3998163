#include "ui/input_filters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool isAsciiDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

}  // namespace

bool CharacterCountFilter::acceptsEdit(const platform::Text& partial, ui::Range proposedSelection,
                                       const platform::Text& original, ui::Range originalSelection,
                                       bool digitsOnly) const {
  // The inserted text runs from where the old selection began to where the new one begins; a deletion
  // leaves nothing in between and always passes.
  if (proposedSelection.location <= originalSelection.location) return true;
  const std::size_t start = std::min(originalSelection.location, partial.length());
  const std::size_t end = std::min(proposedSelection.location, partial.length());
  if (end <= start) return true;
  const std::u16string_view inserted = std::u16string_view(partial.utf16()).substr(start, end - start);

  // A paste is judged whole: one stray character refuses it.
  if (digitsOnly && !std::all_of(inserted.begin(), inserted.end(), isAsciiDigit)) return false;

  // A full field takes no keystroke, and no edit may leave more than the maximum.
  if (maxValue <= 0) return false;
  const auto limit = static_cast<std::uint64_t>(maxValue);
  return original.length() < limit && partial.length() <= limit;
}

bool MyIntegerNumberFilter::isPartialStringValid(const platform::Text& partial, ui::Range proposedSelection,
                                                 const platform::Text& original,
                                                 ui::Range originalSelection) const {
  return acceptsEdit(partial, proposedSelection, original, originalSelection, true);
}

bool MyRomanFilter::isPartialStringValid(const platform::Text& partial, ui::Range proposedSelection,
                                         const platform::Text& original, ui::Range originalSelection) const {
  return acceptsEdit(partial, proposedSelection, original, originalSelection, false);
}

bool LoginnameInputFilter::isPartialStringValid(const platform::Text&, ui::Range, const platform::Text&,
                                                ui::Range) const {
  return true;
}

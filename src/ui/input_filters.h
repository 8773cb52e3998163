// Input filters of the panel's credential and number fields. Each judges an edit before the field applies
// it and never changes the text: a field's value is always its text.
#pragma once

#include <cstdint>

#include "platform/text.h"
#include "ui/toolkit.h"

class LoginnameInputFilterCallback;

// Shared part of the two number-formatter filters: a character limit and an inert number format.
class CharacterCountFilter : public ui::Formatter {
 public:
  // Stores the maximum number of characters (UTF-16 units) unchecked; 0 until set, and a filter whose
  // maximum is not positive takes no insertion at all.
  void SetmaxCharactersCount(std::int64_t count) { maxValue = count; }
  // The number format is kept for callers that ask for it; it has no effect on what the field takes.
  void setFormat(const platform::Text& format) { format_ = format; }
  const platform::Text& format() const { return format_; }

  std::int64_t maxValue = 0;

 protected:
  // Whether an edit may happen: deletions always; an insertion only when the field held fewer than
  // maxValue characters before it, the text after it has at most maxValue, and, with digitsOnly, every
  // inserted character is an ASCII digit.
  bool acceptsEdit(const platform::Text& partial, ui::Range proposedSelection, const platform::Text& original,
                   ui::Range originalSelection, bool digitsOnly) const;

 private:
  platform::Text format_;
};

// Pass codes, user number and account number: ASCII digits only, up to the maximum.
class MyIntegerNumberFilter : public CharacterCountFilter {
 public:
  bool isPartialStringValid(const platform::Text& partial, ui::Range proposedSelection,
                            const platform::Text& original, ui::Range originalSelection) const override;
};

// The login password: any character, up to the maximum.
class MyRomanFilter : public CharacterCountFilter {
 public:
  bool isPartialStringValid(const platform::Text& partial, ui::Range proposedSelection,
                            const platform::Text& original, ui::Range originalSelection) const override;
};

// The login name: any text of any length.
class LoginnameInputFilter : public ui::Formatter {
 public:
  // Keeps the panel without owning it; the filter sends it nothing.
  void setCallback(LoginnameInputFilterCallback* context) { m_context = context; }
  bool isPartialStringValid(const platform::Text& partial, ui::Range proposedSelection,
                            const platform::Text& original, ui::Range originalSelection) const override;

  LoginnameInputFilterCallback* m_context = nullptr;
};

// Messages from the strings table carry "%@" where the original filled in a value. They are shown as
// text: the value replaces each "%@" and nothing else in a translation is interpreted.
#pragma once

#include <string>

#include "platform/text.h"

inline platform::Text fillPlaceholder(const platform::Text& message, const platform::Text& value) {
  if (message.isNone()) return message;
  std::u16string units = message.utf16();
  const std::u16string& replacement = value.utf16();
  for (std::size_t at = units.find(u"%@"); at != std::u16string::npos; at = units.find(u"%@", at)) {
    units.replace(at, 2, replacement);
    at += replacement.size();
  }
  return platform::Text::fromUtf16(std::move(units));
}

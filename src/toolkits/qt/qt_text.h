// Texts between the panel and Qt: both count UTF-16 units, so the conversion is exact. None becomes the
// empty string; Qt has no "none".
#pragma once

#include <QString>

#include "platform/text.h"

namespace toolkits::qt {

inline QString toQString(const platform::Text& text) {
  return text.isNone() ? QString() : QString::fromStdU16String(text.utf16());
}

inline platform::Text fromQString(const QString& text) { return platform::Text::fromUtf16(text.toStdU16String()); }

}  // namespace toolkits::qt

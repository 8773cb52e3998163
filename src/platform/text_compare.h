// Comparison of texts beyond unit-by-unit equality.
#pragma once

#include "platform/text.h"

namespace platform {

// True when the two texts are equal under default Unicode case folding (ICU, U_FOLD_CASE_DEFAULT).
// None equals only none.
bool caseInsensitiveEqual(const Text& a, const Text& b);

}  // namespace platform

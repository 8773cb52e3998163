// Comparison of texts through ICU.
#include "platform/text_compare.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

#include <climits>

namespace platform {

bool caseInsensitiveEqual(const Text& a, const Text& b) {
  if (a.isNone() || b.isNone()) return a.isNone() && b.isNone();
  const std::u16string& ua = a.utf16();
  const std::u16string& ub = b.utf16();
  // ICU takes 32-bit lengths; texts beyond that are not names.
  if (ua.size() > INT32_MAX || ub.size() > INT32_MAX) return false;

  UErrorCode status = U_ZERO_ERROR;
  const int32_t order = u_strCaseCompare(ua.data(), static_cast<int32_t>(ua.size()), ub.data(),
                                         static_cast<int32_t>(ub.size()), U_FOLD_CASE_DEFAULT, &status);
  return U_SUCCESS(status) && order == 0;
}

}  // namespace platform

#include "util/ppd_encoding.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/plist.h"

namespace {

std::filesystem::path& versionFile() {
  static std::filesystem::path file = "/System/Library/CoreServices/SystemVersion.plist";
  return file;
}

// intValue: leading white space, optional sign, decimal digits; 0 when there are none.
std::int32_t intValue(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > INT32_MAX) break;  // saturate rather than overflow on absurd input
  }
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

platform::NSStringEncoding getEncodingFromPPD(const ppd_file_t* ppd) {
  if (!ppd || !ppd->lang_encoding) return platform::kNSMacOSRomanStringEncoding;
  const std::string encoding = ppd->lang_encoding;
  if (encoding == "ISOLatin1") return platform::kNSISOLatin1StringEncoding;
  if (encoding == "WindowsANSI") return platform::kNSWindowsCP1252StringEncoding;
  if (encoding == "JIS83-RKSJ") return platform::kNSShiftJISStringEncoding;
  if (encoding == "UTF-8" || encoding == "UTF8") return platform::kNSUTF8StringEncoding;
  return platform::kNSMacOSRomanStringEncoding;
}

void setSystemVersionFileForTesting(std::filesystem::path file) { versionFile() = std::move(file); }

void get_system_version(std::int32_t* major, std::int32_t* minor, std::int32_t* micro) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(versionFile(), ec)) return;
  // The file is small; refuse anything that is clearly not a version file.
  if (std::filesystem::file_size(versionFile(), ec) > (1u << 20) || ec) return;
  FILE* f = std::fopen(versionFile().c_str(), "rb");
  if (!f) return;
  std::string bytes;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);

  auto dict = platform::plist::parseXml(bytes);
  if (!dict) return;
  const platform::plist::Value* version = platform::plist::find(*dict, "ProductVersion");
  if (!version || !version->string()) return;

  std::vector<std::string> parts;
  std::string current;
  for (char c : *version->string()) {
    if (c == '.') {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  if (parts.size() >= 1 && major) *major = intValue(parts[0]);
  if (parts.size() >= 2 && minor) *minor = intValue(parts[1]);
  if (parts.size() >= 3 && micro) *micro = intValue(parts[2]);
}

bool runningOnLeopardOrLater() {
  std::int32_t major = 10, minor = 4, micro = 0;
  get_system_version(&major, &minor, &micro);
  return major > 10 || (major == 10 && minor > 4);
}

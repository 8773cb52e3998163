#include "engine/settings_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <span>

#include "platform/atomic_file.h"

namespace host {

bool readSettingsFile(const std::filesystem::path& file, platform::PrintSettings& settings, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return true;
  std::ifstream in(file);
  if (!in) {
    error = "cannot read the settings file " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) {
      error = file.string() + ":" + std::to_string(number) + ": expected key=value";
      return false;
    }
    settings.setValue(line.substr(0, eq), line.substr(eq + 1));
  }
  return true;
}

bool checkSettingsFileWritable(const std::filesystem::path& file, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "cannot write the settings file " + file.string() + ": it is a folder";
    return false;
  }
  // The file is replaced by rename, so its folder must take a new entry; an existing file must be writable
  // too, so that a file the user protected is not replaced behind their back.
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  const bool exists = std::filesystem::exists(file, ec);
  if (::access(folder.c_str(), W_OK | X_OK) != 0 || (exists && ::access(file.c_str(), W_OK) != 0)) {
    error = "cannot write the settings file " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

// A complete new file replaces the old one, so an interrupted run never leaves half the settings. The
// values hold encrypted credentials: the file is the user's alone.
bool writeSettingsFile(const std::filesystem::path& file, const platform::PrintSettings& settings, std::string& error) {
  std::string text;
  for (const auto& [key, value] : settings.values()) text += key + '=' + value + '\n';
  // Appended in steps: GCC 12 at -O3 warns falsely (-Wrestrict) on "." + string + literal.
  std::string prefix = ".";
  prefix += file.filename().string();
  prefix += ".";
  const platform::AtomicWrite how{.temporaryPrefix = prefix, .mode = 0600};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!platform::writeFileAtomically(file, std::span(bytes, text.size()), how)) {
    error = "cannot write the settings file " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace host

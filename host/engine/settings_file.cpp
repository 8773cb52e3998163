#include "engine/settings_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

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

bool writeSettingsFile(const std::filesystem::path& file, const platform::PrintSettings& settings, std::string& error) {
  // A complete new file replaces the old one, so an interrupted run never leaves half the settings.
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    for (const auto& [key, value] : settings.values()) out << key << '=' << value << '\n';
    out.flush();
    if (!out) {
      error = "cannot write the settings file " + file.string() + ": " + std::strerror(errno);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, file, ec);
  if (ec) {
    error = "cannot write the settings file " + file.string() + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace host

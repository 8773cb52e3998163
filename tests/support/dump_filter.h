// The lines a dialog printed, with the facts only one toolkit can tell taken out of its dump lines, so that
// two toolkits' lines compare: "accessibleName" (the headless controls have no screen reader to name
// anything for).
#pragma once

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>

namespace testsupport {

inline std::string withoutToolkitOnlyFacts(const std::string& out) {
  std::istringstream lines(out);
  std::string result;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("{\"")) {
      nlohmann::json dump = nlohmann::json::parse(line, nullptr, false);
      if (!dump.is_discarded() && dump.contains("controls")) {
        for (auto& [name, control] : dump["controls"].items()) control.erase("accessibleName");
        line = dump.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      }
    }
    result += line + "\n";
  }
  return result;
}

}  // namespace testsupport

#include "engine/steps.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "plugin/outlets.h"

namespace host {
namespace {

struct Verb {
  std::string_view name;
  std::size_t arguments;
};

constexpr std::array kVerbs{
    Verb{"view", 0},  Verb{"show", 0},  Verb{"restore", 0}, Verb{"save", 0},  Verb{"print", 0},
    Verb{"summary", 0}, Verb{"name", 0}, Verb{"kind", 0},    Verb{"dump", 0},  Verb{"controls", 0}, Verb{"window", 0}, Verb{"click", 1},
    Verb{"select", 2}, Verb{"type", 2},  Verb{"paste", 2},   Verb{"clear", 1}, Verb{"set", 2},
};

}  // namespace

// The panel's own outlet names: a step can name no control the panel would not connect.
bool isKnownControlName(const std::string& name) {
  return std::find(outlets::kNames.begin(), outlets::kNames.end(), name) != outlets::kNames.end();
}

std::optional<std::vector<Step>> parseSteps(const std::vector<std::string>& words, std::string& error) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < words.size();) {
    const auto verb = std::find_if(kVerbs.begin(), kVerbs.end(), [&](const Verb& v) { return v.name == words[i]; });
    if (verb == kVerbs.end()) {
      error = "unknown step \"" + words[i] + "\"";
      return std::nullopt;
    }
    if (i + verb->arguments >= words.size() && verb->arguments > 0) {
      error = "step \"" + words[i] + "\" needs " + std::to_string(verb->arguments) + " argument(s)";
      return std::nullopt;
    }
    Step step{std::string(verb->name), {}};
    for (std::size_t k = 1; k <= verb->arguments; ++k) step.args.push_back(words[i + k]);
    if (!step.args.empty() && !isKnownControlName(step.args[0])) {
      error = "unknown control \"" + step.args[0] + "\"";
      return std::nullopt;
    }
    steps.push_back(std::move(step));
    i += 1 + verb->arguments;
  }
  if (steps.empty()) {
    for (const char* v : {"view", "restore", "save", "print"}) steps.push_back({v, {}});
  }
  return steps;
}

}  // namespace host

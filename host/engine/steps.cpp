#include "engine/steps.h"

#include <algorithm>
#include <array>

#include "engine/session.h"
#include "plugin/outlets.h"

namespace host {
namespace {

// Verbs without arguments come first: the help lists them on one line.
constexpr std::array kVerbs{
    Verb{"view", "", &Session::view},
    Verb{"show", "", &Session::show},
    Verb{"restore", "", &Session::restore},
    Verb{"save", "", &Session::save},
    Verb{"print", "", &Session::print, true},
    Verb{"summary", "", &Session::summary},
    Verb{"name", "", &Session::name},
    Verb{"kind", "", &Session::kind},
    Verb{"dump", "", &Session::dump},
    Verb{"controls", "", &Session::controls},
    Verb{"window", "", &Session::window},
    Verb{"cancel", "", &Session::cancel},
    Verb{"click", "NAME", &Session::click},
    Verb{"select", "NAME N", &Session::select},
    Verb{"type", "NAME TEXT", &Session::type},
    Verb{"paste", "NAME TEXT", &Session::paste},
    Verb{"clear", "NAME", &Session::clear},
    Verb{"set", "NAME VALUE", &Session::set},
};

constexpr std::array kDefaultVerbs{"view", "restore", "save", "print"};

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const std::size_t space = text.find(' ');
    out.push_back(text.substr(0, space));
    text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
  }
  return out;
}

const Verb* findVerb(std::string_view name) {
  const auto verb = std::find_if(kVerbs.begin(), kVerbs.end(), [&](const Verb& v) { return v.name == name; });
  return verb == kVerbs.end() ? nullptr : &*verb;
}

}  // namespace

// The panel's own outlet names: a step can name no control the panel would not connect.
bool isKnownControlName(const std::string& name) {
  return std::find(outlets::kNames.begin(), outlets::kNames.end(), name) != outlets::kNames.end();
}

std::optional<std::vector<Step>> parseSteps(const std::vector<std::string>& words, std::string& error) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < words.size();) {
    const Verb* verb = findVerb(words[i]);
    if (!verb) {
      error = "unknown step \"" + words[i] + "\"";
      return std::nullopt;
    }
    const std::vector<std::string_view> arguments = host::words(verb->arguments);
    if (i + arguments.size() >= words.size() && !arguments.empty()) {
      error = "step \"" + words[i] + "\" needs " + std::to_string(arguments.size()) + " argument(s)";
      return std::nullopt;
    }
    Step step{verb, {}};
    for (std::size_t k = 1; k <= arguments.size(); ++k) step.args.push_back(words[i + k]);
    if (!arguments.empty() && arguments[0] == "NAME" && !isKnownControlName(step.args[0])) {
      error = "unknown control \"" + step.args[0] + "\"";
      return std::nullopt;
    }
    steps.push_back(std::move(step));
    i += 1 + arguments.size();
  }
  if (steps.empty()) {
    for (const char* name : kDefaultVerbs) steps.push_back({findVerb(name), {}});
  }
  return steps;
}

std::string stepsSynopsis() {
  std::string bare;
  std::string withArguments;
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a literal + string chain.
  for (const Verb& verb : kVerbs) {
    if (verb.arguments.empty()) {
      if (!bare.empty()) bare += ' ';
      bare += verb.name;
    } else {
      withArguments.append(" | ").append(verb.name).append(" ").append(verb.arguments);
    }
  }
  return bare + withArguments;
}

std::string defaultSteps() {
  std::string out;
  for (const char* name : kDefaultVerbs) {
    if (!out.empty()) out += ' ';
    out += name;
  }
  return out;
}

}  // namespace host

// The steps a script gives the stand-in dialog, parsed from the command line's words.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace host {

struct Step {
  std::string verb;               // view, show, restore, save, print, summary, name, kind, dump, window, click, ...
  std::vector<std::string> args;  // the control name and value where the verb takes them
};

// Parses the words into steps; none with a message on an unknown verb or a missing argument.
std::optional<std::vector<Step>> parseSteps(const std::vector<std::string>& words, std::string& error);

// The outlet names the panel knows; a step naming anything else is a usage error.
bool isKnownControlName(const std::string& name);

}  // namespace host

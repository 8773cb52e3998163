// The steps a script gives the scriptable dialogs: one table of verbs (steps.cpp) names each step, its
// arguments as the help shows them and the session's method that runs it. Adding a step is one row there
// and one method of Session.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Session;
struct Step;

struct Verb {
  std::string_view name;
  // The arguments as the help names them, separated by spaces; a first one named "NAME" is a control of
  // the panel, checked when the words are parsed.
  std::string_view arguments;
  // Runs the step; returns an exit status (engine.h), kExitOk to go on.
  int (Session::*run)(const Step& step);
  // Whether the run's exit status is that of the last step of this verb (print: refused or not).
  bool decidesStatus = false;
};

struct Step {
  const Verb* verb = nullptr;     // a row of the table
  std::vector<std::string> args;  // as many as the verb names
};

// Parses the words into steps; none with a message on an unknown verb, a missing argument or an unknown
// control. No words at all give the default steps.
std::optional<std::vector<Step>> parseSteps(const std::vector<std::string>& words, std::string& error);

// The steps as the help lists them: "view show ... | click NAME | select NAME N | ...".
std::string stepsSynopsis();
// The steps that run when the command line gives none, separated by spaces.
std::string defaultSteps();

// The outlet names the panel knows; a step naming anything else is a usage error.
bool isKnownControlName(const std::string& name);

}  // namespace host

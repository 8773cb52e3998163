// One run of a script's steps on one panel: what each step does. The verbs, their arguments and their
// order of parsing are in steps.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/dialog_host.h"
#include "engine/engine.h"
#include "engine/steps.h"
#include "plugin/panel.h"

namespace host {

// The command line as a run uses it.
struct Options {
  std::string bundle;  // none: found beside the program
  std::string ppd;
  std::string queue = "Demo";
  std::optional<std::string> deviceURI;
  bool noConstraintHandling = false;
  std::string settingsFile;
  bool noPrintSettings = false;
  std::optional<std::string> jobName;
  std::string type{kPrintDialogType};
  std::string cupsQueue;
  std::string printFile;
  bool stepsMarker = false;
  std::vector<std::string> steps;
};

// Line breaks inside a text would break the one-line-per-answer output: they are shown as \n and \r.
std::string oneLine(const std::string& s);

class Session {
 public:
  // Everything is borrowed for the run.
  Session(OndrixPrintPdeTarvel& panel, DialogHost& dialog, const Options& options, Frontend& frontend)
      : panel_(panel), dialog_(dialog), options_(options), frontend_(frontend) {}

  // Runs the steps in order and stops at the first usage error or failed submission; returns the exit
  // status: that of the last step whose verb decides it, else kExitOk.
  int run(const std::vector<Step>& steps);

  // The steps (steps.cpp has the table). Each returns an exit status; kExitOk goes on.
  int view(const Step& step);
  int show(const Step& step);
  int restore(const Step& step);
  int save(const Step& step);
  int print(const Step& step);
  int summary(const Step& step);
  int name(const Step& step);
  int kind(const Step& step);
  int dump(const Step& step);
  int controls(const Step& step);
  int window(const Step& step);
  int click(const Step& step);
  int select(const Step& step);
  int type(const Step& step);
  int paste(const Step& step);
  int clear(const Step& step);
  int set(const Step& step);
  int cancel(const Step& step);

 private:
  int usage(const std::string& message) const;
  ui::Control* control(const Step& step);
  ui::TextField* textField(const Step& step);
  // Runs edit on the text field the step names; a usage message when there is none.
  template <class Edit>
  int editField(const Step& step, Edit edit);

  OndrixPrintPdeTarvel& panel_;
  DialogHost& dialog_;
  const Options& options_;
  Frontend& frontend_;
};

}  // namespace host

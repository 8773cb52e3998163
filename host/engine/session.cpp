// What each step of a script does to the panel and what it prints (the contract is in session.h).
#include "engine/session.h"

#include <iostream>
#include <map>

#include "engine/dump.h"
#include "platform/printcore_cups.h"

namespace host {
namespace {

// Rows of a matrix, items of a pop-up, tabs of a tab view; none for a control that has no choices.
std::optional<long> choices(ui::Control& c) {
  if (ui::Matrix* m = c.asMatrix()) return m->numberOfRows();
  if (ui::PopUpButton* p = c.asPopUpButton()) return p->menu().numberOfItems();
  if (ui::TabView* t = c.asTabView()) return t->numberOfTabViewItems();
  return std::nullopt;
}

}  // namespace

std::string oneLine(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

int Session::run(const std::vector<Step>& steps) {
  int status = kExitOk;
  for (const Step& step : steps) {
    const int result = (this->*step.verb->run)(step);
    if (step.verb->decidesStatus) status = result;
    if (result == kExitUsage || result == kExitSubmitFailed) return result;
  }
  return status;
}

int Session::usage(const std::string& message) const {
  std::cerr << frontend_.program << ": " << message << std::endl;
  return kExitUsage;
}

// The control of the loaded layout; none after a usage message when no layout is loaded yet or it lacks
// the control, so a script never passes over a step that did nothing.
ui::Control* Session::control(const Step& step) {
  if (!panel_.nib()) {
    usage("step \"" + std::string(step.verb->name) + "\" comes before the controls exist: put view (or restore) first");
    return nullptr;
  }
  ui::Control* c = panel_.nib()->controlNamed(step.args[0]);
  if (!c) usage("this printer's layout has no control " + step.args[0] + " (the controls step lists them)");
  return c;
}

ui::TextField* Session::textField(const Step& step) {
  ui::Control* c = control(step);
  if (!c) return nullptr;
  ui::TextField* field = c->asTextField();
  if (!field) usage(step.args[0] + " is not a text field");
  return field;
}

int Session::view(const Step&) {
  panel_.panelView();
  return kExitOk;
}

int Session::show(const Step&) {
  panel_.willShow();
  return kExitOk;
}

int Session::restore(const Step&) {
  panel_.restoreValuesAndReturnError(nullptr);
  return kExitOk;
}

int Session::save(const Step&) {
  panel_.saveValuesAndReturnError(nullptr);
  return kExitOk;
}

int Session::print(const Step&) {
  const bool approved = panel_.shouldPrint();
  std::cout << "shouldPrint=" << (approved ? "YES" : "NO") << std::endl;
  if (!approved) return kExitRefused;
  if (frontend_.job) return frontend_.job->release(dialog_.settings()) ? kExitOk : kExitSubmitFailed;
  if (options_.printFile.empty()) return kExitOk;
  const platform::Text& name = dialog_.settings().jobName();
  const std::string title = name.isNone() ? options_.printFile : name.utf8();
  // Without --cups the job goes to the CUPS queue of the dialog's own name.
  const std::string& queue = options_.cupsQueue.empty() ? options_.queue : options_.cupsQueue;
  const auto result = platform::cups::printFile(queue, options_.printFile, title, dialog_.settings());
  if (result.jobId == 0) {
    std::cout << "error: CUPS did not take the job: " << oneLine(result.error) << std::endl;
    return kExitSubmitFailed;
  }
  std::cout << "job=" << queue << "-" << result.jobId << std::endl;
  return kExitOk;
}

int Session::cancel(const Step&) {
  if (!frontend_.job) return usage("step \"cancel\" cancels a job in the print system: only ondrix-job-agent has one");
  return frontend_.job->cancel() ? kExitOk : kExitSubmitFailed;
}

// A sorted listing, so scripts can compare it.
int Session::summary(const Step&) {
  const SummaryInfo info = panel_.summaryInfo();
  std::map<std::string, std::string> sorted;
  for (const auto& [title, value] : info) sorted[title.utf8()] = value.utf8();
  for (const auto& [title, value] : sorted)
    std::cout << "summary: " << oneLine(title) << "=" << oneLine(value) << std::endl;
  return kExitOk;
}

int Session::name(const Step&) {
  std::cout << "panelName=" << oneLine(panel_.panelName().utf8()) << std::endl;
  return kExitOk;
}

int Session::kind(const Step&) {
  std::cout << "panelKind=" << oneLine(panel_.panelKind().utf8()) << std::endl;
  return kExitOk;
}

int Session::dump(const Step&) {
  std::cout << dumpText(panel_, frontend_.actions) << std::endl;
  return kExitOk;
}

// The ones a step can name; the layout's other widgets (tab pages, layouts) are no outlets.
int Session::controls(const Step&) {
  if (!panel_.nib()) return usage("step \"controls\" comes before the controls exist: put view (or restore) first");
  for (ui::Control* c : frontend_.actions.controlsOf(*panel_.nib()))
    if (isKnownControlName(std::string(c->identifier())))
      std::cout << "control: " << c->identifier() << ' ' << frontend_.actions.describe(*c).kind << std::endl;
  return kExitOk;
}

// The command-line host has no window: a script that asks for one is a script for the other dialog.
int Session::window(const Step&) {
  const std::optional<WindowFacts> facts = frontend_.actions.window(panel_.nib());
  if (!facts)
    return usage("step \"window\": this dialog has no window (ondrix-print-dialog --steps and "
                 "ondrix-job-agent --steps have one)");
  std::cout << windowText(*facts) << std::endl;
  return kExitOk;
}

int Session::click(const Step& step) {
  ui::Control* c = control(step);
  if (!c) return kExitUsage;
  frontend_.actions.click(*c);
  return kExitOk;
}

int Session::select(const Step& step) {
  ui::Control* c = control(step);
  if (!c) return kExitUsage;
  const std::optional<long> index = toolkits::parseLong(step.args[1]);
  if (!index) return usage("select needs a number, not \"" + step.args[1] + "\"");
  const std::optional<long> count = choices(*c);
  if (!count) return usage(step.args[0] + " has nothing to select");
  if (*index < 0 || *index >= *count)
    return usage("select " + step.args[0] + " " + step.args[1] + ": it has " + std::to_string(*count) +
                 " choices, numbered from 0");
  frontend_.actions.select(*c, *index);
  return kExitOk;
}

template <class Edit>
int Session::editField(const Step& step, Edit edit) {
  ui::TextField* field = textField(step);
  if (!field) return kExitUsage;
  edit(*field);
  return kExitOk;
}

int Session::type(const Step& step) {
  const auto text = platform::Text::fromUtf8(step.args[1]);
  return editField(step, [&](ui::TextField& field) { frontend_.actions.type(field, text); });
}

int Session::paste(const Step& step) {
  const auto text = platform::Text::fromUtf8(step.args[1]);
  return editField(step, [&](ui::TextField& field) { frontend_.actions.paste(field, text); });
}

int Session::clear(const Step& step) {
  return editField(step, [&](ui::TextField& field) { frontend_.actions.clear(field); });
}

int Session::set(const Step& step) {
  ui::Control* c = control(step);
  if (!c) return kExitUsage;
  if (!frontend_.actions.set(*c, step.args[1]))
    return usage("cannot set " + step.args[0] + " to \"" + step.args[1] + "\"");
  return kExitOk;
}

}  // namespace host

#include "ppd_options.h"

#include <cups/cups.h>

#include <cstring>

// Marking and conflict checks belong to the PPD interface that CUPS 2.4 marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace printdialog {
namespace {

template <class Visit>
void forEachUiOption(ppd_file_t* ppd, Visit visit) {
  if (!ppd) return;
  for (ppd_option_t* option = ppdFirstOption(ppd); option; option = ppdNextOption(ppd)) {
    if (option->ui == PPD_UI_PICKMANY || !strcmp(option->keyword, "PageRegion")) continue;
    visit(option);
  }
}

}  // namespace

std::vector<PPDOptionItem> uiOptions(ppd_file_t* ppd) {
  std::vector<PPDOptionItem> items;
  forEachUiOption(ppd, [&](ppd_option_t* option) {
    // ppdOpen has already turned the texts into UTF-8, whatever the file's LanguageEncoding.
    PPDOptionItem item{option->keyword, option->text[0] ? option->text : option->keyword, {}};
    for (int i = 0; i < option->num_choices; ++i) {
      const ppd_choice_t& c = option->choices[i];
      item.choices.push_back({c.choice, c.text[0] ? c.text : c.choice});
    }
    items.push_back(std::move(item));
  });
  return items;
}

void markQueueDefaults(ppd_file_t* ppd, const std::map<std::string, std::string>& queueDefaults) {
  if (!ppd) return;
  ppdMarkDefaults(ppd);
  cups_option_t* options = nullptr;
  int count = 0;
  for (const auto& [key, value] : queueDefaults) count = cupsAddOption(key.c_str(), value.c_str(), count, &options);
  cupsMarkOptions(ppd, count, options);
  cupsFreeOptions(count, options);
}

std::string markedChoice(ppd_file_t* ppd, const std::string& option) {
  ppd_choice_t* marked = ppd ? ppdFindMarkedChoice(ppd, option.c_str()) : nullptr;
  return marked ? marked->choice : "";
}

bool choiceFitsMarks(ppd_file_t* ppd, const std::string& option, const std::string& choice) {
  if (!ppd || !ppdFindChoice(ppdFindOption(ppd, option.c_str()), choice.c_str())) return false;
  const std::string before = markedChoice(ppd, option);
  const int conflictsBefore = ppdConflicts(ppd);
  const int conflictsAfter = ppdMarkOption(ppd, option.c_str(), choice.c_str());
  if (!before.empty()) ppdMarkOption(ppd, option.c_str(), before.c_str());
  return conflictsAfter <= conflictsBefore;
}

std::map<std::string, std::string> currentMarks(ppd_file_t* ppd) {
  std::map<std::string, std::string> marks;
  forEachUiOption(ppd, [&](ppd_option_t* option) { marks[option->keyword] = markedChoice(ppd, option->keyword); });
  return marks;
}

std::map<std::string, std::string> changedOptions(ppd_file_t* ppd, const std::map<std::string, std::string>& before) {
  std::map<std::string, std::string> changed;
  for (const auto& [option, choice] : currentMarks(ppd)) {
    const auto earlier = before.find(option);
    if (!choice.empty() && (earlier == before.end() || earlier->second != choice)) changed[option] = choice;
  }
  return changed;
}

}  // namespace printdialog

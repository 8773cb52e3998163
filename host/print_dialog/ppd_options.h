// The PPD's own options as a print dialog offers them: the user-visible options with their choices, marked
// from the queue's defaults, changed one at a time without adding a conflict, and the changed ones as job
// options. Works on the PPD the panel also borrows, so both see the same marks.
#pragma once

#include <cups/ppd.h>

#include <map>
#include <string>
#include <vector>

namespace printdialog {

struct PPDChoiceItem {
  std::string keyword;
  std::string text;  // UTF-8
};

struct PPDOptionItem {
  std::string keyword;
  std::string text;  // UTF-8
  std::vector<PPDChoiceItem> choices;
};

// The PPD's pick-one and boolean options in file order, PageRegion left out (it follows PageSize). Empty for
// no PPD.
std::vector<PPDOptionItem> uiOptions(ppd_file_t* ppd);

// Marks the PPD's defaults, then the queue's own default job options over them.
void markQueueDefaults(ppd_file_t* ppd, const std::map<std::string, std::string>& queueDefaults);

// The marked choice of the option; empty when none is marked.
std::string markedChoice(ppd_file_t* ppd, const std::string& option);

// Whether marking the choice adds no conflict with the other marked options (the marks stay unchanged).
bool choiceFitsMarks(ppd_file_t* ppd, const std::string& option, const std::string& choice);

// The options whose marked choice differs from the given earlier marks, as job options (PageSize=A3, ...).
std::map<std::string, std::string> changedOptions(ppd_file_t* ppd, const std::map<std::string, std::string>& before);

// The marked choice of every user-visible option, to compare against later.
std::map<std::string, std::string> currentMarks(ppd_file_t* ppd);

}  // namespace printdialog

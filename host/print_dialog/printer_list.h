// The printers the dialog offers: this machine's CUPS queues, and the bundle's demo models when no queue
// has an Ondrix PPD (or no scheduler answers), so that a first start always shows the Job Handling panel.
// Knows CUPS and PPDs, no widgets, so it can be tested against a private scheduler.
#pragma once

#include <cups/ppd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/printcore_cups.h"

namespace printdialog {

struct PrinterEntry {
  enum class Kind { cups, demo };
  Kind kind = Kind::cups;
  std::string label;                         // as the list shows it; a demo model's name, which the window marks as a demo
  std::string queue;                         // the CUPS queue, or "Demo"
  std::optional<std::string> deviceURI;      // none for demo models and queues without one
  std::filesystem::path ppd;                 // empty when the queue has no PPD
  std::map<std::string, std::string> defaults;  // the queue's default job options (PageSize=A4, ...)
  bool ondrix = false;                       // the PPD is an Ondrix model's: the Job Handling panel applies
  std::shared_ptr<const platform::cups::Queue> fetched;  // owns the temporary copy of a queue's PPD
};

struct PrinterList {
  // Why demo models are listed (the window says it in its own language).
  enum class Note { none, noOndrixQueue, noScheduler };
  std::vector<PrinterEntry> entries;
  std::size_t chosen = 0;  // the entry to start with; meaningless when entries is empty
  Note note = Note::none;
};

// Whether the PPD is an Ondrix model's: it names the maker Ondrix or carries one of the feature attributes.
bool isOndrixModel(ppd_file_t* ppd);

// Asks the default scheduler (CUPS_SERVER or the local one) for its queues and their PPDs and adds the demo
// models of the bundle's resources when needed. The default queue is chosen, or the first demo model when
// demo models are listed.
PrinterList listPrinters(const std::filesystem::path& bundle);

}  // namespace printdialog

#include "printer_list.h"

#include <strings.h>

#include <algorithm>

#include "util/ppd_access.h"

namespace printdialog {
namespace {

namespace fs = std::filesystem;

// The model the command-line host shows by default comes first among the demo models.
constexpr const char* kFirstDemo = "demo-filing.ppd";

std::string modelName(ppd_file_t* ppd, const std::string& fallback) {
  if (ppd && ppd->modelname && *ppd->modelname) return ppd->modelname;
  if (ppd && ppd->nickname && *ppd->nickname) return ppd->nickname;
  return fallback;
}

std::vector<PrinterEntry> demoEntries(const fs::path& bundle) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(bundle / "Contents" / "Resources" / "ppd", ec))
    if (item.path().extension() == ".ppd") files.push_back(item.path());
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    const bool aFirst = a.filename() == kFirstDemo, bFirst = b.filename() == kFirstDemo;
    return aFirst != bFirst ? aFirst : a < b;
  });
  std::vector<PrinterEntry> entries;
  for (const fs::path& file : files) {
    const ppd::FilePtr ppd = ppd::openFile(file.string());
    if (!ppd) continue;
    PrinterEntry e;
    e.kind = PrinterEntry::Kind::demo;
    // The command-line host's queue for its demo models, so both keep the same held values.
    e.queue = "Demo";
    e.label = modelName(ppd.get(), file.stem().string());
    e.ppd = file;
    e.ondrix = isOndrixModel(ppd.get());
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace

bool isOndrixModel(ppd_file_t* ppd) {
  if (!ppd) return false;
  if (ppd->manufacturer && strcasecmp(ppd->manufacturer, "Ondrix") == 0) return true;
  for (const char* attr : {"KxDocumentFiling", "KxOndrixPrintSystem", "KxActiveDirectory", "KxHDDOption"})
    if (ppd::findAttrValue(ppd, attr)) return true;
  return false;
}

PrinterList listPrinters(const fs::path& bundle) {
  PrinterList list;
  std::string error;
  const auto destinations = platform::cups::enumerateDestinations(error);
  bool anyOndrix = false;
  const std::vector<platform::cups::Destination> none;
  for (const platform::cups::Destination& d : destinations ? *destinations : none) {
    PrinterEntry e;
    e.queue = d.name;
    e.label = d.name;
    if (auto uri = d.options.find("device-uri"); uri != d.options.end()) e.deviceURI = uri->second;
    e.defaults = d.options;
    // A queue without a PPD (a driverless one) still prints, without PPD options or panel.
    std::string noPPD;
    if (auto queue = platform::cups::lookUpQueue(d.name, noPPD)) {
      e.fetched = std::make_shared<const platform::cups::Queue>(std::move(*queue));
      e.ppd = e.fetched->ppdFile;
      if (e.fetched->printer.deviceURI()) e.deviceURI = e.fetched->printer.deviceURI();
      const ppd::FilePtr ppd = ppd::openFile(e.ppd.string());
      e.ondrix = isOndrixModel(ppd.get());
      if (ppd && ppd->nickname && *ppd->nickname) e.label += " (" + std::string(ppd->nickname) + ")";
    }
    anyOndrix = anyOndrix || e.ondrix;
    if (d.isDefault) list.chosen = list.entries.size();
    list.entries.push_back(std::move(e));
  }
  if (anyOndrix) return list;

  list.note = destinations ? PrinterList::Note::noOndrixQueue : PrinterList::Note::noScheduler;
  list.chosen = list.entries.size();
  for (PrinterEntry& e : demoEntries(bundle)) list.entries.push_back(std::move(e));
  return list;
}

}  // namespace printdialog

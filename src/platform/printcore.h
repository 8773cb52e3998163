// The print core: the dialog's print session, its current printer and the job's print settings.
// Print settings hold ASCII string values by key; the job name is a text of its own.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform {

class Printer {
 public:
  Printer(std::string id, std::optional<std::string> deviceURI) : id_(std::move(id)), deviceURI_(std::move(deviceURI)) {}
  // PMPrinterGetID: the print queue's identifier.
  const std::string& id() const { return id_; }
  // PMPrinterCopyDeviceURI: none when the printer has none.
  const std::optional<std::string>& deviceURI() const { return deviceURI_; }

 private:
  std::string id_;
  std::optional<std::string> deviceURI_;
};

class PrintSession {
 public:
  explicit PrintSession(std::optional<Printer> printer) : printer_(std::move(printer)) {}
  // PMSessionGetCurrentPrinter: none when the session has no printer.
  const Printer* currentPrinter() const { return printer_ ? &*printer_ : nullptr; }

 private:
  std::optional<Printer> printer_;
};

class PrintSettings {
 public:
  // PMPrintSettingsGetValue: none when the key is absent.
  std::optional<std::string> getValue(std::string_view key) const;
  // PMPrintSettingsSetValue: none removes the key.
  void setValue(std::string_view key, std::optional<std::string> value);
  // PMPrintSettingsGetJobName: none when the job has no name.
  const Text& jobName() const { return jobName_; }
  void setJobName(Text name) { jobName_ = std::move(name); }

  const std::map<std::string, std::string, std::less<>>& values() const { return values_; }

 private:
  std::map<std::string, std::string, std::less<>> values_;
  Text jobName_;
};

}  // namespace platform

// The host's side of a panel, without any test framework, for the tests and the fuzz targets: a callback
// object with a print session, print settings and a PPD, and an alert presenter that records what it shows.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/alert.h"
#include "platform/printcore.h"
#include "plugin/panel.h"
#include "util/ppd_access.h"

namespace testsupport {

class FakeHost : public OndrixPrintPdeTarvelPDEPluginCallback {
 public:
  FakeHost(const std::filesystem::path& ppdPath, std::string queue, std::optional<std::string> deviceURI)
      : session_(platform::Printer(std::move(queue), std::move(deviceURI))), ppd_(ppd::openFile(ppdPath)) {}

  platform::PrintSession* printSession() override { return &session_; }
  platform::PrintSettings* printSettings() override { return hasSettings ? &settings : nullptr; }
  ppd_file_t* ppdFile() override { return ppd_.get(); }
  bool respondsToWillChangePPDOptionKeyValue() const override { return constraintHandling; }
  bool willChangePPDOptionKeyValue(const platform::Text&, const platform::Text&) override { return allowChange; }

  platform::PrintSettings settings;
  bool hasSettings = true;
  bool constraintHandling = true;
  bool allowChange = true;

 private:
  platform::PrintSession session_;
  ppd::FilePtr ppd_;
};

struct ShownAlert {
  std::string title, message, button;
};

class CapturingAlerts : public platform::AlertPresenter {
 public:
  void present(const platform::Text& title, const platform::Text& message, const platform::Text& button) override {
    shown.push_back({title.utf8(), message.utf8(), button.utf8()});
  }
  std::vector<std::string> titles() const {
    std::vector<std::string> titles;
    for (const ShownAlert& alert : shown) titles.push_back(alert.title);
    return titles;
  }
  std::vector<ShownAlert> shown;
};

}  // namespace testsupport

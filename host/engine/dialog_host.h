// The stand-in print dialog: the host callback object with its print session, print settings and PPD.
#pragma once

#include <optional>
#include <string>

#include "platform/printcore.h"
#include "plugin/host_interface.h"
#include "util/ppd_access.h"

namespace host {

class DialogHost : public OndrixPrintPdeTarvelPDEPluginCallback {
 public:
  DialogHost(platform::Printer printer, ppd::FilePtr ppd, bool constraintHandling, bool withSettings)
      : session_(std::move(printer)), ppd_(std::move(ppd)), constraintHandling_(constraintHandling),
        withSettings_(withSettings) {}

  platform::PrintSession* printSession() override { return &session_; }
  platform::PrintSettings* printSettings() override { return withSettings_ ? &settings_ : nullptr; }
  ppd_file_t* ppdFile() override { return ppd_.get(); }
  bool respondsToWillChangePPDOptionKeyValue() const override { return constraintHandling_; }
  // The stand-in dialog has no PPD constraints of its own: every change may happen.
  bool willChangePPDOptionKeyValue(const platform::Text&, const platform::Text&) override { return true; }

  platform::PrintSettings& settings() { return settings_; }

 private:
  platform::PrintSession session_;
  platform::PrintSettings settings_;
  ppd::FilePtr ppd_;
  bool constraintHandling_;
  bool withSettings_;
};

}  // namespace host

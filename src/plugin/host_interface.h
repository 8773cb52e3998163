// The host print dialog as the plug-in sees it: the callback object given at panel creation and the panel
// protocol the host drives.
#pragma once

#include <cups/ppd.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/printcore.h"
#include "platform/text.h"

namespace ui {
class View;
}

// The host's callback object. The panel uses only these operations of it.
class OndrixPrintPdeTarvelPDEPluginCallback {
 public:
  virtual ~OndrixPrintPdeTarvelPDEPluginCallback() = default;
  virtual platform::PrintSession* printSession() = 0;
  // The job's print settings, or none.
  virtual platform::PrintSettings* printSettings() = 0;
  // The printer's parsed PPD, borrowed; none when there is none.
  virtual ppd_file_t* ppdFile() = 0;
  // respondsToSelector:(willChangePPDOptionKeyValue:ppdChoice:)
  virtual bool respondsToWillChangePPDOptionKeyValue() const = 0;
  // YES lets the option change happen.
  virtual bool willChangePPDOptionKeyValue(const platform::Text& key, const platform::Text& choice) = 0;
};

using SummaryInfo = std::map<platform::Text, platform::Text>;

// The operations the host calls on a panel, one at a time on its main thread.
class PDEPanel {
 public:
  virtual ~PDEPanel() = default;
  virtual ui::View* panelView() = 0;
  virtual platform::Text panelName() = 0;
  virtual platform::Text panelKind() = 0;
  virtual std::vector<platform::Text> supportedPPDOptionKeys() = 0;
  virtual void willShow() = 0;
  virtual bool shouldHide() = 0;
  virtual bool shouldPrint() = 0;
  virtual bool shouldShowHelp() = 0;
  virtual void PPDOptionKeyValueDidChange(const platform::Text& option, const platform::Text& choice) = 0;
  // The error out-value is never written; both answer YES.
  virtual bool restoreValuesAndReturnError(void* error) = 0;
  virtual bool saveValuesAndReturnError(void* error) = 0;
  virtual SummaryInfo summaryInfo() = 0;
};

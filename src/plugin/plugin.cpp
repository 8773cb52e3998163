#include "plugin/plugin.h"

#include "plugin/panel.h"
#include "plugin/trace.h"

bool OndrixPrintPdeTarvelPDEPlugIn::initWithBundle(const platform::Bundle*) {
  _PDEProlog(this, "initWithBundle:");
  _PDEEpilog(this, "initWithBundle:=BOOL(YES)");
  return true;
}

std::optional<std::vector<std::shared_ptr<PDEPanel>>> OndrixPrintPdeTarvelPDEPlugIn::PDEPanelsForType(
    const platform::Text& type, std::shared_ptr<OndrixPrintPdeTarvelPDEPluginCallback> hostInfo) {
  _PDEProlog(this, "PDEPanelsForType:");
  std::optional<std::vector<std::shared_ptr<PDEPanel>>> result = std::vector<std::shared_ptr<PDEPanel>>{};
  if (type.utf8() == kPrintDialogType && !type.isNone()) {
    auto panel = std::make_shared<OndrixPrintPdeTarvel>(std::move(hostInfo));
    result->push_back(std::move(panel));
  }
  _PDEEpilog(this, "PDEPanelsForType:=NSArray(%@)", result);
  return result;
}

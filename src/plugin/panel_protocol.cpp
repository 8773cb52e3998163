// Placeholder until this group is built.
#include "plugin/panel.h"

ui::View* OndrixPrintPdeTarvel::panelView() { return panelView_; }
platform::Text OndrixPrintPdeTarvel::panelName() { return Text(); }
platform::Text OndrixPrintPdeTarvel::panelKind() { return Text(); }
std::vector<platform::Text> OndrixPrintPdeTarvel::supportedPPDOptionKeys() { return {}; }
void OndrixPrintPdeTarvel::willShow() {}
bool OndrixPrintPdeTarvel::shouldHide() { return true; }
bool OndrixPrintPdeTarvel::shouldPrint() { return true; }
bool OndrixPrintPdeTarvel::shouldShowHelp() { return true; }
void OndrixPrintPdeTarvel::PPDOptionKeyValueDidChange(const Text&, const Text&) {}
bool OndrixPrintPdeTarvel::restoreValuesAndReturnError(void*) { return true; }
bool OndrixPrintPdeTarvel::saveValuesAndReturnError(void*) { return true; }
void OndrixPrintPdeTarvel::updateUI() {}
ppd_file_t* OndrixPrintPdeTarvel::getPPDOnTiger() { return nullptr; }
void OndrixPrintPdeTarvel::getPPDSettingsFromPrintSettingsOnTiger() {}
void OndrixPrintPdeTarvel::writePPDSettingsToPrintSettingsOnTiger() {}

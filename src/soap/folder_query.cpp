// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::getFolderNameButtonProc(ui::Control*) {}
bool OndrixPrintPdeTarvel::parseXML(const std::filesystem::path&) { return false; }
void OndrixPrintPdeTarvel::recieveEndCallback() {}

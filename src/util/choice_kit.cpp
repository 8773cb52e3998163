// Placeholder until this group is built.
#include "plugin/panel.h"

long OndrixPrintPdeTarvel::indexOfMarkedOption(ppd_option_t*, const char*) { return -1; }
void OndrixPrintPdeTarvel::getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>&, ui::PopUpButton*, const char*) {}
void OndrixPrintPdeTarvel::getSelection(std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>&, const std::vector<std::shared_ptr<OndrixPrintPdeTarvelPDEChoice>>&, ui::Button*, const char*) {}

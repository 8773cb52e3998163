// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::getNonPPDSettingsFromPrintSettings() {}

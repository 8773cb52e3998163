// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::makeFolderPopup() {}
long OndrixPrintPdeTarvel::SearchSameFolderName(const Text&) { return 1; }

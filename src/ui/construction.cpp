// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::initializeUI() { hasInited = 1; }

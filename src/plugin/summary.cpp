// Placeholder until this group is built.
#include "plugin/panel.h"

SummaryInfo OndrixPrintPdeTarvel::summaryInfo() { return {}; }

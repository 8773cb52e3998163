// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::GetFolderPreference() {}
bool OndrixPrintPdeTarvel::SaveFolderPreference() { return false; }

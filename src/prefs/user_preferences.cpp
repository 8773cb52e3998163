// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::CheckPreference() {}
void OndrixPrintPdeTarvel::GetUserPreference() {}
bool OndrixPrintPdeTarvel::SaveUserPreference() { return false; }

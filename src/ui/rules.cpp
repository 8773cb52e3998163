// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::suspendMatrixEnabled() {}
void OndrixPrintPdeTarvel::suspendKeyStaticTextEnabled() {}
void OndrixPrintPdeTarvel::suspendKeyEditTextEnabled() {}
void OndrixPrintPdeTarvel::suspendKeyButtonEnabled() {}
void OndrixPrintPdeTarvel::folderSelectionStaticTextEnabled() {}
void OndrixPrintPdeTarvel::folderSelectionPopupEnabled() {}
void OndrixPrintPdeTarvel::folderPasswordStaticTextEnabled() {}
void OndrixPrintPdeTarvel::folderPasswordEditTextEnabled() {}
void OndrixPrintPdeTarvel::folderPasswordButtonEnabled() {}
void OndrixPrintPdeTarvel::folderSelectionMatrixEnabled() {}
void OndrixPrintPdeTarvel::folderNameEditTextEnabled() {}
void OndrixPrintPdeTarvel::folderNameButtonEnabled() {}
void OndrixPrintPdeTarvel::loginNameStaticTextEnabled() {}
void OndrixPrintPdeTarvel::loginNameEditTextEnabled() {}
void OndrixPrintPdeTarvel::loginNameButtonEnabled() {}
void OndrixPrintPdeTarvel::passwordStaticTextEnabled() {}
void OndrixPrintPdeTarvel::passwordEditTextEnabled() {}
void OndrixPrintPdeTarvel::passwordButtonEnabled() {}
void OndrixPrintPdeTarvel::userNumberEditTextEnabled() {}
void OndrixPrintPdeTarvel::userNumberButtonEnabled() {}
void OndrixPrintPdeTarvel::userNameEditTextEnabled() {}
void OndrixPrintPdeTarvel::jobNameEditTextEnabled() {}
void OndrixPrintPdeTarvel::accountNumberEditTextEnabled() {}
void OndrixPrintPdeTarvel::accountNumberButtonEnabled() {}

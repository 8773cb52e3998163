// Placeholder until this group is built.
#include "plugin/panel.h"

void OndrixPrintPdeTarvel::retentionCBoxProc(ui::Control*) {}
void OndrixPrintPdeTarvel::suspendKeyMatrixProc(ui::Control*) {}
void OndrixPrintPdeTarvel::folderSelectionPopUpButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::folderSelectionMatrixProc(ui::Control*) {}
void OndrixPrintPdeTarvel::authenticationMatrixProc(ui::Control*) {}
void OndrixPrintPdeTarvel::loginNameButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::suspendKeyButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::folderPasswordButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::folderNameButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::passwordButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::userNumberButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::userNameButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::jobNameButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::accountNumberButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::suspendKeyETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::folderPasswordETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::loginNameETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::passwordETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::userNumberETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::userNameETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::jobNameETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::accountNumberETextProc(ui::Control*) {}
void OndrixPrintPdeTarvel::printersAddressButtonProc(ui::Control*) {}
void OndrixPrintPdeTarvel::tabProc(ui::Control*) {}

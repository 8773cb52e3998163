// Placeholder until this group is built.
#include "plugin/panel.h"

platform::Text OndrixPrintPdeTarvel::localizedStringValue(const Text& t) const { return t; }
platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::TextField*) const { return Text(); }
platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::Box*) const { return Text(); }
platform::Text OndrixPrintPdeTarvel::localizedStringValue(ui::Button*) const { return Text(); }
int OndrixPrintPdeTarvel::getUIMode() const { return active_directory == 1 ? 5 : 4; }
bool OndrixPrintPdeTarvel::CheckHardDisk() const { return true; }
bool OndrixPrintPdeTarvel::isCorvane() const { return false; }

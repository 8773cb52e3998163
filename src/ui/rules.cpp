// The enabling rules: each reads the state of the other controls and sets its own control's state.
// Buttons, pop-ups and radio groups are enabled or disabled; labels and text fields are dimmed instead.
// The rules keep no state and may run at any time.
#include "plugin/panel.h"
#include "ui/folder_list.h"
#include "ui/hilite.h"

namespace {

using Panel = OndrixPrintPdeTarvel;

// An absent check box reads 0: retention off.
bool retentionOn(const Panel& p) { return p.retentionCheckBox->state() != 0; }

// Only state 1 counts as held.
bool held(const ui::Outlet<ui::Button>& button) { return button->state() == 1; }

// Quick file in either form of the folder choice; no selection (-1) is not quick file.
bool quickFileChosen(const Panel& p) {
  return (p.folderSelectionPopup.present() && p.folderSelectionPopup->indexOfSelectedItem() == 0) ||
         (p.folderSelectionMatrix.present() && p.folderSelectionMatrix->selectedRow() == 0);
}

// Quick file and the main folder are never protected; an item that names no list entry counts as
// unprotected.
bool protectedFolderChosen(const Panel& p) {
  if (!p.folderSelectionPopup.present()) return false;
  const FolderEntry* entry = folders::entryForItem(p.folderList, p.folderSelectionPopup->indexOfSelectedItem());
  return entry && folders::isProtected(*entry);
}

bool customFolderRowChosen(const Panel& p) {
  return p.folderSelectionMatrix.present() && p.folderSelectionMatrix->selectedRow() == 2;
}

bool folderPassCodeApplies(const Panel& p) { return protectedFolderChosen(p) || customFolderRowChosen(p); }

// An absent matrix reads row 0, the login choice; no selection (-1) is the user-number choice.
bool loginChosen(const Panel& p) { return p.authenticationMatrix->selectedRow() == 0; }

}  // namespace

// --- retention

void OndrixPrintPdeTarvel::suspendMatrixEnabled() { suspendMatrix->setEnabled(retentionOn(*this)); }

void OndrixPrintPdeTarvel::suspendKeyStaticTextEnabled() {
  ui::myTarvelHilite(suspendKeyStaticText, !retentionOn(*this) || quickFileChosen(*this));
}

void OndrixPrintPdeTarvel::suspendKeyEditTextEnabled() {
  ui::myTarvelHilite(suspendKeyEditText, !retentionOn(*this) || held(suspendKeyButton) || quickFileChosen(*this));
}

void OndrixPrintPdeTarvel::suspendKeyButtonEnabled() {
  suspendKeyButton->setEnabled(retentionOn(*this) && !quickFileChosen(*this));
}

// --- filing

void OndrixPrintPdeTarvel::folderSelectionStaticTextEnabled() {
  ui::myTarvelHilite(folderSelectionStaticText, !retentionOn(*this));
}

void OndrixPrintPdeTarvel::folderSelectionPopupEnabled() { folderSelectionPopup->setEnabled(retentionOn(*this)); }

void OndrixPrintPdeTarvel::folderPasswordStaticTextEnabled() {
  ui::myTarvelHilite(folderPasswordStaticText, !retentionOn(*this) || !folderPassCodeApplies(*this));
}

void OndrixPrintPdeTarvel::folderPasswordEditTextEnabled() {
  ui::myTarvelHilite(folderPasswordEditText,
                     !retentionOn(*this) || held(folderPasswordButton) || !folderPassCodeApplies(*this));
}

void OndrixPrintPdeTarvel::folderPasswordButtonEnabled() {
  folderPasswordButton->setEnabled(retentionOn(*this) && folderPassCodeApplies(*this));
}

void OndrixPrintPdeTarvel::folderSelectionMatrixEnabled() { folderSelectionMatrix->setEnabled(retentionOn(*this)); }

void OndrixPrintPdeTarvel::folderNameEditTextEnabled() {
  ui::myTarvelHilite(folderNameEditText,
                     !retentionOn(*this) || held(folderNameButton) || !customFolderRowChosen(*this));
}

void OndrixPrintPdeTarvel::folderNameButtonEnabled() {
  folderNameButton->setEnabled(retentionOn(*this) && customFolderRowChosen(*this));
}

// --- authentication

void OndrixPrintPdeTarvel::loginNameStaticTextEnabled() { ui::myTarvelHilite(loginNameStaticText, !loginChosen(*this)); }

void OndrixPrintPdeTarvel::loginNameEditTextEnabled() {
  ui::myTarvelHilite(loginNameEditText, !loginChosen(*this) || held(loginNameButton));
}

void OndrixPrintPdeTarvel::loginNameButtonEnabled() { loginNameButton->setEnabled(loginChosen(*this)); }

void OndrixPrintPdeTarvel::passwordStaticTextEnabled() { ui::myTarvelHilite(passwordStaticText, !loginChosen(*this)); }

void OndrixPrintPdeTarvel::passwordEditTextEnabled() {
  ui::myTarvelHilite(passwordEditText, !loginChosen(*this) || held(passwordButton));
}

void OndrixPrintPdeTarvel::passwordButtonEnabled() { passwordButton->setEnabled(loginChosen(*this)); }

void OndrixPrintPdeTarvel::userNumberEditTextEnabled() {
  ui::myTarvelHilite(userNumberEditText, loginChosen(*this) || held(userNumberButton));
}

void OndrixPrintPdeTarvel::userNumberButtonEnabled() { userNumberButton->setEnabled(!loginChosen(*this)); }

// --- job ID and account number: only their hold buttons lock them

void OndrixPrintPdeTarvel::userNameEditTextEnabled() { ui::myTarvelHilite(userNameEditText, held(userNameButton)); }

void OndrixPrintPdeTarvel::jobNameEditTextEnabled() { ui::myTarvelHilite(jobNameEditText, held(jobNameButton)); }

void OndrixPrintPdeTarvel::accountNumberEditTextEnabled() {
  ui::myTarvelHilite(accountNumberEditText, held(accountNumberButton));
}

// The account-number hold button is never disabled.
void OndrixPrintPdeTarvel::accountNumberButtonEnabled() {}

// The control actions: they keep the retention, folder and authentication choices consistent, clear the
// fields a change makes meaningless unless held, mask the held login name, and run the enabling rules in
// fixed orders. The sender is ignored: the reader sends the same actions with the control as sender.
#include <string>

#include "plugin/choices.h"
#include "plugin/held_fields.h"
#include "plugin/panel.h"
#include "ui/hilite.h"

namespace {

using platform::operator""_t;

// The character that stands for one UTF-16 unit of a held login name.
constexpr char16_t kBullet = u'\u2022';

bool released(const ui::Outlet<ui::Button>& button) { return button->state() == 0; }

// Clears a field unless its hold button holds it.
void clearUnlessHeld(const ui::Outlet<ui::TextField>& field, const ui::Outlet<ui::Button>& button) {
  if (released(button)) field->setStringValue(""_t);
}

// Gives a field the keyboard focus when it is selectable; true when it was.
bool focusIfSelectable(const ui::Outlet<ui::TextField>& field) {
  if (!field->isSelectable()) return false;
  if (ui::Window* window = field->window()) window->makeFirstResponder(field.get());
  return true;
}

// Quick filing needs retention and its row 1: leaving either moves each folder form that shows quick file
// to the main folder, and that form's action runs.
void leaveQuickFile(OndrixPrintPdeTarvel& p) {
  const long quickFile = indexOf(FolderChoice::quickFile);
  const long mainFolder = indexOf(FolderChoice::mainFolder);
  if (p.folderSelectionPopup.present() && p.folderSelectionPopup->indexOfSelectedItem() == quickFile) {
    p.folderSelectionPopup->selectItemAtIndex(mainFolder);
    p.folderSelectionPopUpButtonProc(p.folderSelectionPopup.get());
  }
  if (p.folderSelectionMatrix.present() && p.folderSelectionMatrix->selectedRow() == quickFile) {
    p.folderSelectionMatrix->selectCellAtRow(mainFolder, 0);
    p.folderSelectionMatrixProc(p.folderSelectionMatrix.get());
  }
}

// Quick filing requires retention mode row 1 and takes the pass code out of play.
void enterQuickFile(OndrixPrintPdeTarvel& p) {
  if (p.suspendMatrix->selectedRow() != 1) p.suspendMatrix->selectCellAtRow(1, 0);
  clearUnlessHeld(p.suspendKeyEditText, p.suspendKeyButton);
}

// The rules of the pass code's and the folder pass code's controls, which every folder choice touches.
void passCodeRules(OndrixPrintPdeTarvel& p) {
  p.suspendKeyStaticTextEnabled();
  p.suspendKeyEditTextEnabled();
  p.suspendKeyButtonEnabled();
  p.folderPasswordStaticTextEnabled();
  p.folderPasswordEditTextEnabled();
  p.folderPasswordButtonEnabled();
}

// A padlock's action: its field's enabling rule, when the padlock is present.
void runHoldRule(OndrixPrintPdeTarvel& panel, std::uint32_t bit) {
  const held::Field& row = held::field(bit);
  if ((panel.*row.button).present()) (panel.*row.rule)();
}

}  // namespace

void OndrixPrintPdeTarvel::retentionCBoxProc(ui::Control*) {
  if (!retentionCheckBox.present()) return;

  // Retention off: back to the first mode, and quick filing (which needs retention) gives way to the
  // main folder; values that no longer apply go unless held.
  if (retentionCheckBox->state() != 1) {
    suspendMatrix->selectCellAtRow(0, 0);
    clearUnlessHeld(suspendKeyEditText, suspendKeyButton);
    leaveQuickFile(*this);
    clearUnlessHeld(folderPasswordEditText, folderPasswordButton);
    clearUnlessHeld(folderNameEditText, folderNameButton);
  }

  suspendMatrixEnabled();
  suspendKeyStaticTextEnabled();
  suspendKeyEditTextEnabled();
  suspendKeyButtonEnabled();
  folderSelectionStaticTextEnabled();
  folderSelectionPopupEnabled();
  folderPasswordStaticTextEnabled();
  folderPasswordEditTextEnabled();
  folderPasswordButtonEnabled();
  folderSelectionMatrixEnabled();
  folderNameEditTextEnabled();
  folderNameButtonEnabled();
}

void OndrixPrintPdeTarvel::suspendKeyMatrixProc(ui::Control*) {
  // Row 1 is the mode quick filing requires; any other mode moves the folder choice off quick file, and
  // the folder actions run the rules.
  if (!suspendMatrix.present() || suspendMatrix->selectedRow() == 1) return;
  leaveQuickFile(*this);
}

void OndrixPrintPdeTarvel::folderSelectionPopUpButtonProc(ui::Control*) {
  if (!folderSelectionPopup.present()) return;

  if (folderSelectionPopup->indexOfSelectedItem() == indexOf(FolderChoice::quickFile)) enterQuickFile(*this);
  passCodeRules(*this);
  folderNameButtonEnabled();
}

void OndrixPrintPdeTarvel::folderSelectionMatrixProc(ui::Control*) {
  // An absent matrix would read row 0 and pass for quick file.
  if (!folderSelectionMatrix.present()) return;
  const long row = folderSelectionMatrix->selectedRow();

  // Quick file as in the pop-up; quick file and the main folder have no folder pass code or name.
  if (row == indexOf(FolderChoice::quickFile)) enterQuickFile(*this);
  if (row == indexOf(FolderChoice::quickFile) || row == indexOf(FolderChoice::mainFolder)) {
    clearUnlessHeld(folderPasswordEditText, folderPasswordButton);
    clearUnlessHeld(folderNameEditText, folderNameButton);
  }

  passCodeRules(*this);
  folderNameEditTextEnabled();
  folderNameButtonEnabled();
}

void OndrixPrintPdeTarvel::authenticationMatrixProc(ui::Control*) {
  if (!authenticationMatrix.present()) return;

  loginNameStaticTextEnabled();
  loginNameEditTextEnabled();
  loginNameButtonEnabled();
  passwordStaticTextEnabled();
  passwordEditTextEnabled();
  passwordButtonEnabled();
  userNumberEditTextEnabled();
  userNumberButtonEnabled();

  // Login and user number exclude each other: the other choice's values go unless held, and the focus
  // goes to the first field of the chosen one that can take it.
  if (authenticationMatrix->selectedRow() != 0) {
    clearUnlessHeld(loginNameEditText, loginNameButton);
    clearUnlessHeld(passwordEditText, passwordButton);
    focusIfSelectable(userNumberEditText);
  } else {
    clearUnlessHeld(userNumberEditText, userNumberButton);
    if (!focusIfSelectable(loginNameEditText)) focusIfSelectable(passwordEditText);
  }
}

void OndrixPrintPdeTarvel::loginNameButtonProc(ui::Control*) {
  if (!loginNameButton.present()) return;

  if (loginNameButton->state() == 1) {
    // Held: keep the name and show one bullet per UTF-16 unit. The lock flag keeps a second hold from
    // taking the bullets for the name.
    if (loginNameLockFlag == 0) {
      loginNameStringRef = loginNameEditText->stringValue();
      const std::size_t length = loginNameStringRef.length();
      if (length >= 1) loginNameEditText->setStringValue(Text::fromUtf16(std::u16string(length, kBullet)));
      loginNameLockFlag = 1;
    }
  } else {
    // Released: the name is forgotten and typed again.
    loginNameUnLockFlag = 1;
    loginNameEditText->setStringValue(""_t);
    loginNameStringRef = Text();
    loginNameUnLockFlag = 0;
    loginNameLockFlag = 0;
  }

  ui::myTarvelHilite(loginNameEditText,
                     loginNameButton->state() == 1 || authenticationMatrix->selectedRow() != 0);
}

// --- hold buttons: the toolkit has flipped the state already, so the rule sees the new one. Each runs its
// field's rule from the held-field table, unless its padlock is absent.

void OndrixPrintPdeTarvel::suspendKeyButtonProc(ui::Control*) { runHoldRule(*this, kHoldSuspendKey); }
void OndrixPrintPdeTarvel::folderPasswordButtonProc(ui::Control*) { runHoldRule(*this, kHoldFolderPassword); }
void OndrixPrintPdeTarvel::folderNameButtonProc(ui::Control*) { runHoldRule(*this, kHoldFolderName); }
void OndrixPrintPdeTarvel::passwordButtonProc(ui::Control*) { runHoldRule(*this, kHoldPassword); }
void OndrixPrintPdeTarvel::userNumberButtonProc(ui::Control*) { runHoldRule(*this, kHoldUserNumber); }
void OndrixPrintPdeTarvel::userNameButtonProc(ui::Control*) { runHoldRule(*this, kHoldUserName); }
void OndrixPrintPdeTarvel::jobNameButtonProc(ui::Control*) { runHoldRule(*this, kHoldJobName); }
void OndrixPrintPdeTarvel::accountNumberButtonProc(ui::Control*) { runHoldRule(*this, kHoldAccountNumber); }

// --- actions that do nothing: the fields are read when the panel saves

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

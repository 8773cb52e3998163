// The fields a padlock holds: for each, its hold bit, its key in the preference record, the print-settings
// key its value is restored from, its field and padlock, the panel's field that keeps its held value, its
// stored form, the enabling rule its padlock's action runs, and that action. The preference store, the
// writer's hold mask, the reader, the padlocks' images and actions walk this one table; a new held field
// is one row here.
#pragma once

#include <array>
#include <cstdint>

#include "plugin/panel.h"
#include "settings/keys.h"

namespace held {

using P = OndrixPrintPdeTarvel;

// How the preference store keeps a value: encrypted as hex of one block (Hex-16) or two (Hex-32), as
// Base64 of the whole ciphertext, as hex of one block of the ASCII text (Hex-ASCII), or in clear.
enum class StoredForm { hex16, hex32, base64, hexAscii, clear };

struct Field {
  std::uint32_t bit;
  const char* preferenceKey;
  const settingskeys::Key* settingsKey;  // the print-settings key the reader restores the value from
  ui::Outlet<ui::TextField> P::*field;
  ui::Outlet<ui::Button> P::*button;
  platform::Text P::*held;  // the value loaded from the preferences, still in its stored form
  StoredForm form;
  void (P::*rule)();                // the field's enabling rule
  void (P::*action)(ui::Control*);  // the padlock's action
};

// In the order of the hold bits.
inline constexpr std::array<Field, 9> kFields{{
    {kHoldSuspendKey, "pass code", &settingskeys::kJobSuspend2Key,
     &P::suspendKeyEditText, &P::suspendKeyButton, &P::prefSuspendKeyStringRef,
     StoredForm::hex16, &P::suspendKeyEditTextEnabled, &P::suspendKeyButtonProc},
    {kHoldLoginName, "user login name", &settingskeys::kLoginName1,
     &P::loginNameEditText, &P::loginNameButton, &P::prefLoginNameStringRef,
     StoredForm::base64, &P::loginNameEditTextEnabled, &P::loginNameButtonProc},
    {kHoldPassword, "user password", &settingskeys::kPassword2,
     &P::passwordEditText, &P::passwordButton, &P::prefPasswordStringRef,
     StoredForm::hex32, &P::passwordEditTextEnabled, &P::passwordButtonProc},
    {kHoldUserName, "user name", &settingskeys::kUserName,
     &P::userNameEditText, &P::userNameButton, &P::prefUserNameStringRef,
     StoredForm::clear, &P::userNameEditTextEnabled, &P::userNameButtonProc},
    {kHoldJobName, "job name", &settingskeys::kJobName,
     &P::jobNameEditText, &P::jobNameButton, &P::prefJobNameStringRef,
     StoredForm::clear, &P::jobNameEditTextEnabled, &P::jobNameButtonProc},
    {kHoldFolderPassword, "folder pass code", &settingskeys::kFolderPassword2,
     &P::folderPasswordEditText, &P::folderPasswordButton, &P::prefFolderPassStringRef,
     StoredForm::hexAscii, &P::folderPasswordEditTextEnabled, &P::folderPasswordButtonProc},
    {kHoldUserNumber, "user number", &settingskeys::kUserNumber2,
     &P::userNumberEditText, &P::userNumberButton, &P::prefUserNumberStringRef,
     StoredForm::hex16, &P::userNumberEditTextEnabled, &P::userNumberButtonProc},
    {kHoldAccountNumber, "account number", &settingskeys::kAccountNumber2,
     &P::accountNumberEditText, &P::accountNumberButton, &P::prefAccountNumberStringRef,
     StoredForm::hex16, &P::accountNumberEditTextEnabled, &P::accountNumberButtonProc},
    {kHoldFolderName, "folder name", &settingskeys::kFolderPath,
     &P::folderNameEditText, &P::folderNameButton, &P::prefFolderNameStringRef,
     StoredForm::clear, &P::folderNameEditTextEnabled, &P::folderNameButtonProc},
}};

// The row of a hold bit. REQUIRES: bit is one of the table's.
constexpr const Field& field(std::uint32_t bit) {
  for (const Field& f : kFields)
    if (f.bit == bit) return f;
  return kFields[0];
}

// The hold mask of the padlocks that are on (any state but 0).
inline std::uint32_t holdMask(const P& panel) {
  std::uint32_t mask = 0;
  for (const Field& f : kFields)
    if ((panel.*f.button)->state() != 0) mask |= f.bit;
  return mask;
}

}  // namespace held
